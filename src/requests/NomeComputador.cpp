#include "requests/NomeComputador.h"

#include <QRegularExpression>

namespace talvero {

bool NomeComputadorValido(const QString& nome) {
    // Anchored as a whole: "$" alone would let a trailing line feed through into the file.
    static const QRegularExpression kNome(
        QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z0-9_][A-Za-z0-9_.-]{0,62}")));
    return kNome.match(nome).hasMatch() && !nome.contains(QLatin1String(".."));
}

} // namespace talvero
