#pragma once

#include "store/OpcoesBanco.h"

#include <QDate>
#include <QString>
#include <functional>
#include <optional>

namespace talvero {
class Conexao;
}

namespace talvero::medicao {

struct TemposGravacao {
    int gravacoes = 0;
    double medianaMs = 0;
    double p99Ms = 0;
    double mediaMs = 0;
    double maximoMs = 0;
    QString duravel; // PostgreSQL: the server's fsync and synchronous_commit
};

// Stores `n` distinct fuelings one by one through AutoAtualTabeAbastecimento, as
// the cycle does (the fueling, the nozzle's current totalizer and their log
// lines), timing each call. Raises std::runtime_error when a store fails.
TemposGravacao medeGravacao(const OpcoesBanco& opcoes, int n);
// The same on an open database, the fuelings dated from `primeiroDia` on.
TemposGravacao medeGravacao(Conexao& conexao, int n, const QDate& primeiroDia);

// Runs `passo(i)` for i = 0..n-1, timing each call.
TemposGravacao cronometra(int n, const std::function<void(int)>& passo);

// The throwaway server of scripts/postgres-teste (TALVERO_TESTE_PG_*), in a schema
// of this run that is dropped afterwards; empty when the variables are not set.
std::optional<OpcoesBanco> postgresDoAmbiente();

} // namespace talvero::medicao
