#include "cycle/LeituraAbastecimento.h"
#include "comum/Ajuda.h"
#include "simulator/FormatoRespostas.h"

using namespace talvero;
using namespace talvero::teste;
using namespace talvero::leitura;

TEST(DataDoAbastecimento, DiaAteHojeEhDesteMesPosteriorDoAnteriorAmanhaSoLogoAposAMeiaNoite) {
    const QTime tarde(18, 0);
    // (day, hour and minute of the answer, now, date)
    const std::tuple<const char*, const char*, QDateTime, QDate> casos[] = {
        {"05", "1730", {QDate(2026, 12, 5), tarde}, QDate(2026, 12, 5)},
        {"01", "1730", {QDate(2026, 12, 5), tarde}, QDate(2026, 12, 1)},
        // Read after midnight at the turn of the month: the fueling is last month's.
        {"30", "2350", {QDate(2026, 12, 2), tarde}, QDate(2026, 11, 30)},
        {"31", "2350", {QDate(2027, 1, 1), tarde}, QDate(2026, 12, 31)},
        {"31", "1200", {QDate(2026, 4, 15), tarde}, QDate(2026, 3, 31)},
        {"29", "1200", {QDate(2024, 3, 1), tarde}, QDate(2024, 2, 29)},
        // 30 February and 31 April do not exist; neither do days 0 and 99.
        {"30", "1200", {QDate(2026, 3, 2), tarde}, QDate(2026, 3, 1)},
        {"31", "1200", {QDate(2026, 5, 20), tarde}, QDate(2026, 5, 1)},
        {"00", "1200", {QDate(2026, 12, 5), tarde}, QDate(2026, 12, 1)},
        {"99", "1200", {QDate(2026, 12, 5), tarde}, QDate(2026, 12, 1)},
        // A concentrator clock a little ahead across midnight, also at a month's and a year's turn.
        {"06", "0000", {QDate(2026, 12, 5), QTime(23, 59, 50)}, QDate(2026, 12, 6)},
        {"01", "0014", {QDate(2026, 11, 30), QTime(23, 59)}, QDate(2026, 12, 1)},
        {"01", "0010", {QDate(2026, 12, 31), QTime(23, 55)}, QDate(2027, 1, 1)},
        {"06", "0016", {QDate(2026, 12, 5), QTime(23, 59, 50)}, QDate(2026, 11, 6)},
        {"06", "0000", {QDate(2026, 12, 5), QTime(23, 44, 59)}, QDate(2026, 11, 6)}};
    for (const auto& [dia, horaMinuto, agora, data] : casos) {
        const QString hm = QString::fromLatin1(horaMinuto);
        EXPECT_EQ(DataDoAbastecimento(QString::fromLatin1(dia), hm.left(2), hm.mid(2), agora), data)
            << dia << horaMinuto;
    }
    EXPECT_THROW(DataDoAbastecimento(u"1a", u"12", u"00", QDateTime(QDate(2026, 12, 5), tarde)),
                 Erro);
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
        EXPECT_EQ(PrecoUnitario(QString::fromLatin1(digitos), casas, dedarud), M(preco))
            << digitos << casas << dedarud;
    EXPECT_EQ(Litros(u"012345", 3), M("12.345"));
    EXPECT_EQ(Litros(u"012345", 2), M("123.45"));
    EXPECT_THROW(PrecoUnitario(u"04 9", 2, false), Erro);
    EXPECT_THROW(Litros(u"012345", 4), Erro);
    EXPECT_TRUE(PrecoDedarud(QStringLiteral("Auto Posto dedarud Ltda")));
    EXPECT_FALSE(PrecoDedarud(QStringLiteral("Auto Posto Dedaru")));
    EXPECT_TRUE(LitrosDedarud(QStringLiteral("POSTO DEDARUD")));
    EXPECT_FALSE(LitrosDedarud(QStringLiteral("Auto Posto Dedarud")));
}

TEST(RespostaConfere, ChecksumComoOMontadorDeFramesEMolduraCompleta) {
    sim::CamposAbastecimento c;
    c.total = M("50");
    c.litros = M("10");
    c.preco = M("5");
    c.bico = QStringLiteral("01");
    c.encerrante = M("1050");
    const auto resposta = [&](sim::Leiaute l) {
        return sim::formataAbastecimento(c, l, 3, 3, sim::ModoChecksum::Correto);
    };
    const QString padrao = resposta(sim::Leiaute::Padrao), curta = resposta(sim::Leiaute::Curto);
    for (const QString& r : {padrao, resposta(sim::Leiaute::IdentFid), curta})
        EXPECT_TRUE(RespostaConfere(r)) << r.toStdString();
    QString trocada = padrao;
    trocada[3] = trocada[3] == QLatin1Char('9') ? QLatin1Char('8')
                                                : QLatin1Char('9'); // a flipped digit of the total
    for (const QString& r :
         {trocada, padrao.left(51) + QLatin1Char(']'), QLatin1Char('#') + curta.mid(1),
          padrao.left(34) /* the start of a longer answer */, padrao + QStringLiteral("(0)")})
        EXPECT_FALSE(RespostaConfere(r)) << r.toStdString();
}
