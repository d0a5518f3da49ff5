#pragma once

#include "store/Conexao.h"

#include <QDate>
#include <QSqlDatabase>

namespace talvero::medicao {

struct Preenchimento {
    qint64 abastecimentos = 0;
    qint64 rejeitados = 0; // answers in quarantine, most of them reprocessed since
    QDate primeiroDia;
    QDate ultimoDia;
    double segundos = 0;
};

// A second connection to the database of `conexao`, for bulk work and plans.
QSqlDatabase conexaoDireta(const OpcoesBanco& opcoes, const QString& nome);

// Fills the station database (schema made by `conexao`, as talvero-dados criar
// does) with `dias` days of a busy station ending on `ultimoDia`: about 1,000
// fuelings a day on eight nozzles, more at rush hours and fewer on Sundays, with
// the raw answers, the totalizers, the current totalizer of each nozzle and
// now and then an answer in quarantine. Raises std::runtime_error on failure.
Preenchimento preencheAnos(Conexao& conexao, const QDate& ultimoDia, int dias);

} // namespace talvero::medicao
