#include "platform/TempoVirtual.h"

#include <gtest/gtest.h>

using namespace talvero;

namespace {

struct Tempo : ::testing::Test {
    RelogioVirtual relogio{QDateTime(QDate(2026, 12, 5), QTime(18, 0))};
    AgendadorVirtual agendador{relogio};
};

TEST_F(Tempo, UmaHoraDeTimersDe500msDisparaSeteMilEDuzentasVezes) {
    int disparos = 0;
    auto t = agendador.criaTemporizador(500, [&] { ++disparos; });
    t->setHabilitado(true);
    agendador.avanca(3600 * 1000);
    EXPECT_EQ(disparos, 7200);
    EXPECT_EQ(relogio.agora().time(), QTime(19, 0));
}

TEST_F(Tempo, TimerDesligadoDuranteEsperaNaoReentraEOutroContinua) {
    int automacao = 0, arquivo = 0;
    std::unique_ptr<Temporizador> ta;
    ta = agendador.criaTemporizador(500, [&] {
        ++automacao;
        ta->setHabilitado(false);
        const auto fim = relogio.ms() + 2000;
        while (relogio.ms() < fim) agendador.aguardaEventos(50);
        ta->setHabilitado(true);
    });
    auto tb = agendador.criaTemporizador(500, [&] { ++arquivo; });
    ta->setHabilitado(true);
    tb->setHabilitado(true);
    agendador.avanca(5000);
    // Each automation tick holds the clock 2 s and restarts its interval after it.
    EXPECT_EQ(automacao, 2);
    EXPECT_EQ(arquivo, 10);
}

TEST_F(Tempo, TimerPodeSeDestruirNoProprioDisparo) {
    int n = 0;
    std::unique_ptr<Temporizador> t;
    t = agendador.criaTemporizador(100, [&] { ++n; t.reset(); });
    t->setHabilitado(true);
    agendador.umaVez(250, [&] { ++n; });
    agendador.avanca(1000);
    EXPECT_EQ(n, 2);
}

} // namespace
