#pragma once

#include <QStringList>

namespace talvero::teste {
class Estacao;
}

namespace talvero::soak {

struct ConferenciaEncerrantes {
    QStringList discrepancias;
    int manuais = 0;     // fuelings the ledger has as pumped with the automation off
    int lacunas = 0;     // gaps the report found, each explained by the ledger
    int meiaNoite = 0;   // nozzles whose chain the report carried across midnight
    int foraDeOrdem = 0; // neighbours on the counter whose clocks say the other order
};

// The totalizers' report of every day of the station database against the
// ledger: each gap it finds between two stored fuelings of a nozzle holds the
// litres of the manual and quarantined fuelings between them on the counter, and
// no others, whatever order their clocks give them; its stored litres per nozzle are the ledger's
// stored ones of that day.
ConferenciaEncerrantes confereEncerrantes(teste::Estacao& estacao);

} // namespace talvero::soak
