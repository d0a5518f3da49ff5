#include "platform/Conversoes.h"
#include "platform/Erro.h"

#include <gtest/gtest.h>

using namespace talvero;

namespace {

int erroDe(const std::function<void()>& f) {
    try {
        f();
    } catch (const Erro& e) {
        return e.numero();
    }
    return 0;
}

TEST(ConverteNumero, ArredondaParaOParMaisProximo) {
    EXPECT_EQ(ConverteNumero("12.5"), 12);
    EXPECT_EQ(ConverteNumero("13.5"), 14);
    EXPECT_EQ(ConverteNumero("12.6"), 13);
    EXPECT_EQ(ConverteNumero("12.50001"), 13);
    EXPECT_EQ(ConverteNumero("-3.5"), -4);
    EXPECT_EQ(ConverteNumero("-2.5"), -2);
    EXPECT_EQ(ConverteNumero(".5"), 0);
    EXPECT_EQ(ConverteNumero("0.51"), 1);
}

TEST(ConverteNumero, ParteNumericaDoInicio) {
    EXPECT_EQ(ConverteNumero("abc"), 0);
    EXPECT_EQ(ConverteNumero(""), 0);
    EXPECT_EQ(ConverteNumero("-"), 0);
    EXPECT_EQ(ConverteNumero(" 7x"), 7);
    EXPECT_EQ(ConverteNumero("\t+8.4.9"), 8);
    EXPECT_EQ(ConverteNumero("3,7"), 3);
    EXPECT_EQ(ConverteNumero("x7"), 0);
}

TEST(ConverteNumero, ForaDos16BitsEstoura) {
    EXPECT_EQ(ConverteNumero("32767.4"), 32767);
    EXPECT_EQ(ConverteNumero("-32768.5"), -32768);
    EXPECT_EQ(erroDe([] { ConverteNumero("32767.5"); }), erros::Estouro);
    EXPECT_EQ(erroDe([] { ConverteNumero("40000"); }), erros::Estouro);
    EXPECT_EQ(erroDe([] { ConverteNumero("-32769"); }), erros::Estouro);
    EXPECT_EQ(erroDe([] { ConverteNumero("99999999999999999999999"); }), erros::Estouro);
}

TEST(ConverteNumeroEstrito, TextoInteiroPrecisaSerNumero) {
    EXPECT_EQ(ConverteNumeroEstrito(" 42 "), 42);
    EXPECT_EQ(ConverteNumeroEstrito("2.5"), 2);
    EXPECT_EQ(ConverteNumeroEstrito("3.5"), 4);
    EXPECT_EQ(ConverteNumeroEstrito("3,5"), 4);
    EXPECT_EQ(ConverteNumeroEstrito("-7"), -7);
    EXPECT_EQ(ConverteNumeroEstrito("2147483647"), 2147483647);
    for (const char* t : {"", "   ", "12a", "a12", "-", ".", "1 2", "1.2.3"})
        EXPECT_EQ(erroDe([t] { ConverteNumeroEstrito(QString::fromLatin1(t)); }), erros::TiposIncompativeis) << t;
    EXPECT_EQ(erroDe([] { ConverteNumeroEstrito("2147483648"); }), erros::Estouro);
}

TEST(ConverteNumeroEstrito, DescricoesDosErros) {
    try {
        ConverteNumeroEstrito("");
        FAIL();
    } catch (const Erro& e) {
        EXPECT_EQ(e.descricao(), QStringLiteral("Tipos incompatíveis"));
    }
    try {
        ConverteNumero("70000");
        FAIL();
    } catch (const Erro& e) {
        EXPECT_EQ(e.descricao(), QStringLiteral("Estouro"));
    }
}

TEST(DiretorioSistema, VazioForaDoWindows) {
#ifdef Q_OS_WIN
    EXPECT_TRUE(DiretorioSistema().endsWith(QLatin1Char('\\')));
#else
    EXPECT_EQ(DiretorioSistema(), "");
#endif
}

} // namespace
