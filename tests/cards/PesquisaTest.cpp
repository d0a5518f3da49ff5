#include "estacao/Estacao.h"

namespace talvero::teste {
namespace {

// Record 1's answer with its last three characters lost and three of noise in
// front has the answer's length and, in the card's place, "001" and the start of
// record 1's card: this card. It names no position.
const QString kCartao = QStringLiteral("0010123456789ABC");
const QString kNoRegistro1 = QStringLiteral("0123456789ABCDEF");

// Reads that get no answer, half an answer or a garbled one say nothing about
// where the card is: the search goes on to the record that holds it.
TEST(PesquisaCartao, LeiturasSemRespostaCortadasOuEmbaralhadasNaoEncerramAPesquisa) {
    for (const bool biblioteca : {false, true}) {
        sim::ConfiguracaoConcentrador cfg;
        if (biblioteca) cfg.leiaute = sim::Leiaute::IdentFid;
        Estacao e(cfg);
        if (biblioteca) e.defineIni(QStringLiteral("Usar Dll da Company"), QStringLiteral("SIM"));
        e.nucleo.cartoes().defineRegistro(0, QStringLiteral("AAAABBBBCCCCDDDD"));
        e.nucleo.cartoes().defineRegistro(1, kNoRegistro1);
        e.nucleo.cartoes().defineRegistro(2, QStringLiteral("EEEEFFFF00001111"));
        e.nucleo.cartoes().defineRegistro(3, kCartao);
        sim::PlanoFalhas& f = e.nucleo.falhas();
        e.vigias.antesDeEnviar = [&](const QByteArray& b) {
            if (b.startsWith("(?LF000000")) f.silencio.proximas = 1;
            if (b.startsWith("(?LF000001")) {
                f.truncada.proximas = f.ruido.proximas = 1;
                f.tamanhoTruncado = 49;
            }
            if (b.startsWith("(?LF000002")) {
                f.truncada.proximas = 1;
                f.tamanhoTruncado = 0;
            }
        };
        e.iniciaAgente();
        e.roda(3000);
        EXPECT_EQ(e.agente().cartoes().AutoPesquisaPosicaoCartaoIdentFid(kCartao, false),
                  QStringLiteral("000003|@|"))
            << biblioteca;
    }
}

} // namespace
} // namespace talvero::teste
