#include "cycle/AgenteDeTeste.h"

#include "link/MontaComando.h"
#include "store/Importacao.h"

namespace talvero::teste {

AgenteDeTeste::AgenteDeTeste(AgendadorVirtual& agendador, RegistroEventos& registro, Configuracao& c,
                             const OpcoesBanco& banco, ControleSerial& serial, BibliotecaConcentrador& biblioteca)
    : cfg(c), conexao(banco),
      gravacao({cfg, registro, conexao, abastecimento, encerrante, parametroEmpresa, cartaoIdentFid,
                [this] { timerAutomacao->setHabilitado(true); }}),
      enlace({cfg, serial, biblioteca, registro, semIni, agendador.relogio(), agendador,
              [this] { timerAutomacao->setHabilitado(true); }, [this] { ciclo.lAutomacaoFlag = 0; }}),
      timerAutomacao(agendador.criaTemporizador(500, [this] { ciclo.TimerAutomacao_Timer(); })),
      ciclo({agendador.relogio(), agendador, registro, cfg, enlace, *timerAutomacao, lAutomacaoPausada, bicoAutomacao,
             bico, produto, estoque, rejeitado, gravacao}) {
    EXPECT_TRUE(conexao.Conecta()) << conexao.ultimoErro().toStdString();
}

void AgenteDeTeste::abreLink() {
    if (cfg.lUsarDllCompany) {
        enlace.lRetDll = enlace.biblioteca().VB_OpenSerial(1);
        ASSERT_EQ(enlace.lRetDll, 1);
    } else {
        if (!enlace.serial().portaAberta()) {
            enlace.serial().setNumeroPorta(1);
            enlace.serial().setPortaAberta(true);
        }
        ciclo.lAutomacaoFlag = 0;
    }
    timerAutomacao->setHabilitado(true);
}

Moeda AgenteDeTeste::encerranteAtual(int bico) {
    EncerranteAtual e(conexao);
    EXPECT_TRUE(e.Localiza(cfg.lCodigoEmpresa, std::int16_t(bico)));
    return e.Encerrante;
}

void CadastraEstacao(Conexao& conexao) {
    importacao::importa(
        conexao,
        {{QStringLiteral("BicoAutomacao.csv"), "Codigo,Bico\n01,1\n02,2\n03,3\n04,4\n0C,5\n"},
         {QStringLiteral("Bico.csv"),
          "Empresa,Bico,Produto,Complemento\n1,1,1,Gasolina\n1,2,2,Etanol\n1,3,3,Diesel\n1,4,1,Gasolina\n1,5,3,Diesel\n"},
         {QStringLiteral("Produto.csv"), "Produto,PrecoVenda\n1,5.79\n2,3.89\n3,5.99\n"},
         {QStringLiteral("Estoque.csv"), "Empresa,Produto,PrecoVenda\n1,1,5.79\n1,2,3.89\n1,3,5.99\n"},
         {QStringLiteral("EncerranteAtual.csv"), "Empresa,Bico,Encerrante\n1,1,0\n1,2,0\n1,3,0\n1,4,0\n1,5,0\n"}});
}

namespace {

QString fecha(const QString& corpo, qsizetype posicaoS) {
    QString frame = MontaComando(corpo);
    if (frame.size() == corpo.size() + 3) return frame;
    QString outro = corpo;  // a sum of 256 would need three digits: move it off with a field nobody reads
    outro[posicaoS + 1] = QLatin1Char('1');
    return MontaComando(outro);
}

} // namespace

QString RespostaAbastecimento(const QString& total, const QString& litros, const QString& preco,
                              const QString& duracao, const QString& codigoBico, const QString& dia,
                              const QString& hora, const QString& minuto, const QString& encerrante,
                              const QString& cartao) {
    const QString campos = total + litros + preco + QStringLiteral("00") + duracao + codigoBico + dia + hora + minuto;
    if (encerrante.isEmpty()) return fecha(QLatin1Char('(') + campos, 1 + 6 + 6 + 4);
    const QString meio = QStringLiteral("000000") + encerrante + QStringLiteral("00");
    if (cartao.isEmpty()) {
        const QString corpo = QLatin1Char('(') + campos + meio;
        return fecha(corpo, corpo.size() - 2);
    }
    const QString corpo = QStringLiteral("(1") + campos + meio + cartao + QStringLiteral("000000");
    return fecha(corpo, corpo.size() - 2);
}

} // namespace talvero::teste
