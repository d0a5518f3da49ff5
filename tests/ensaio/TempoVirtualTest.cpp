#include "comum/Ajuda.h"
#include "ensaio/PlataformaDeTeste.h"

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

// As window timers: while a handler waits letting events run, the other timer
// goes on and its own does not fire again; overdue by then, it fires at once.
TEST_F(Tempo, TimerNaoReentraNaPropriaEsperaEAtrasadoDisparaAoVoltar) {
    int automacao = 0, arquivo = 0, profundidade = 0, maiorProfundidade = 0;
    std::vector<std::int64_t> inicios;
    auto ta = mundo.agendador.criaTemporizador(500, [&] {
        ++automacao;
        inicios.push_back(p.relogio.ms());
        maiorProfundidade = std::max(maiorProfundidade, ++profundidade);
        const auto fim = p.relogio.ms() + 2000;
        while (p.relogio.ms() < fim)
            mundo.agendador.aguardaEventos(50);
        --profundidade;
    });
    auto tb = mundo.agendador.criaTemporizador(500, [&] { ++arquivo; });
    ta->setHabilitado(true);
    tb->setHabilitado(true);
    const std::int64_t inicio = p.relogio.ms();
    p.agendador.avanca(5000);
    EXPECT_EQ(maiorProfundidade, 1);
    EXPECT_EQ(arquivo, (p.relogio.ms() - inicio) / 500);
    ASSERT_EQ(automacao, 4); // at 0.5 s, then each as the wait before it ends
    EXPECT_EQ(inicios[1] - inicio, 2500);
}

TEST_F(Tempo, TimerPodeSeDestruirNoProprioDisparo) {
    int n = 0;
    std::unique_ptr<Temporizador> t;
    t = mundo.agendador.criaTemporizador(100, [&] {
        ++n;
        t.reset();
    });
    t->setHabilitado(true);
    p.agendador.umaVez(250, [&] { ++n; });
    p.agendador.avanca(1000);
    EXPECT_EQ(n, 2);
}
