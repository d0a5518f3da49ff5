#pragma once

#include <QStringList>

// `talvero-dados [--root DIR] log [--seguir] [ARQUIVO]`: the agent's hourly log,
// written in Windows-1252, shown as UTF-8 on a Linux terminal.
namespace talvero::leituraLog {

// Whether the command line (program name first) names the command `log`.
bool pedido(const QStringList& argumentos);

// Prints the log (and, with --seguir, what is appended until SIGINT or SIGTERM);
// returns talvero-dados' exit status: 0 done, 1 a file error, 2 bad usage.
int executa(const QStringList& argumentos);

} // namespace talvero::leituraLog
