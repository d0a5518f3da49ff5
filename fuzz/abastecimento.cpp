// The fueling answer parser, every layout and decimal setting: the first byte
// picks them, the next two the moment of reading, the rest is the answer.
#include "apoio/AgenteFuzz.h"
#include "cycle/LeitorAbastecimento.h"
#include "cycle/LeituraAbastecimento.h"

#include <cstdlib>

using namespace talvero;

namespace {

struct Leitor {
    Leitor() {
        fuzz::IniciaQt();
        fuzz::CadastraEstacao(banco);
    }
    RelogioVirtual relogio{PlataformaDeTeste::inicioPadrao()};
    teste::LogMemoria log{relogio};
    Conexao banco{OpcoesBanco::sqlite(QStringLiteral(":memory:"))};
    BicoAutomacao bicoAutomacao{banco};
    Bico bico{banco};
    Produto produto{banco};
    Estoque estoque{banco};
    Configuracao cfg;
    LeitorAbastecimento leitor{{log.registro, cfg, bicoAutomacao, bico, produto, estoque}};
};

QString resposta(int leiaute, const QByteArray& corpo) {
    static const qsizetype kTamanhos[] = {leitura::kTamanhoPadrao, leitura::kTamanhoCurto,
                                          leitura::kTamanhoIdentFid};
    QString r = QString::fromLatin1(corpo);
    if (leiaute < 3) r = r.leftJustified(kTamanhos[leiaute], QLatin1Char('0'), true);
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    static Leitor& l = *new Leitor; // never destroyed, as the agents
    if (tamanho < 3) return 0;
    const int opcoes = dados[0];
    l.cfg.lCasasDecimaisLitragem = opcoes & 1 ? 2 : 3;
    l.cfg.lCasasDecimaisValor = opcoes & 2 ? 2 : 3;
    l.cfg.lNomeEmpresa = opcoes & 4 ? QStringLiteral("POSTO DEDARUD") : QStringLiteral("POSTO");
    l.cfg.lUsarIdentFid = opcoes & 8;
    l.cfg.lCodigoEmpresa = 1;
    const QDateTime recebido =
        PlataformaDeTeste::inicioPadrao().addDays(dados[1]).addSecs(dados[2] * 337);
    const QString r = resposta(
        (opcoes >> 4) % 4, QByteArray(reinterpret_cast<const char*>(dados) + 3, int(tamanho) - 3));

    leitura::RespostaConfere(r);
    AbastecimentoEmTrabalho a;
    const auto leitura = l.leitor.AutoAtualizaAbastecimento(r, recebido, a);
    // A fueling read completely is a real one: a date, a time of day, a station nozzle.
    if (leitura == LeitorAbastecimento::Leitura::Completa &&
        (!a.lDataAbastecimento.isValid() || !a.lHoraAbastecimento.isValid() || a.lBico < 1))
        std::abort();
    if (leitura == LeitorAbastecimento::Leitura::FalhaDoBanco)
        std::abort(); // the registers are in memory
    l.log.linhas().clear();
    return 0;
}
