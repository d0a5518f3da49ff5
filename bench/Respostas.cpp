#include "Respostas.h"

#include "platform/CodecAnsi.h"
#include "simulator/AritmeticaConcentrador.h"
#include "simulator/FormatoRespostas.h"

namespace talvero::medicao {

QString respostaPadrao(int bico, const QDateTime& minuto, Moeda litros, Moeda preco,
                       Moeda encerrante, int sequencia, sim::Leiaute leiaute) {
    constexpr std::int64_t kMilhao = std::int64_t(1'000'000) * Moeda::deInteiro(1).dezMilesimos();
    constexpr std::int64_t kMlPorSegundo = 600;
    sim::CamposAbastecimento c;
    c.total = sim::totalDoAbastecimento(preco, litros);
    c.litros = litros;
    c.preco = preco;
    c.duracao = QStringLiteral("%1").arg(
        std::min<std::int64_t>(9999, litros.dezMilesimos() / 10 / kMlPorSegundo + 1), 4, 10,
        QLatin1Char('0'));
    c.bico = QStringLiteral("%1").arg(bico, 2, 10, QLatin1Char('0'));
    c.dia = minuto.date().day();
    c.hora = minuto.time().hour();
    c.minuto = minuto.time().minute();
    c.r = QStringLiteral("%1").arg(sequencia % 10000, 4, 10, QLatin1Char('0'));
    // The concentrator counts hundredths of a litre.
    const std::int64_t contado = encerrante.dezMilesimos() % kMilhao;
    c.encerrante = Moeda::deDezMilesimos(contado - contado % 100);
    return sim::formataAbastecimento(c, leiaute, 3, 3, sim::ModoChecksum::Correto);
}

QByteArray roteiroFila(int n, sim::Leiaute leiaute) {
    constexpr int kBicos = 4;
    const QDateTime agora = QDateTime::currentDateTime();
    const int minutos = (n + kBicos - 1) / kBicos;
    Moeda encerrantes[kBicos] = {};
    QString texto;
    for (int i = 0; i < n; ++i) {
        const int bico = i % kBicos;
        const Moeda litros = Moeda::deInteiro(10 + (i * 7) % 40);
        encerrantes[bico] = encerrantes[bico] + litros;
        texto += respostaPadrao(bico + 1, agora.addSecs(-60 * (minutos - i / kBicos)), litros,
                                Moeda::deTexto(u"5.79"), encerrantes[bico], i + 1, leiaute) +
                 QLatin1Char('\n');
    }
    return ansi::codifica(texto);
}

} // namespace talvero::medicao
