#include "support/RotinasGerais.h"
#include "comum/Ajuda.h"
#include "ensaio/TempoVirtual.h"

using namespace talvero;
using namespace talvero::teste;

TEST(SeparaCampo, SoCamposFechadosPorSeparador) {
    const std::tuple<const char*, int, const char*> casos[] = {
        {"1234|@|5678|@|", 2, "5678"},
        {"1234|@|5678|@|", 3, ""},
        {"A|@||@|C|@|", 2, ""},
        {"A|@||@|C|@|", 3, "C"},
        // Text after the last separator is never a field.
        {"A|@|B", 1, "A"},
        {"A|@|B", 2, ""},
        {"sem separador", 1, ""},
        {"", 1, ""},
        {"A|@|", 0, ""},
        {"A|@|", -1, ""},
        // A separator begins a new field only after the previous one has ended.
        {"|@|@|X|@|", 2, "@|X"}};
    for (const auto& [texto, n, campo] : casos)
        EXPECT_EQ(SeparaCampo(texto, n), campo) << texto << " " << n;

    const QString limite = QString(32763, QLatin1Char('x')) + QStringLiteral("|@|Y");
    EXPECT_EQ(SeparaCampo(limite, 1).size(), 32763);
    EXPECT_EQ(erroDe([&] { SeparaCampo(limite + QLatin1Char('Z'), 1); }), erros::Estouro);
}

// The start is taken to the second; other timers fire meanwhile, and n <= 0
// returns without letting anything run.
TEST(AguardaSegundos, TerminaNaEnesimaViradaDeSegundoComOsTimersDisparando) {
    const struct {
        QDateTime inicio;
        int n;
        std::int64_t ms;
    } casos[] = {{QDateTime(QDate(2026, 12, 5), QTime(18, 0, 0, 300)), 2, 1700},
                 {QDateTime(QDate(2026, 12, 5), QTime(18, 0)), 2, 2000},
                 {QDateTime(QDate(2026, 12, 5), QTime(23, 59, 59, 400)), 2, 1600},
                 {QDateTime(QDate(2026, 12, 5), QTime(18, 0, 0, 300)), 0, 0},
                 {QDateTime(QDate(2026, 12, 5), QTime(18, 0, 0, 300)), -3, 0}};
    for (const auto& c : casos) {
        RelogioVirtual relogio(c.inicio);
        AgendadorVirtual agendador(relogio);
        int disparos = 0;
        bool imediato = false;
        auto temporizador = agendador.criaTemporizador(500, [&] { ++disparos; });
        temporizador->setHabilitado(true);
        agendador.umaVez(0, [&] { imediato = true; });
        const std::int64_t inicio = relogio.ms();
        AguardaSegundos(relogio, agendador, c.n);
        EXPECT_EQ(relogio.ms() - inicio, c.ms) << c.inicio.toString().toStdString() << " n=" << c.n;
        EXPECT_EQ(disparos, c.ms / 500);
        EXPECT_EQ(imediato, c.n > 0);
    }
}
