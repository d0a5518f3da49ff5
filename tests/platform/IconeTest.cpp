#include "platform/IconeBandejaQt.h"
#include "platform/IconeGravador.h"

#include <gtest/gtest.h>

using namespace talvero;

namespace {

TEST(DicaIcone, TituloCortadoEm63CaracteresNoCodigoDePagina) {
    const QString titulo = QStringLiteral("Talvero Automação V-4.04.26-0");
    EXPECT_EQ(DicaIcone(titulo), titulo);
    const QString longo = QString(70, QLatin1Char('a'));
    EXPECT_EQ(DicaIcone(longo), QString(63, QLatin1Char('a')));
    EXPECT_EQ(DicaIcone(QString(63, QLatin1Char('b'))).size(), 63);
    EXPECT_EQ(DicaIcone(QStringLiteral("€ Ω")), QStringLiteral("€ ?"));
    EXPECT_EQ(DicaIcone(QStringLiteral("ab") + QChar(0) + QStringLiteral("cd")), "ab");
}

// Both adapters behave alike: a second add is refused, delete needs an icon.
template <typename T>
void cicloDoIcone(T& icone) {
    EXPECT_TRUE(icone.executa(0, "Talvero"));
    EXPECT_FALSE(icone.executa(0, "Talvero"));
    EXPECT_TRUE(icone.executa(1, "Outra"));
    EXPECT_FALSE(icone.executa(7, "x"));
    EXPECT_TRUE(icone.executa(2, ""));
    EXPECT_FALSE(icone.executa(2, ""));
    EXPECT_FALSE(icone.executa(1, "x"));
}

TEST(IconeBandejaQt, AdicionarDuasVezesRecusaERemoverEsconde) {
    IconeBandejaQt icone;
    cicloDoIcone(icone);
}

TEST(IconeGravador, RegistraChamadasEDisparaDuploClique) {
    IconeGravador icone;
    cicloDoIcone(icone);
    int restauracoes = 0;
    icone.aoClicarDuasVezes([&] { ++restauracoes; });
    EXPECT_FALSE(icone.clicaDuasVezes());  // no icon showing
    icone.executa(0, QString(80, QLatin1Char('t')));
    EXPECT_TRUE(icone.clicaDuasVezes());
    EXPECT_EQ(restauracoes, 1);
    EXPECT_EQ(icone.dicaAtual.size(), 63);
    EXPECT_EQ(icone.chamadas.size(), 8u);
    EXPECT_FALSE(icone.chamadas[1].resultado);
}

} // namespace
