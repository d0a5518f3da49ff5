#pragma once

#include "estacao/Estacao.h"

#include <QDateTime>
#include <QStringList>
#include <array>
#include <cstdint>
#include <vector>

namespace talvero::teste {
class ServidorPgDeTeste;
}

namespace talvero::soak {

// Every fault a soak day draws. The kills stop the agent where it stands.
enum class TipoFalha {
    MorteAntesDeEnviar,
    MorteDepoisDeEnviar,
    MorteDepoisDeReceber,
    MorteEntreTicks,
    BancoRecusaGravar,
    ServidorParado,
    PastaDoLogRemovida,
    Ruido,
    Silencio,
    Atraso,
    Partida,
    Truncada,
    Adulterada,
    ConfirmacaoPerdida,
    Desconexao,
    AbastecimentoManual,
    RelogioDoConcentrador,
    RelogioDoComputador,
};
constexpr std::size_t kTiposFalha = std::size_t(TipoFalha::RelogioDoComputador) + 1;
QString nomeFalha(TipoFalha t);

struct FalhaSorteada {
    TipoFalha tipo;
    std::int64_t inicioMs;  // from the start of the day
    std::int64_t duracaoMs; // faults that last; the pause before a killed agent starts again
    std::int64_t valor; // clock moves: ms; link faults: the next answers struck (0: a probability);
                        // kills: 1 waits for an acknowledgement or an answer with a fueling
    double probabilidade;
};

// One station day, drawn whole from (seed, day): the same pair gives the same day.
struct PlanoDia {
    std::uint64_t semente = 0;
    int dia = 0;
    teste::Cenario cenario{};
    sim::ConfiguracaoConcentrador concentrador;
    int pedacos = 2; // of an answer the pieces fault splits, with this pause between them
    int intervaloPedacosMs = 600;
    bool esperaFixa = false; // the agent's INI keys of the day
    bool descargaRapida = false;
    int cartoesGravados = 0;
    int cartoesCadastrados = 0;
    QDateTime inicio;
    std::int64_t duracaoMs = 0;
    std::vector<FalhaSorteada> falhas; // in the order they start
};

PlanoDia sorteiaDia(std::uint64_t semente, int dia, bool postgres, std::int64_t duracaoMs);
QString descreve(const PlanoDia& p);
QStringList descreveFalhas(const PlanoDia& p); // one line per fault, at its time of day

struct ResultadoDia {
    QStringList discrepancias;
    std::int64_t abastecimentos = 0;
    std::array<int, kTiposFalha> falhas{};
    int mortes = 0;
    int identicas = 0;   // fuelings whose answer repeated an earlier one's: one record for both
    int manuais = 0;     // pumped with the automation off
    int lacunas = 0;     // gaps of the totalizers' report, each explained by the ledger
    int meiaNoite = 0;   // nozzle chains the report carried across midnight
    int foraDeOrdem = 0; // stored neighbours the clock put out of their order
    std::int64_t viradas = 0; // totalizers that turned at the million
};

// Runs the day on the virtual clock, drains the concentrator and compares the
// database, and the totalizers' report of each of its days, with its ledger. With `servidor`, on a
// fresh PostgreSQL database.
ResultadoDia rodaDia(const PlanoDia& plano, teste::ServidorPgDeTeste* servidor);

} // namespace talvero::soak
