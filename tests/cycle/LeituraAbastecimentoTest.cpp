#include "comum/Ajuda.h"
#include "cycle/AgenteDeTeste.h"
#include "cycle/LeituraAbastecimento.h"

using namespace talvero;
using namespace talvero::teste;
using namespace talvero::leitura;

TEST(DataDoAbastecimento, DiaAteHojeEhDesteMesPosteriorDoAnteriorInexistenteViraPrimeiro) {
    const std::tuple<const char*, QDate, QDate> casos[] = {
        {"05", QDate(2026, 12, 5), QDate(2026, 12, 5)}, {"01", QDate(2026, 12, 5), QDate(2026, 12, 1)},
        // Read after midnight at the turn of the month: the fueling is last month's.
        {"30", QDate(2026, 12, 2), QDate(2026, 11, 30)}, {"31", QDate(2027, 1, 1), QDate(2026, 12, 31)},
        {"31", QDate(2026, 4, 15), QDate(2026, 3, 31)}, {"29", QDate(2024, 3, 1), QDate(2024, 2, 29)},
        // 30 February and 31 April do not exist; neither do days 0 and 99.
        {"30", QDate(2026, 3, 2), QDate(2026, 3, 1)}, {"31", QDate(2026, 5, 20), QDate(2026, 5, 1)},
        {"00", QDate(2026, 12, 5), QDate(2026, 12, 1)}, {"99", QDate(2026, 12, 5), QDate(2026, 12, 1)}};
    for (const auto& [dia, hoje, data] : casos) EXPECT_EQ(DataDoAbastecimento(QString::fromLatin1(dia), hoje), data) << dia;
    EXPECT_THROW(DataDoAbastecimento(u"1a", QDate(2026, 12, 5)), Erro);
}

TEST(HoraEValoresDoAbastecimento, SoHorasReaisCasasDecimaisEARegraDedarud) {
    EXPECT_EQ(HoraDoAbastecimento(u"17", u"30"), QTime(17, 30, 0));
    EXPECT_EQ(HoraDoAbastecimento(u"00", u"00"), QTime(0, 0, 0));
    EXPECT_THROW(HoraDoAbastecimento(u"24", u"00"), Erro);
    EXPECT_THROW(HoraDoAbastecimento(u"12", u"60"), Erro);
    EXPECT_THROW(HoraDoAbastecimento(u"1 ", u"30"), Erro);

    // (digits, decimal setting, company named Dedarud, price): Dedarud reads 1 + 3
    // digits unless the first is 0, then 2 + 2.
    const std::tuple<const char*, int, bool, const char*> precos[] = {
        {"0459", 2, false, "4.59"}, {"4590", 3, false, "4.59"}, {"4590", 2, true, "4.59"},
        {"0459", 2, true, "4.59"},  {"1234", 2, true, "1.234"}, {"1234", 2, false, "12.34"}};
    for (const auto& [digitos, casas, dedarud, preco] : precos)
        EXPECT_EQ(PrecoUnitario(QString::fromLatin1(digitos), casas, dedarud), M(preco)) << digitos << casas << dedarud;
    EXPECT_EQ(Litros(u"012345", 3), M("12.345"));
    EXPECT_EQ(Litros(u"012345", 2), M("123.45"));
    EXPECT_THROW(PrecoUnitario(u"04 9", 2, false), Erro);
    EXPECT_THROW(Litros(u"012345", 4), Erro);
    EXPECT_TRUE(EmpresaDedarud(QStringLiteral("Auto Posto dedarud Ltda")));
    EXPECT_FALSE(EmpresaDedarud(QStringLiteral("Auto Posto Dedaru")));
}

TEST(RespostaConfere, ChecksumComoOMontadorDeFramesEMolduraCompleta) {
    const QString padrao = RespostaAbastecimento("005000", "010000", "5000", "0130", "01", "05", "17", "30", "0000105000");
    const QString identFid = RespostaAbastecimento("005000", "010000", "5000", "0130", "01", "05", "17", "30",
                                                   "0000105000", QStringLiteral("0123456789ABCDEF"));
    const QString curta = RespostaAbastecimento("005000", "010000", "5000", "0130", "01", "05", "17", "30");
    ASSERT_EQ(std::tuple(padrao.size(), identFid.size(), curta.size()), std::tuple(52, 75, 34));
    for (const QString& r : {padrao, identFid, curta}) EXPECT_TRUE(RespostaConfere(r)) << r.toStdString();
    QString trocada = padrao;
    trocada[3] = QLatin1Char('9');  // a flipped digit of the total
    for (const QString& r : {trocada, padrao.left(51) + QLatin1Char(']'), QLatin1Char('#') + curta.mid(1),
                             padrao.left(34) /* the start of a longer answer */, padrao + QStringLiteral("(0)")})
        EXPECT_FALSE(RespostaConfere(r)) << r.toStdString();
}
