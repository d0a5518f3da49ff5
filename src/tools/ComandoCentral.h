#pragma once

#include <QStringList>

// talvero-dados central: a chain's central database, set up and watched from the
// stations' and the central server's own roots.
namespace talvero::comandoCentral {

bool pedido(const QStringList& argumentos);
int executa(const QStringList& argumentos);

// The line of a PostgreSQL password file that serves the station, if any.
bool temEntrada(const QByteArray& arquivo, const QString& servidor, int porta, const QString& banco,
                const QString& usuario);

} // namespace talvero::comandoCentral
