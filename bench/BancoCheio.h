#pragma once

#include "store/OpcoesBanco.h"

#include <QString>

namespace talvero::medicao {

struct OpcoesCheio {
    QString binarios; // the built programs (talvero-dados)
    int dias = 1826;  // five years
    int gravacoes = 2000;
    int consultas = 1000;
};

// Fills `banco` with years of fuelings and times the store's work on it against
// an empty database: storing, the repeat check, the nozzle search of the
// reprocessing, the quarantine, talvero-dados over one day; first as a database of
// the previous schema (without its indexes), then after this version opened it.
// Prints the figures and every statement's query plan; false when a step failed.
bool medeBancoCheio(const QString& nome, const OpcoesBanco& banco, const OpcoesCheio& o);

} // namespace talvero::medicao
