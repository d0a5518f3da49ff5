#include "estacao/Estacao.h"

namespace talvero::teste {
namespace {

class DiaDeEstacao : public ::testing::TestWithParam<Cenario> {};

// From six in the morning of the last day of the year to six of the next. The
// automation is paused over midnight, so the last fuelings of the year are read
// in another month and year.
TEST_P(DiaDeEstacao, OBancoFicaIgualAoLivroDoConcentrador) {
    const Cenario& c = GetParam();
    Estacao e(c, 1.2, 7, QDateTime(QDate(2026, 12, 31), QTime(6, 0)));
    if (c.leiaute == sim::Leiaute::IdentFid) e.cadastraCartoes(10, 7);
    e.iniciaAgente();
    e.roda(17 * kHora + 58 * kMinuto);
    e.agente().ciclo().pausa();
    e.roda(90'000);
    for (const QString codigo : {"01", "02", "03", "04"})
        e.nucleo.geraAbastecimento(codigo, Moeda::deInteiro(20));
    e.roda(3 * kMinuto);
    e.agente().ciclo().retoma();
    e.roda(6 * kHora - 30'000);
    ASSERT_TRUE(e.esvazia(10 * kMinuto));
    const std::int64_t viradas = e.confereComOLivro();

    int lidosNoAnoSeguinte = 0, noDia31 = 0, comCartao = 0;
    const auto& livro = e.nucleo.livro();
    for (const auto& ev : livro.eventos())
        if (ev.evento == sim::EventoLivro::Confirmado && ev.momento.date().year() == 2027 &&
            livro.abastecimento(ev.id).relogio.date().year() == 2026)
            ++lidosNoAnoSeguinte;
    for (const auto& a : livro.abastecimentos()) {
        noDia31 += a.relogio.date() == QDate(2026, 12, 31) ? 1 : 0;
        comCartao += a.cartao.isEmpty() ? 0 : 1;
    }
    EXPECT_GE(lidosNoAnoSeguinte, 4);
    EXPECT_GT(livro.abastecimentos().size(), 1500u);
    EXPECT_GT(noDia31, 0);
    EXPECT_LT(noDia31, int(livro.abastecimentos().size()));
    if (c.leiaute != sim::Leiaute::Curto) {
        EXPECT_GE(viradas, 4);
    } // every nozzle passed a million
    if (c.leiaute == sim::Leiaute::IdentFid) {
        EXPECT_GT(comCartao, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Transportes, DiaDeEstacao,
    ::testing::Values(Cenario{"Serial52", false, sim::Leiaute::Padrao, 3, 3, false},
                      Cenario{"Serial34PrecoDoCadastro", false, sim::Leiaute::Curto, 2, 2, true},
                      Cenario{"Serial75", false, sim::Leiaute::IdentFid, 3, 2, false},
                      Cenario{"Biblioteca75PrecoDoCadastro", true, sim::Leiaute::IdentFid, 2, 3,
                              true}),
    nomeDoCenario);

} // namespace
} // namespace talvero::teste
