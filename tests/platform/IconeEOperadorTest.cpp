#include "comum/Ajuda.h"
#include "platform/IconeBandejaQt.h"
#include "platform/IconeGravador.h"
#include "platform/OperadorRoteirizado.h"
#include "platform/OperadorSemJanela.h"

#include <QStringList>

using namespace talvero;

TEST(DicaIcone, TituloCortadoEm63CaracteresNoCodigoDePagina) {
    const QString titulo = QStringLiteral("Talvero Automação V-4.04.26-0");
    EXPECT_EQ(DicaIcone(titulo), titulo);
    EXPECT_EQ(DicaIcone(QString(70, QLatin1Char('a'))), QString(63, QLatin1Char('a')));
    EXPECT_EQ(DicaIcone(QStringLiteral("€ Ω")), QStringLiteral("€ ?"));
    EXPECT_EQ(DicaIcone(QStringLiteral("ab") + QChar(0) + QStringLiteral("cd")), "ab");
}

// The real adapter and the tests' recorder behave alike: a second add is
// refused, modify and delete need an icon, unknown actions fail.
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

TEST(IconeNotificacao, AdaptadorRealEGravadorNasMesmasRegras) {
    IconeBandejaQt real;
    cicloDoIcone(real);
    IconeGravador icone;
    cicloDoIcone(icone);
    int restauracoes = 0;
    icone.aoClicarDuasVezes([&] { ++restauracoes; });
    EXPECT_FALSE(icone.clicaDuasVezes());  // no icon showing
    icone.executa(0, QString(80, QLatin1Char('t')));
    EXPECT_TRUE(icone.clicaDuasVezes());
    EXPECT_EQ(restauracoes, 1);
    EXPECT_EQ(icone.dicaAtual.size(), 63);
}

TEST(Operadores, RoteirizadoRespondeDasFilasESemJanelaRegistraCancelaEDizNao) {
    OperadorRoteirizado op;
    op.respostasEntrada = {"1234567890123456"};
    op.respostasPergunta = {true};
    EXPECT_EQ(op.entrada("Número do cartão:", "Inclui Cartão", "0"), "1234567890123456");
    EXPECT_EQ(op.entrada("De novo:", "", ""), "");
    EXPECT_TRUE(op.pergunta("Confirma?", "Exclui"));
    EXPECT_FALSE(op.pergunta("Confirma?", "Exclui"));
    EXPECT_EQ(op.exibidas.size(), 4u);

    QStringList linhas;
    OperadorSemJanela semJanela([&](const QString& l) { linhas << l; });
    semJanela.mensagem(QStringLiteral("Sem banco"), QStringLiteral("Erro de Comunicação!"), Icone::Critico);
    semJanela.mensagem("Erro de disco", "", Icone::Nenhum);
    EXPECT_EQ(semJanela.entrada("Cartão:", "Ler", "x"), "");
    EXPECT_FALSE(semJanela.pergunta("Apagar?", "Exclui"));
    ASSERT_EQ(linhas.size(), 4);
    EXPECT_EQ(linhas[0], QStringLiteral("[Erro de Comunicação!] Sem banco"));
    EXPECT_EQ(linhas[1], "[AutoTalvero] Erro de disco");
    EXPECT_TRUE(linhas[2].startsWith("[Ler] Cartão:"));
    EXPECT_TRUE(linhas[3].startsWith("[Exclui] Apagar?"));
}
