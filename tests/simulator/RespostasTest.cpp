#include "Concentrador.h"

#include "simulator/FormatoRespostas.h"

using namespace talvero;
using namespace talvero::sim;
using namespace talvero::sim::teste;

namespace {

ConfiguracaoConcentrador com(Leiaute leiaute, int casasLitragem = 3, int casasValor = 3) {
    ConfiguracaoConcentrador c;
    c.leiaute = leiaute;
    c.casasLitragem = casasLitragem;
    c.casasValor = casasValor;
    return c;
}

// An answer as the concentrator closes it: the checksum of what follows "(", then ")".
QString fechada(const char* corpo) {
    const QString c = QString::fromLatin1(corpo);
    return c + ChecksumQuadro(c.mid(1)) + QLatin1Char(')');
}

} // namespace

// Field by field: total, litres, price, product, duration, nozzle, day-hour-minute,
// "00", sequence number, totalizer, "00" (then card, "0000", "00" in the 75 layout).
TEST(Respostas, CadaLeiauteComOsCamposNasSuasPosicoes) {
    Concentrador padrao(com(Leiaute::Padrao));
    padrao.nucleo.defineEncerrante(QStringLiteral("03"), m(u"123456.78"));
    padrao.nucleo.geraAbastecimento(QStringLiteral("03"), m(u"12.345"), {},
                                    75); // 12.345 x 5.99 = 73.94655
    EXPECT_EQ(padrao.pede(), fechada("("
                                     "007395"
                                     "012345"
                                     "5990"
                                     "03"
                                     "0075"
                                     "03"
                                     "051800"
                                     "00"
                                     "0001"
                                     "0012346912"
                                     "00"));

    Concentrador duasCasas(com(Leiaute::Padrao, 2, 2));
    duasCasas.nucleo.geraAbastecimento(QStringLiteral("01"), m(u"12.34")); // 12.34 x 5.79 = 71.4486
    EXPECT_EQ(duasCasas.pede(), fechada("("
                                        "007145"
                                        "001234"
                                        "0579"
                                        "01"
                                        "0060"
                                        "01"
                                        "051800"
                                        "00"
                                        "0001"
                                        "0000001234"
                                        "00"));

    auto cfg = com(Leiaute::Padrao);
    cfg.precoZero = true; // no price: the total is the nozzle's
    Concentrador semPreco(cfg);
    semPreco.nucleo.geraAbastecimento(QStringLiteral("01"), m(u"10"));
    EXPECT_EQ(semPreco.pede(), fechada("("
                                       "005790"
                                       "010000"
                                       "0000"
                                       "01"
                                       "0060"
                                       "01"
                                       "051800"
                                       "00"
                                       "0001"
                                       "0000001000"
                                       "00"));
    EXPECT_EQ(semPreco.nucleo.livro().abastecimento(1).preco, Moeda());

    Concentrador curta(com(Leiaute::Curto));
    curta.nucleo.geraAbastecimento(QStringLiteral("04"), m(u"30"));
    EXPECT_EQ(curta.pede(), fechada("("
                                    "017370"
                                    "030000"
                                    "5790"
                                    "01"
                                    "0060"
                                    "04"
                                    "051800"));
    EXPECT_EQ(curta.nucleo.livro().abastecimento(1).encerrante, Moeda());

    Concentrador identFid(com(Leiaute::IdentFid));
    identFid.nucleo.geraAbastecimento(QStringLiteral("02"), m(u"20"),
                                      QStringLiteral("ABCD123456789XYZ"));
    identFid.nucleo.geraAbastecimento(QStringLiteral("02"), m(u"1"));
    EXPECT_EQ(identFid.pede(), fechada("(1"
                                       "007780"
                                       "020000"
                                       "3890"
                                       "02"
                                       "0060"
                                       "02"
                                       "051800"
                                       "00"
                                       "0001"
                                       "0000002000"
                                       "00"
                                       "ABCD123456789XYZ"
                                       "0000"
                                       "00"));
    identFid.responde(QStringLiteral("(&I)"));
    EXPECT_EQ(identFid.pede(), fechada("(0"
                                       "000389"
                                       "001000"
                                       "3890"
                                       "02"
                                       "0060"
                                       "02"
                                       "051800"
                                       "00"
                                       "0002"
                                       "0000002100"
                                       "00"
                                       "0000000000000000"
                                       "0000"
                                       "00"));

    cfg.firmware = QStringLiteral("A1B2");
    cfg.monitor = QStringLiteral("0309");
    const QString versao =
        Concentrador(cfg).responde(QStringLiteral("(&S)")); // firmware and monitor at 40
    EXPECT_EQ(std::tuple(versao.size(), em(versao, 1, 3), em(versao, 40, 8), em(versao, 49, 3)),
              std::tuple(qsizetype(51), QString("(&S"), QString("A1B20309"),
                         ChecksumQuadro(em(versao, 2, 47)) + ")"));
}

// A sum of exactly 256 would need "100" in a two-character field: the
// concentrator moves S so the checksum always fits and always verifies.
TEST(Respostas, SomaDe256MoveSParaOChecksumCaberEmDoisDigitos) {
    CamposAbastecimento c;
    c.bico = QStringLiteral("01");
    int soma = 0;
    for (QChar ch :
         em(formataAbastecimento(c, Leiaute::Padrao, 3, 3, ModoChecksum::Correto), 2, 48))
        soma += ch.unicode();
    // Digits that bring the sum to a multiple of 256, spread over the numeric fields.
    const int falta = (256 - soma % 256) % 256;
    const QString d = (QString(falta / 9, QLatin1Char('9')) + QChar(u'0' + falta % 9))
                          .leftJustified(30, QLatin1Char('0'));
    c.encerrante = Moeda::deDigitos(d.mid(0, 10), 2);
    c.litros = Moeda::deDigitos(d.mid(10, 6), 3);
    c.total = Moeda::deDigitos(d.mid(16, 6), 2);
    c.duracao = d.mid(22, 4);
    c.r = d.mid(26, 4);
    const QString r = formataAbastecimento(c, Leiaute::Padrao, 3, 3, ModoChecksum::Correto);
    ASSERT_EQ(r.size(), 52);
    EXPECT_EQ(std::pair(em(r, 48, 2), em(r, 50, 2)), std::pair(QString("01"), QString("01")));
    EXPECT_EQ(em(r, 50, 2), ChecksumQuadro(em(r, 2, 48)));
}
