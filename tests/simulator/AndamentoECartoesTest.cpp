#include "Concentrador.h"


using namespace talvero;
using namespace talvero::sim;
using namespace talvero::sim::teste;

namespace {

const QString kCartaoA = QStringLiteral("1234567890123456");
const QString kCartaoB = QStringLiteral("eeeeeeeeeeeeeeee");

QString grava(const QString& cartao) { return MontaComando(QStringLiteral("(?F27G") + cartao + QString(16, QLatin1Char('0'))); }
QString apaga(const QString& cartao, const QString& posicao) {
    return MontaComando(QStringLiteral("(?F27A") + cartao + QStringLiteral("00") + posicao + QStringLiteral("00000000"));
}
QString le(const QString& posicao) { return MontaComando(QStringLiteral("(?LF") + posicao); }

ConfiguracaoConcentrador cartaoAndamento(FormatoCartaoAndamento f) {
    ConfiguracaoConcentrador c;
    c.formatoCartaoAndamento = f;
    c.bicos = {{QStringLiteral("01"), 1, m(u"5.79"), Moeda()}, {QStringLiteral("0C"), 2, m(u"3.89"), Moeda()}};
    return c;
}

} // namespace

TEST(Andamento, MostraOsBicosEmCursoEEncerraNoTempo) {
    Concentrador c;
    EXPECT_EQ(c.responde(QStringLiteral("(&V)")), u"(0)");
    c.nucleo.iniciaAbastecimento(QStringLiteral("02"), m(u"20"), 40000, kCartaoA);
    c.avancaSegundos(20);
    EXPECT_EQ(c.responde(QStringLiteral("(&V)")), u"(02010000)");
    EXPECT_EQ(c.pede(), u"(0)");
    EXPECT_THROW(c.nucleo.iniciaAbastecimento(QStringLiteral("02"), m(u"1"), 1000), Erro);
    c.avancaSegundos(20);
    EXPECT_EQ(c.responde(QStringLiteral("(&V)")), u"(0)");
    EXPECT_EQ(c.nucleo.pendentes(), 1);
    EXPECT_EQ(em(c.pede(), 20, 4), u"0040");
    EXPECT_EQ(em(c.pede(), 26, 6), u"051800");
}

TEST(Andamento, CartaoNoBicoNosTamanhosQueOAgenteAceita) {
    for (const auto f : {FormatoCartaoAndamento::Direto20, FormatoCartaoAndamento::Prefixo23,
                         FormatoCartaoAndamento::Prefixo30}) {
        Concentrador c(cartaoAndamento(f));
        EXPECT_EQ(c.responde(QStringLiteral("(?V95)")), u"(0)");
        c.nucleo.iniciaAbastecimento(QStringLiteral("01"), m(u"10"), 60000);
        c.nucleo.iniciaAbastecimento(QStringLiteral("0C"), m(u"10"), 60000, kCartaoA);
        const QString r = c.responde(QStringLiteral("(?V95)"));
        ASSERT_EQ(r.size(), int(f)) << r.toStdString();
        const int extra = int(f) - 20;
        EXPECT_EQ(em(r, 2 + extra, 2), u"0C");
        EXPECT_EQ(em(r, 4 + extra, 16), kCartaoA);
    }
}

TEST(Cartoes, GravaLeEApagaComAsRespostasDe52Caracteres) {
    Concentrador c;
    const QString a = c.responde(grava(kCartaoA));
    ASSERT_EQ(a.size(), 52);
    EXPECT_EQ(em(a, 4, 6), u"000000");
    EXPECT_EQ(em(a, 10, 6), u"000000");
    EXPECT_EQ(em(a, 16, 16), kCartaoA);
    EXPECT_EQ(em(a, 50, 2), ChecksumFrame(em(a, 2, 48)));
    EXPECT_EQ(em(c.responde(grava(kCartaoB)), 4, 6), u"000001");
    EXPECT_EQ(em(c.responde(grava(kCartaoA)), 4, 6), u"000000");  // already there: no second record

    EXPECT_EQ(em(c.responde(le(QStringLiteral("000001"))), 16, 16), kCartaoB);

    const QString errado = c.responde(apaga(kCartaoB, QStringLiteral("000000")));
    EXPECT_EQ(em(errado, 4, 6), u"000000");
    EXPECT_NE(em(errado, 10, 6), em(errado, 4, 6));
    EXPECT_EQ(c.nucleo.cartoes().le(0), kCartaoA);

    const QString certo = c.responde(apaga(kCartaoA, QStringLiteral("000000")));
    EXPECT_EQ(em(certo, 4, 6), u"000000");
    EXPECT_EQ(em(certo, 10, 6), u"000000");
    EXPECT_EQ(em(c.responde(le(QStringLiteral("000000"))), 16, 16), TabelaCartoes::vazio());
    EXPECT_EQ(em(c.responde(grava(QStringLiteral("ZZZZZZZZZZZZZZZZ"))), 4, 6), u"000000");  // the freed record
}

TEST(Cartoes, ForaDaTabelaOuTabelaCheiaRespondem1) {
    ConfiguracaoConcentrador cfg;
    cfg.tamanhoTabelaCartoes = 1;
    Concentrador c(cfg);
    EXPECT_EQ(c.responde(le(QStringLiteral("000001"))), u"(1)");
    EXPECT_EQ(c.responde(apaga(kCartaoA, QStringLiteral("000051"))), u"(1)");
    EXPECT_EQ(c.responde(grava(kCartaoA)).size(), 52);
    EXPECT_EQ(c.responde(grava(kCartaoB)), u"(1)");
}
