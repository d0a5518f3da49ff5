#include "estacao/Estacao.h"

namespace talvero::teste {
namespace {

// The identifier answers a card write on the serial line only after the command
// gave up waiting: its answer reaches the port while the cycle asks for fuelings,
// and must never be taken for one (nor acknowledge one).
TEST(CartoesPelaSerial, RespostaAtrasadaDoIdentificadorNaoViraAbastecimento) {
    // Every phase of the cycle's requests, the answer a little or much too late.
    for (int fase = 0; fase < 12; ++fase) {
        const int atrasoMs = fase % 2 ? 1200 : 2600;
        Estacao e;
        e.iniciaAgente();
        e.roda(3000 + 250 * fase);
        for (const char* bico : {"01", "02", "03"}) e.nucleo.geraAbastecimento(QString::fromLatin1(bico), M("10"));
        e.vigias.antesDeEnviar = [&](const QByteArray& b) {
            if (!b.startsWith("(?F27G")) return;
            e.nucleo.falhas().atrasoMs = atrasoMs;
            e.nucleo.falhas().atraso.proximas = 1;
        };
        EXPECT_EQ(e.agente().cartoes().AutoIncluiCartaoIdentFid(QStringLiteral("0123456789ABCDEF")), QString());
        EXPECT_TRUE(e.esvazia(kMinuto));
        EXPECT_TRUE(e.rejeitados().isEmpty()) << atrasoMs;
        e.confereComOLivro();
    }
}

} // namespace
} // namespace talvero::teste
