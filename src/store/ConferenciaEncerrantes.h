#pragma once

#include "platform/Moeda.h"
#include "store/Conexao.h"

#include <QDate>
#include <QList>
#include <QTime>
#include <cstdint>
#include <optional>

// On a nozzle each fueling starts where the one before it ended: litres that left
// the pump between two stored fuelings were lost, pumped with the automation off,
// or stored twice (a step backwards). The agent checks each fueling it stores; the
// report checks any period from the stored fuelings alone. Both chain a nozzle's
// fuelings by its counter, which only goes forward, not by their clock, which a
// concentrator set back can turn round.
namespace talvero::encerrantes {

// One stored fueling as the reconciliation sees it.
struct Leitura {
    QDate data;
    QTime hora;
    std::int32_t produto = 0;
    Moeda quantidade;
    Moeda encerrante;        // after it; 0 when the answer carried none
    Moeda encerranteInicial; // before it
    bool temEncerrante() const { return encerrante != Moeda(); }
};

// Where a nozzle's chain stands: its last fueling with a totalizer, and the litres
// stored since without one, which the next reading must have counted.
struct Elo {
    std::optional<Leitura> ultima;
    Moeda semEncerrante;
};

struct Lacuna {
    std::int16_t bico = 0;
    Leitura anterior;
    Leitura posterior;
    Moeda litros; // negative: the totalizer went back (a fueling stored twice)
};

// The step from the reading a fueling should start from to the one it starts
// from, taken across the counter's turn: 1,000,000 L when both readings are
// below it, else 100,000,000 L.
Moeda passo(Moeda esperado, Moeda inicial, Moeda encerranteAnterior, Moeda encerrante);

// Totalizers have two decimals and litres two or three: a step of at most one
// totalizer unit is rounding.
bool ehLacuna(Moeda passo);

// Adds a fueling to the chain; the gap before it, if there is one.
std::optional<Lacuna> encadeia(Elo& elo, std::int16_t bico, const Leitura& leitura);

// The gap before a fueling just stored, among the nozzle's latest fuelings on its
// counter: none when nothing comes before it there.
std::optional<Lacuna> lacunaAoGravar(Conexao& conexao, std::int16_t empresa, std::int16_t bico,
                                     const Leitura& leitura);

struct LinhaBico {
    std::int16_t bico = 0;
    std::int32_t produto = 0; // of its last fueling in the period
    bool comEncerrantes = false;
    Moeda encerranteInicial; // the first fueling's on the counter
    Moeda encerranteFinal;   // the last one's
    Moeda litrosEncerrantes; // what the counter ran between them, across turns
    Moeda litrosAbastecimentos;
    int lacunas = 0;
    Moeda diferenca() const { return litrosEncerrantes - litrosAbastecimentos; }
};

// Each fueling's litres go to its own product, so a nozzle that changed product
// within the period counts for both.
struct LinhaProduto {
    std::int32_t produto = 0;
    bool comEncerrantes = false;
    Moeda litrosEncerrantes;
    Moeda litrosAbastecimentos;
    int lacunas = 0;
    Moeda diferenca() const { return litrosEncerrantes - litrosAbastecimentos; }
};

struct Relatorio {
    QList<LinhaBico> bicos;
    QList<LinhaProduto> produtos;
    QList<Lacuna> lacunas;
    int emQuarentena = 0; // answers received in the period and still not stored
    // The gaps' litres, a step back counted by its size: what is unaccounted for.
    Moeda litrosLacunas() const;
};

// Every nozzle with fuelings from `de` to `ate` (whole days). A gap belongs to the
// day of the fueling after it; the one before may lie before the period.
Relatorio calcula(Conexao& conexao, std::int16_t empresa, const QDate& de, const QDate& ate);

} // namespace talvero::encerrantes
