#include "Concentrador.h"

using namespace talvero;
using namespace talvero::sim;
using namespace talvero::sim::teste;

namespace {

const QString kCartaoA = QStringLiteral("1234567890123456");
const QString kCartaoB = QStringLiteral("eeeeeeeeeeeeeeee");

QString grava(const QString& cartao) {
    return MontaComando(QStringLiteral("(?F27G") + cartao + QString(16, QLatin1Char('0')));
}
QString apaga(const QString& cartao, const char* posicao) {
    return MontaComando(QStringLiteral("(?F27A") + cartao + QStringLiteral("00") +
                        QLatin1String(posicao) + QStringLiteral("00000000"));
}
QString le(const char* posicao) {
    return MontaComando(QStringLiteral("(?LF") + QLatin1String(posicao));
}

} // namespace

TEST(Andamento, MostraOsBicosEmCursoEEncerraNoTempo) {
    Concentrador c;
    EXPECT_EQ(c.responde(QStringLiteral("(&V)")), u"(0)");
    c.nucleo.iniciaAbastecimento(QStringLiteral("02"), m(u"20"), 40000, kCartaoA);
    c.avancaSegundos(20);
    EXPECT_EQ(c.responde(QStringLiteral("(&V)")), u"(02010000)");
    EXPECT_EQ(c.pede(), u"(0)");
    EXPECT_THROW(c.nucleo.iniciaAbastecimento(QStringLiteral("02"), m(u"1"), 1000),
                 Erro); // the nozzle is busy
    c.avancaSegundos(20);
    EXPECT_EQ(c.responde(QStringLiteral("(&V)")), u"(0)");
    const QString r = c.pede();
    EXPECT_EQ(std::pair(em(r, 20, 4), em(r, 26, 6)), std::pair(QString("0040"), QString("051800")));
}

// Answers of 52 characters: "(?G", position, position confirmed, card, checksum.
TEST(Cartoes, GravaLeEApagaNaTabelaEFalhaForaDelaOuCheia) {
    ConfiguracaoConcentrador cfg;
    cfg.tamanhoTabelaCartoes = 2;
    Concentrador c(cfg);
    const QString a = c.responde(grava(kCartaoA));
    ASSERT_EQ(a.size(), 52);
    EXPECT_EQ(em(a, 4, 28), QStringLiteral("000000000000") + kCartaoA);
    EXPECT_EQ(em(a, 50, 2), ChecksumQuadro(em(a, 2, 48)));
    EXPECT_EQ(em(c.responde(grava(kCartaoB)), 4, 6), u"000001");
    EXPECT_EQ(em(c.responde(grava(kCartaoA)), 4, 6), u"000000"); // already there: no second record
    EXPECT_EQ(c.responde(grava(QStringLiteral("ZZZZZZZZZZZZZZZZ"))), u"(1)"); // full
    EXPECT_EQ(em(c.responde(le("000001")), 16, 16), kCartaoB);
    EXPECT_EQ(c.responde(le("000002")), u"(1)");

    const QString errado = c.responde(apaga(kCartaoB, "000000")); // the card is not in that record
    EXPECT_NE(em(errado, 10, 6), em(errado, 4, 6));
    EXPECT_EQ(c.nucleo.cartoes().le(0), kCartaoA);
    EXPECT_EQ(c.responde(apaga(kCartaoA, "000051")), u"(1)");
    const QString certo = c.responde(apaga(kCartaoA, "000000"));
    EXPECT_EQ(std::pair(em(certo, 4, 6), em(certo, 10, 6)),
              std::pair(QString("000000"), QString("000000")));
    EXPECT_EQ(em(c.responde(le("000000")), 16, 16), TabelaCartoes::vazio());
    EXPECT_EQ(em(c.responde(grava(QStringLiteral("ZZZZZZZZZZZZZZZZ"))), 4, 6),
              u"000000"); // the freed record
}
