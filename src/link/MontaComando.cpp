#include "link/MontaComando.h"

#include "platform/CodecAnsi.h"

namespace talvero {

QString ChecksumQuadro(const QString& corpo) {
    // The running sum is folded whenever it passes 256, so 256 itself survives
    // and is written with three digits.
    int soma = 0;
    for (QChar c : corpo) {
        soma += ansi::codigo(c);
        if (soma > 256) soma -= 256;
    }
    QString h = QString::number(soma, 16).toUpper();
    if (h.size() == 1) h.prepend(QLatin1Char('0'));
    return h;
}

QString MontaComando(const QString& inicio) {
    return inicio + ChecksumQuadro(inicio.mid(1)) + QLatin1Char(')');
}

} // namespace talvero
