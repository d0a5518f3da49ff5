#include "comum/Ajuda.h"
#include "platform/IconeBandejaQt.h"
#include "platform/OperadorSemJanela.h"

#include <QStringList>

using namespace talvero;

TEST(DicaIcone, TituloCortadoEm63CaracteresNoCodigoDePaginaAteONul) {
    const std::pair<QString, QString> casos[] = {
        {QString(70, QLatin1Char('a')), QString(63, QLatin1Char('a'))},
        {QStringLiteral("€ Ω"), QStringLiteral("€ ?")},
        {QStringLiteral("ab") + QChar(0) + QStringLiteral("cd"), "ab"}};
    for (const auto& [titulo, dica] : casos)
        EXPECT_EQ(DicaIcone(titulo), dica);
}

// A second add is refused, modify and remove need an icon, unknown actions fail.
TEST(IconeBandejaQt, CadaAcaoSoNoEstadoQueAAdmite) {
    IconeBandejaQt icone;
    const std::pair<int, bool> passos[] = {{0, true}, {0, false}, {1, true}, {7, false},
                                           {2, true}, {2, false}, {1, false}};
    for (const auto& [acao, aceita] : passos)
        EXPECT_EQ(icone.executa(acao, "Talvero"), aceita) << acao;
}

TEST(OperadorSemJanela, RegistraCadaCaixaCancelaAEntradaEDizNao) {
    QStringList linhas;
    OperadorSemJanela semJanela([&](const QString& l) { linhas << l; });
    semJanela.mensagem("Erro de disco", "", Icone::Nenhum);
    EXPECT_EQ(semJanela.entrada(QStringLiteral("Cartão:"), "Ler", "x"), "");
    EXPECT_FALSE(semJanela.pergunta("Apagar?", "Exclui"));
    ASSERT_EQ(linhas.size(), 3);
    EXPECT_EQ(linhas[0], "[AutoTalvero] Erro de disco");
    EXPECT_TRUE(linhas[1].startsWith(QStringLiteral("[Ler] Cartão:")) &&
                linhas[2].startsWith("[Exclui] Apagar?"));
}
