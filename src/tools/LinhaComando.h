#pragma once

#include <QStringList>

namespace talvero::linhaComando {

// The command a talvero-dados command line (program name first) names: its first
// word that is neither an option nor an option's value. Empty when there is none
// or when help is asked for, since the help stays talvero-dados' own.
QString comando(const QStringList& argumentos);

} // namespace talvero::linhaComando
