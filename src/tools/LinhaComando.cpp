#include "tools/LinhaComando.h"

namespace talvero::linhaComando {

QString comando(const QStringList& argumentos) {
    static const QStringList comValor{"--root", "--critico", "--id", "--data", "--de", "--ate", "--empresa"};
    if (argumentos.contains(QLatin1String("--help")) || argumentos.contains(QLatin1String("-h"))) return {};
    for (qsizetype i = 1; i < argumentos.size(); ++i) {
        const QString& arg = argumentos[i];
        if (comValor.contains(arg)) ++i;
        else if (!arg.startsWith(QLatin1String("--"))) return arg;
    }
    return {};
}

} // namespace talvero::linhaComando
