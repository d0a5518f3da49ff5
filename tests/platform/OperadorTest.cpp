#include "platform/OperadorRoteirizado.h"
#include "platform/OperadorSemJanela.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace talvero;

namespace {

TEST(OperadorRoteirizado, RegistraTudoERespondeDasFilas) {
    OperadorRoteirizado op;
    op.respostasEntrada = {"1234567890123456"};
    op.respostasPergunta = {true};
    int durante = 0;
    op.aoExibir = [&](const OperadorRoteirizado::Exibicao&) { ++durante; };

    op.mensagem("Erro grave", "Erro de Comunicação!", Icone::Critico);
    EXPECT_EQ(op.entrada("Número do cartão:", "Inclui Cartão", "0"), "1234567890123456");
    EXPECT_EQ(op.entrada("De novo:", "", ""), "");
    EXPECT_TRUE(op.pergunta("Confirma?", "Exclui"));
    EXPECT_FALSE(op.pergunta("Confirma?", "Exclui"));

    ASSERT_EQ(op.exibidas.size(), 5u);
    EXPECT_EQ(durante, 5);
    EXPECT_EQ(op.exibidas[0].titulo, QStringLiteral("Erro de Comunicação!"));
    EXPECT_EQ(op.exibidas[0].icone, Icone::Critico);
    EXPECT_EQ(op.exibidas[1].tipo, OperadorRoteirizado::Tipo::Entrada);
    EXPECT_EQ(op.exibidas[1].padrao, "0");
    EXPECT_EQ(op.exibidas[3].tipo, OperadorRoteirizado::Tipo::Pergunta);
    EXPECT_EQ(op.textos()[2], "De novo:");
}

TEST(OperadorSemJanela, RegistraCancelaEDizNao) {
    QStringList linhas;
    OperadorSemJanela op([&](const QString& l) { linhas << l; });
    op.mensagem(QStringLiteral("Sem banco"), QStringLiteral("Erro de Comunicação!"), Icone::Critico);
    op.mensagem("Erro de disco", "", Icone::Nenhum);
    EXPECT_EQ(op.entrada("Cartão:", "Ler", "x"), "");
    EXPECT_FALSE(op.pergunta("Apagar?", "Exclui"));
    ASSERT_EQ(linhas.size(), 4);
    EXPECT_EQ(linhas[0], QStringLiteral("[Erro de Comunicação!] Sem banco"));
    EXPECT_EQ(linhas[1], "[AutoTalvero] Erro de disco");
    EXPECT_TRUE(linhas[2].startsWith("[Ler] Cartão:"));
    EXPECT_TRUE(linhas[3].startsWith("[Exclui] Apagar?"));
}

} // namespace
