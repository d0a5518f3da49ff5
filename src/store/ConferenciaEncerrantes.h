#pragma once

#include "platform/Moeda.h"
#include "store/Conexao.h"

#include <QDate>
#include <QList>
#include <QTime>
#include <cstdint>
#include <map>
#include <optional>

// On a nozzle each fueling starts where the one before it ended: litres that left
// the pump between two stored fuelings were lost, pumped with the automation off,
// or stored twice (a step backwards). The agent checks each fueling it stores; the
// report checks any period from the stored fuelings alone.
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

// The nozzle's chain just before (data, hora): its last fueling with a totalizer and
// the litres without one after it.
Elo eloAntes(Conexao& conexao, std::int16_t empresa, std::int16_t bico, const QDate& data, const QTime& hora);

// The chain of each nozzle as one agent stores its fuelings: the one stored before
// is the one the concentrator handed over before, whatever their clocks say.
class CadeiaEncerrantes {
public:
    // The gap before a fueling just stored. A nozzle's first in this run is compared
    // with the database: with the nozzle's last fueling before it by time, and with
    // nothing when a later one is stored already.
    std::optional<Lacuna> gravou(Conexao& conexao, std::int16_t empresa, std::int16_t bico, const Leitura& leitura);

private:
    std::map<std::pair<std::int16_t, std::int16_t>, Elo> elos_;
};

struct LinhaBico {
    std::int16_t bico = 0;
    std::int32_t produto = 0; // of its last fueling in the period
    bool comEncerrantes = false;
    Moeda encerranteInicial;  // the first fueling's with a totalizer
    Moeda encerranteFinal;    // the last one's
    Moeda litrosEncerrantes;  // what the totalizer counted between them, across turns
    Moeda litrosAbastecimentos;
    int lacunas = 0;
    Moeda diferenca() const { return litrosEncerrantes - litrosAbastecimentos; }
};

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
    Moeda litrosLacunas() const;
};

// Every nozzle with fuelings from `de` to `ate` (whole days). The first fueling of
// the period is compared with the nozzle's last one before it.
Relatorio calcula(Conexao& conexao, std::int16_t empresa, const QDate& de, const QDate& ate);

} // namespace talvero::encerrantes
