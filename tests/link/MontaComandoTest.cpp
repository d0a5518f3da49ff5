#include "link/MontaComando.h"

#include <gtest/gtest.h>

using namespace talvero;

TEST(MontaComando, ExemplosDoCatalogoDeFrames) {
    EXPECT_EQ(MontaComando(QStringLiteral("(&A")), QStringLiteral("(&A67)"));
    EXPECT_EQ(MontaComando(QStringLiteral("(?V")), QStringLiteral("(?V95)"));
    EXPECT_EQ(MontaComando(QStringLiteral("(")), QStringLiteral("(00)"));
}

TEST(MontaComando, SomaExatamente256TemTresDigitosE257Dobra) {
    // 'z' (122) + 'z' (122) + '\f' (12) = 256; one more gives 257 -> 01.
    EXPECT_EQ(MontaComando(QStringLiteral("(zz\f")), QStringLiteral("(zz\f100)"));
    EXPECT_EQ(MontaComando(QStringLiteral("(zz\r")), QStringLiteral("(zz\r01)"));
}

TEST(MontaComando, CaracteresAcimaDe127SomamPeloCodigoDaPaginaDeCodigo) {
    // Euro sign is 0x80 in the station's code page; 'é' is 0xE9: 0x80 + 0xE9 = 361 - 256 = 105.
    EXPECT_EQ(MontaComando(QString::fromUtf8("(€é")), QString::fromUtf8("(€é69)"));
}
