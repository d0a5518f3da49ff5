#pragma once

#include <QStringList>

// `talvero-dados [--root DIR] situacao [--critico SEGUNDOS]`: a check for people
// and monitoring systems. It needs no database, and even bad usage ends with the
// monitoring plugins' "unknown" rather than talvero-dados' usual status.
namespace talvero::situacao {

// Whether the command line (program name first) names the command `situacao`.
bool pedida(const QStringList& argumentos);

// Prints the agent's status and returns the exit status: 0 OK, 1 warning,
// 2 critical, 3 unknown.
int executa(const QStringList& argumentos);

} // namespace talvero::situacao
