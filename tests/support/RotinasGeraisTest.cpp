#include "platform/Erro.h"
#include "platform/TempoVirtual.h"
#include "support/RotinasGerais.h"

#include <gtest/gtest.h>

#include <vector>

using namespace talvero;

namespace {

TEST(SeparaCampo, CamposFechadosPorSeparador) {
    const QString t = QStringLiteral("1234|@|5678|@|");
    EXPECT_EQ(SeparaCampo(t, 1), "1234");
    EXPECT_EQ(SeparaCampo(t, 2), "5678");
    EXPECT_EQ(SeparaCampo(t, 3), "");
    EXPECT_EQ(SeparaCampo(QStringLiteral("A|@||@|C|@|"), 2), "");
    EXPECT_EQ(SeparaCampo(QStringLiteral("A|@||@|C|@|"), 3), "C");
}

TEST(SeparaCampo, TextoAposUltimoSeparadorNuncaEhCampo) {
    EXPECT_EQ(SeparaCampo(QStringLiteral("A|@|B"), 1), "A");
    EXPECT_EQ(SeparaCampo(QStringLiteral("A|@|B"), 2), "");
    EXPECT_EQ(SeparaCampo(QStringLiteral("sem separador"), 1), "");
    EXPECT_EQ(SeparaCampo(QString(), 1), "");
    EXPECT_EQ(SeparaCampo(QStringLiteral("A|@|"), 0), "");
    EXPECT_EQ(SeparaCampo(QStringLiteral("A|@|"), -1), "");
    // A separator begins a new field only after the previous one has ended.
    EXPECT_EQ(SeparaCampo(QStringLiteral("|@|@|X|@|"), 2), "@|X");
}

TEST(SeparaCampo, TextoAlemDe32767CaracteresEstoura) {
    const QString limite = QString(32763, QLatin1Char('x')) + QStringLiteral("|@|Y");
    EXPECT_EQ(SeparaCampo(limite, 1).size(), 32763);
    try {
        SeparaCampo(limite + QLatin1Char('Z'), 1);
        FAIL() << "esperava estouro";
    } catch (const Erro& e) {
        EXPECT_EQ(e.numero(), erros::Estouro);
    }
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

TEST_F(Espera, TerminaNaEnesimaViradaDeSegundo) {
    EXPECT_EQ(esperaMs(2), 1700);
    EXPECT_EQ(relogio.agora().time(), QTime(18, 0, 2));
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

TEST_F(Espera, OutroTimerContinuaDisparandoDuranteAEspera) {
    std::vector<std::int64_t> disparos;
    auto timer = agendador.criaTemporizador(500, [&] { disparos.push_back(relogio.ms()); });
    timer->setHabilitado(true);
    const auto inicio = relogio.ms();
    AguardaSegundos(relogio, agendador, 2);
    ASSERT_EQ(disparos.size(), 3u);  // at +500, +1000, +1500 of the 1700 ms wait
    EXPECT_EQ(disparos.front() - inicio, 500);
}

} // namespace
