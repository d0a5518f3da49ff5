#include "cycle/AgenteDeTeste.h"
#include "cycle/LeituraAbastecimento.h"
#include "platform/Erro.h"

#include <gtest/gtest.h>

namespace talvero::teste {
namespace {

using namespace leitura;

QDate data(QStringView dia, int ano, int mes, int hoje) { return DataDoAbastecimento(dia, QDate(ano, mes, hoje)); }

TEST(DataDoAbastecimento, DiaAteHojeEhDesteMesDiaPosteriorEhDoMesAnterior) {
    EXPECT_EQ(data(u"05", 2026, 12, 5), QDate(2026, 12, 5));
    EXPECT_EQ(data(u"01", 2026, 12, 5), QDate(2026, 12, 1));
    // Read after midnight at the turn of the month: the fueling is last month's.
    EXPECT_EQ(data(u"30", 2026, 12, 2), QDate(2026, 11, 30));
    EXPECT_EQ(data(u"31", 2027, 1, 1), QDate(2026, 12, 31));
    EXPECT_EQ(data(u"31", 2026, 4, 15), QDate(2026, 3, 31));
}

TEST(DataDoAbastecimento, DiaInexistenteEDiaZeroViramPrimeiroDoMes) {
    EXPECT_EQ(data(u"30", 2026, 3, 2), QDate(2026, 3, 1));   // 30 February does not exist
    EXPECT_EQ(data(u"31", 2026, 5, 20), QDate(2026, 5, 1));  // nor 31 April
    EXPECT_EQ(data(u"29", 2024, 3, 1), QDate(2024, 2, 29));  // leap year
    EXPECT_EQ(data(u"00", 2026, 12, 5), QDate(2026, 12, 1));
    EXPECT_EQ(data(u"99", 2026, 12, 5), QDate(2026, 12, 1));
    EXPECT_THROW(data(u"1a", 2026, 12, 5), Erro);
}

TEST(HoraDoAbastecimento, SoHorasEMinutosReais) {
    EXPECT_EQ(HoraDoAbastecimento(u"17", u"30"), QTime(17, 30, 0));
    EXPECT_EQ(HoraDoAbastecimento(u"00", u"00"), QTime(0, 0, 0));
    EXPECT_THROW(HoraDoAbastecimento(u"24", u"00"), Erro);
    EXPECT_THROW(HoraDoAbastecimento(u"12", u"60"), Erro);
    EXPECT_THROW(HoraDoAbastecimento(u"1 ", u"30"), Erro);
}

TEST(ValoresDoAbastecimento, CasasDecimaisEARegraDedarud) {
    EXPECT_EQ(PrecoUnitario(u"0459", 2, false), Moeda::deTexto(u"4.59"));
    EXPECT_EQ(PrecoUnitario(u"4590", 3, false), Moeda::deTexto(u"4.59"));
    EXPECT_EQ(PrecoUnitario(u"4590", 2, true), Moeda::deTexto(u"4.59"));   // 1 + 3 digits
    EXPECT_EQ(PrecoUnitario(u"0459", 2, true), Moeda::deTexto(u"4.59"));   // first digit 0: 2 + 2
    EXPECT_EQ(PrecoUnitario(u"1234", 2, true), Moeda::deTexto(u"1.234"));
    EXPECT_EQ(PrecoUnitario(u"1234", 2, false), Moeda::deTexto(u"12.34"));
    EXPECT_EQ(Litros(u"012345", 3), Moeda::deTexto(u"12.345"));
    EXPECT_EQ(Litros(u"012345", 2), Moeda::deTexto(u"123.45"));
    EXPECT_THROW(PrecoUnitario(u"04 9", 2, false), Erro);
    EXPECT_THROW(Litros(u"012345", 4), Erro);
    EXPECT_TRUE(EmpresaDedarud(QStringLiteral("Auto Posto dedarud Ltda")));
    EXPECT_FALSE(EmpresaDedarud(QStringLiteral("Auto Posto Dedaru")));
}

TEST(RespostaConfere, ChecksumComoOMontadorDeFramesEMolduraCompleta) {
    const QString padrao = RespostaAbastecimento("005000", "010000", "5000", "0130", "01", "05", "17", "30",
                                                 "0000105000");
    const QString identFid = RespostaAbastecimento("005000", "010000", "5000", "0130", "01", "05", "17", "30",
                                                   "0000105000", QStringLiteral("0123456789ABCDEF"));
    const QString curta = RespostaAbastecimento("005000", "010000", "5000", "0130", "01", "05", "17", "30");
    ASSERT_EQ(padrao.size(), 52);
    ASSERT_EQ(identFid.size(), 75);
    ASSERT_EQ(curta.size(), 34);
    EXPECT_TRUE(RespostaConfere(padrao));
    EXPECT_TRUE(RespostaConfere(identFid));
    EXPECT_TRUE(RespostaConfere(curta));

    QString trocada = padrao;
    trocada[3] = QLatin1Char('9');  // a flipped digit of the total
    EXPECT_FALSE(RespostaConfere(trocada));
    EXPECT_FALSE(RespostaConfere(padrao.left(51) + QLatin1Char(']')));
    EXPECT_FALSE(RespostaConfere(QLatin1Char('#') + curta.mid(1)));
    EXPECT_FALSE(RespostaConfere(padrao.left(34)));  // the start of a longer answer
    EXPECT_FALSE(RespostaConfere(padrao + QStringLiteral("(0)")));
}

} // namespace
} // namespace talvero::teste
