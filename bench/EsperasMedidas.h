#pragma once

#include <QString>

namespace talvero::medicao {

struct OpcoesEsperas {
    int pedidos = 50;  // "AUTOMACAO ATIVADA" requests per column
    int cartoes = 5;   // card writes, each followed by the erase of that card
    int pesquisas = 1; // searches for a card that is not there (51 reads each)
    int versoes = 5;   // clicks on the window's version menu
    int descarga = 100;
};

// The waits an operator or another station program sees, with "Espera Fixa=SIM"
// and without the key, on the serial control and on the vendor library, against
// the simulator at 60 ms and 9600 baud; then the drain of a backlog with and
// without "Descarga Rapida=SIM". Prints one table; false when a figure is missing.
bool medeEsperas(const QString& binarios, const OpcoesEsperas& opcoes);

} // namespace talvero::medicao
