#include "Concentrador.h"

#include "simulator/FormatoRespostas.h"

#include <gtest/gtest.h>

using namespace talvero;
using namespace talvero::sim;
using namespace talvero::sim::teste;

namespace {

ConfiguracaoConcentrador com(Layout layout, int casasLitragem = 3, int casasValor = 3) {
    ConfiguracaoConcentrador c;
    c.layout = layout;
    c.casasLitragem = casasLitragem;
    c.casasValor = casasValor;
    return c;
}

const QString kCartao = QStringLiteral("ABCD123456789XYZ");

} // namespace

TEST(Respostas, Padrao52CadaCampoNaSuaPosicao) {
    Concentrador c(com(Layout::Padrao));
    c.nucleo.defineEncerrante(QStringLiteral("03"), m(u"123456.78"));
    c.nucleo.geraAbastecimento(QStringLiteral("03"), m(u"12.345"), {}, 75);
    const QString r = c.pede();
    ASSERT_EQ(r.size(), 52) << r.toStdString();
    EXPECT_EQ(em(r, 1, 1), u"(");
    EXPECT_EQ(em(r, 2, 6), u"007395");        // 12.345 x 5.99 = 73.94655 -> 73.95
    EXPECT_EQ(em(r, 8, 6), u"012345");        // 3 decimals
    EXPECT_EQ(em(r, 14, 4), u"5990");         // 1 + 3
    EXPECT_EQ(em(r, 18, 2), u"03");           // product
    EXPECT_EQ(em(r, 20, 4), u"0075");
    EXPECT_EQ(em(r, 24, 2), u"03");
    EXPECT_EQ(em(r, 26, 6), u"051800");       // day, hour, minute of the concentrator
    EXPECT_EQ(em(r, 38, 10), u"0012346912");  // 123469.125 shown with two decimals
    EXPECT_EQ(em(r, 50, 2), ChecksumFrame(em(r, 2, 48)));
    EXPECT_EQ(em(r, 52, 1), u")");
}

TEST(Respostas, DuasCasasDecimaisMudamLitrosEPreco) {
    Concentrador c(com(Layout::Padrao, 2, 2));
    c.nucleo.geraAbastecimento(QStringLiteral("01"), m(u"12.34"));
    const QString r = c.pede();
    EXPECT_EQ(em(r, 2, 6), u"007145");  // 12.34 x 5.79 = 71.4486
    EXPECT_EQ(em(r, 8, 6), u"001234");
    EXPECT_EQ(em(r, 14, 4), u"0579");
}

TEST(Respostas, IdentFid75DeslocadoComCartao) {
    Concentrador c(com(Layout::IdentFid));
    c.nucleo.geraAbastecimento(QStringLiteral("02"), m(u"20"), kCartao);
    c.nucleo.geraAbastecimento(QStringLiteral("02"), m(u"1"));
    const QString r = c.pede();
    ASSERT_EQ(r.size(), 75) << r.toStdString();
    EXPECT_EQ(em(r, 2, 1), u"1");
    EXPECT_EQ(em(r, 3, 6), u"007780");
    EXPECT_EQ(em(r, 9, 6), u"020000");
    EXPECT_EQ(em(r, 15, 4), u"3890");
    EXPECT_EQ(em(r, 25, 2), u"02");
    EXPECT_EQ(em(r, 27, 6), u"051800");
    EXPECT_EQ(em(r, 39, 10), u"0000002000");
    EXPECT_EQ(em(r, 51, 16), kCartao);
    EXPECT_EQ(em(r, 67, 6), u"000000");
    EXPECT_EQ(em(r, 73, 2), ChecksumFrame(em(r, 2, 71)));
    EXPECT_EQ(em(r, 75, 1), u")");

    c.responde(QStringLiteral("(&I)"));
    const QString semCartao = c.pede();
    EXPECT_EQ(em(semCartao, 2, 1), u"0");
    EXPECT_EQ(em(semCartao, 51, 16), QString(16, QLatin1Char('0')));
}

TEST(Respostas, Curta34TerminaNosMinutosComChecksum) {
    Concentrador c(com(Layout::Curto));
    c.nucleo.geraAbastecimento(QStringLiteral("04"), m(u"30"));
    const QString r = c.pede();
    ASSERT_EQ(r.size(), 34) << r.toStdString();
    EXPECT_EQ(em(r, 2, 6), u"017370");
    EXPECT_EQ(em(r, 24, 2), u"04");
    EXPECT_EQ(em(r, 26, 6), u"051800");
    EXPECT_EQ(em(r, 32, 2), ChecksumFrame(em(r, 2, 30)));
    EXPECT_EQ(em(r, 34, 1), u")");
    EXPECT_EQ(c.nucleo.livro().abastecimento(1).encerrante, Moeda());
}

TEST(Respostas, PrecoZeroDeixaOTotalDoBico) {
    auto cfg = com(Layout::Padrao);
    cfg.precoZero = true;
    Concentrador c(cfg);
    c.nucleo.geraAbastecimento(QStringLiteral("01"), m(u"10"));
    const QString r = c.pede();
    EXPECT_EQ(em(r, 14, 4), u"0000");
    EXPECT_EQ(em(r, 2, 6), u"005790");
    EXPECT_EQ(c.nucleo.livro().abastecimento(1).preco, Moeda());
}

// A sum of exactly 256 would need "100" in a two-character field: the
// concentrator moves S so the checksum always fits and always verifies.
TEST(Respostas, SomaDe256MoveSParaOChecksumCaberEmDoisDigitos) {
    CamposAbastecimento c;
    c.bico = QStringLiteral("01");
    const QString zeros = formataAbastecimento(c, Layout::Padrao, 3, 3, ModoChecksum::Correto);
    int soma = 2 * '0';  // S written "00"
    for (QChar ch : em(zeros, 2, 46)) soma += ch.unicode();
    int falta = (256 - soma % 256) % 256;
    // Spread the missing amount over digit fields so the sum lands on a multiple of 256.
    auto digitos = [&](int largura) {
        QString d;
        for (int i = 0; i < largura; ++i) {
            const int v = std::min(falta, 9);
            falta -= v;
            d += QChar(char16_t(u'0' + v));
        }
        return d;
    };
    c.encerrante = Moeda::deDigitos(digitos(10), 2);
    c.litros = Moeda::deDigitos(digitos(6), 3);
    c.total = Moeda::deDigitos(digitos(6), 2);
    c.duracao = digitos(4);
    c.r = digitos(4);
    ASSERT_EQ(falta, 0);
    const QString r = formataAbastecimento(c, Layout::Padrao, 3, 3, ModoChecksum::Correto);
    ASSERT_EQ(r.size(), 52);
    EXPECT_EQ(em(r, 48, 2), u"01");
    EXPECT_EQ(em(r, 50, 2), ChecksumFrame(em(r, 2, 48)));
    EXPECT_EQ(em(r, 50, 2), u"01");
}

TEST(Respostas, ChecksumDiferenteNuncaConfereMasEhConsistente) {
    auto cfg = com(Layout::Padrao);
    cfg.checksum = ModoChecksum::SomaComParentese;
    Concentrador c(cfg);
    for (int i = 1; i <= 300; ++i) {
        c.nucleo.geraAbastecimento(QStringLiteral("01"), Moeda::deDigitos(QString::number(i * 37), 3));
        const QString r = c.pede();
        ASSERT_EQ(r, c.pede());
        ASSERT_EQ(r.size(), 52);
        ASSERT_NE(em(r, 50, 2), ChecksumFrame(em(r, 2, 48))) << r.toStdString();
        c.responde(QStringLiteral("(&I)"));
    }
}

TEST(Respostas, VersaoCom51CaracteresFirmwareEMonitor) {
    auto cfg = com(Layout::Padrao);
    cfg.firmware = QStringLiteral("A1B2");
    cfg.monitor = QStringLiteral("0309");
    Concentrador c(cfg);
    const QString r = c.responde(QStringLiteral("(&S)"));
    ASSERT_EQ(r.size(), 51);
    EXPECT_EQ(em(r, 40, 4), u"A1B2");
    EXPECT_EQ(em(r, 44, 4), u"0309");
    EXPECT_TRUE(r.startsWith(QLatin1Char('(')) && r.endsWith(QLatin1Char(')')));
}

TEST(Respostas, LeituraDeVoltaDosCamposERecusaDeNaoDigitos) {
    Concentrador c(com(Layout::IdentFid, 2, 3));
    c.nucleo.geraAbastecimento(QStringLiteral("02"), m(u"40.5"), kCartao, 125);
    const QString r = c.pede();
    const auto campos = leAbastecimento(r, 2, 3);
    ASSERT_TRUE(campos);
    EXPECT_EQ(campos->litros, m(u"40.5"));
    EXPECT_EQ(campos->cartao, kCartao);
    EXPECT_EQ(campos->duracao, u"0125");
    QString estragada = r;
    estragada[4] = QLatin1Char('x');
    EXPECT_FALSE(leAbastecimento(estragada, 2, 3));
    EXPECT_FALSE(leAbastecimento(r.left(60), 2, 3));
}

TEST(Respostas, ConfiguracaoInvalidaRecusadaEmPortugues) {
    auto cfg = com(Layout::Padrao, 3, 3);
    cfg.bicos = {{QStringLiteral("01"), 1, m(u"12.50"), Moeda()}};  // 12.500 needs 5 digits
    RelogioVirtual r(inicio());
    try {
        NucleoConcentrador n(r, cfg);
        FAIL();
    } catch (const Erro& e) {
        EXPECT_TRUE(e.descricao().contains(QStringLiteral("não cabe em 4 dígitos")));
    }
    cfg = com(Layout::Padrao, 4, 3);
    EXPECT_THROW((NucleoConcentrador{r, cfg}), Erro);
    Concentrador c;
    EXPECT_THROW(c.nucleo.geraAbastecimento(QStringLiteral("09"), m(u"1")), Erro);
    EXPECT_THROW(c.nucleo.geraAbastecimento(QStringLiteral("01"), m(u"1.2345")), Erro);
    EXPECT_EQ(c.nucleo.pendentes(), 0);
}
