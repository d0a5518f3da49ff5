#include "cycle/EstacaoSimulada.h"

namespace talvero::teste {
namespace {

const Cenario kSerial52{"Serial52", false, sim::Layout::Padrao, 3, 3, false};

// A concentrator whose clock stands still can report more fuelings of one nozzle
// in one minute than the minute has 5-second times. The extra ones are kept in
// quarantine and acknowledged, so the queue behind them keeps moving; one handed
// over again after a lost acknowledgement is not kept twice.
TEST(MinutoCheio, ExcedentesVaoParaQuarentenaEAFilaSegue) {
    EstacaoSimulada e(ConcentradorDoCenario(kSerial52, 0, 1), QDateTime(QDate(2026, 12, 5), QTime(8, 0)));
    for (int i = 0; i < 14; ++i) e.nucleo.geraAbastecimento(QStringLiteral("01"), Moeda::deInteiro(10 + i));
    e.nucleo.geraAbastecimento(QStringLiteral("02"), Moeda::deInteiro(5));
    e.iniciaAgente();
    ASSERT_TRUE(e.esvazia(30 * kMinuto));

    EXPECT_EQ(e.agente->abastecimentos().size(), 13);  // 12 times of nozzle 1, and nozzle 2
    const auto rejeitados = e.agente->rejeitados();
    ASSERT_EQ(rejeitados.size(), 2);
    EXPECT_TRUE(rejeitados.last().Erro.startsWith(QStringLiteral("Nenhum horário livre no minuto para o bico 1")));

    e.nucleo.enfileiraResposta(rejeitados.last().RegistroAutomacao);
    ASSERT_TRUE(e.esvazia(5 * kMinuto));
    EXPECT_EQ(e.agente->rejeitados().size(), 2);
    EXPECT_EQ(e.log.conta(QStringLiteral("já guardado em AbastecimentoRejeitado")), 1);
}

} // namespace
} // namespace talvero::teste
