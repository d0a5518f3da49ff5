#include "comum/Ajuda.h"
#include "platform/PlataformaDeTeste.h"

#include <QTimeZone>

using namespace talvero;

struct Tempo : ::testing::Test {
    PlataformaDeTeste p;
    Plataforma mundo = p.plataforma();
};

TEST_F(Tempo, UmaHoraComDoisTimersDe500msDisparaSeteMilEDuzentasVezesCada) {
    int automacao = 0, arquivo = 0;
    auto ta = mundo.agendador.criaTemporizador(500, [&] { ++automacao; });
    auto tb = mundo.agendador.criaTemporizador(500, [&] { ++arquivo; });
    ta->setHabilitado(true);
    tb->setHabilitado(true);
    p.agendador.avanca(3600 * 1000);
    EXPECT_EQ(automacao, 7200);
    EXPECT_EQ(arquivo, 7200);
    EXPECT_EQ(mundo.relogio.agora(), QDateTime(QDate(2026, 12, 5), QTime(19, 0), QTimeZone::utc()));
}

TEST_F(Tempo, TimerDesligadoDuranteEsperaNaoReentraEOutroContinua) {
    int automacao = 0, arquivo = 0;
    std::unique_ptr<Temporizador> ta;
    ta = mundo.agendador.criaTemporizador(500, [&] {
        ++automacao;
        ta->setHabilitado(false);
        const auto fim = p.relogio.ms() + 2000;
        while (p.relogio.ms() < fim) mundo.agendador.aguardaEventos(50);
        ta->setHabilitado(true);
    });
    auto tb = mundo.agendador.criaTemporizador(500, [&] { ++arquivo; });
    ta->setHabilitado(true);
    tb->setHabilitado(true);
    p.agendador.avanca(5000);
    // Each automation tick holds the clock 2 s and restarts its interval after it.
    EXPECT_EQ(automacao, 2);
    EXPECT_EQ(arquivo, 10);
}

TEST_F(Tempo, TimerPodeSeDestruirNoProprioDisparo) {
    int n = 0;
    std::unique_ptr<Temporizador> t;
    t = mundo.agendador.criaTemporizador(100, [&] { ++n; t.reset(); });
    t->setHabilitado(true);
    p.agendador.umaVez(250, [&] { ++n; });
    p.agendador.avanca(1000);
    EXPECT_EQ(n, 2);
}
