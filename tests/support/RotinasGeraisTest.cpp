#include "comum/Ajuda.h"
#include "platform/TempoVirtual.h"
#include "support/RotinasGerais.h"

#include <vector>

using namespace talvero;
using namespace talvero::teste;

TEST(SeparaCampo, SoCamposFechadosPorSeparador) {
    const std::tuple<const char*, int, const char*> casos[] = {
        {"1234|@|5678|@|", 1, "1234"}, {"1234|@|5678|@|", 2, "5678"}, {"1234|@|5678|@|", 3, ""},
        {"A|@||@|C|@|", 2, ""}, {"A|@||@|C|@|", 3, "C"},
        // Text after the last separator is never a field.
        {"A|@|B", 1, "A"}, {"A|@|B", 2, ""}, {"sem separador", 1, ""}, {"", 1, ""}, {"A|@|", 0, ""}, {"A|@|", -1, ""},
        // A separator begins a new field only after the previous one has ended.
        {"|@|@|X|@|", 2, "@|X"}};
    for (const auto& [texto, n, campo] : casos) EXPECT_EQ(SeparaCampo(texto, n), campo) << texto << " " << n;

    const QString limite = QString(32763, QLatin1Char('x')) + QStringLiteral("|@|Y");
    EXPECT_EQ(SeparaCampo(limite, 1).size(), 32763);
    EXPECT_EQ(erroDe([&] { SeparaCampo(limite + QLatin1Char('Z'), 1); }), erros::Estouro);
}

struct Espera : ::testing::Test {
    RelogioVirtual relogio{QDateTime(QDate(2026, 12, 5), QTime(18, 0, 0, 300))};
    AgendadorVirtual agendador{relogio};

    std::int64_t esperaMs(int n) {
        const auto inicio = relogio.ms();
        AguardaSegundos(relogio, agendador, n);
        return relogio.ms() - inicio;
    }
};

TEST_F(Espera, TerminaNaEnesimaViradaDeSegundoComOsOutrosTimersDisparando) {
    std::vector<std::int64_t> disparos;
    auto timer = agendador.criaTemporizador(500, [&] { disparos.push_back(relogio.ms()); });
    timer->setHabilitado(true);
    const auto inicio = relogio.ms();
    EXPECT_EQ(esperaMs(2), 1700);
    EXPECT_EQ(relogio.agora().time(), QTime(18, 0, 2));
    ASSERT_EQ(disparos.size(), 3u);  // at +500, +1000, +1500 of the 1700 ms wait
    EXPECT_EQ(disparos.front() - inicio, 500);
    EXPECT_EQ(esperaMs(2), 2000);
    EXPECT_EQ(esperaMs(1), 1000);
}

TEST_F(Espera, ZeroOuNegativoVoltaSemDeixarEventosRodarem) {
    bool rodou = false;
    agendador.umaVez(0, [&] { rodou = true; });
    EXPECT_EQ(esperaMs(0), 0);
    EXPECT_EQ(esperaMs(-3), 0);
    EXPECT_FALSE(rodou);
}

TEST_F(Espera, AtravessaAMeiaNoite) {
    relogio.defineMs(RelogioVirtual(QDateTime(QDate(2026, 12, 5), QTime(23, 59, 59, 400))).ms());
    EXPECT_EQ(esperaMs(2), 1600);
    EXPECT_EQ(relogio.agora(), RelogioVirtual(QDateTime(QDate(2026, 12, 6), QTime(0, 0, 1))).agora());
}
