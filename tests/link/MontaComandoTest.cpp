#include "link/MontaComando.h"
#include "comum/Ajuda.h"

using namespace talvero;

TEST(MontaComando, SomaDosCodigosNaPaginaDeCodigoEmDoisDigitosOuTresNo256) {
    const std::pair<const char*, const char*> casos[] = {
        {"(&A", "(&A67)"},
        {"(?V", "(?V95)"},
        {"(", "(00)"},
        // 'z' (122) + 'z' (122) + '\f' (12) = 256; one more gives 257 -> 01.
        {"(zz\f", "(zz\f100)"},
        {"(zz\r", "(zz\r01)"},
        // The euro sign is 0x80 in the station's code page, 'é' 0xE9: 361 - 256 = 105.
        {"(€é", "(€é69)"}};
    for (const auto& [corpo, quadro] : casos)
        EXPECT_EQ(MontaComando(QString::fromUtf8(corpo)), QString::fromUtf8(quadro));
}
