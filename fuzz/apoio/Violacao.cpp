#include "Violacao.h"

#include <cstdio>
#include <cstdlib>

namespace talvero::fuzz {

void Viola(const char* oraculo, const QString& detalhe) {
    std::fprintf(stderr, "\nVIOLAÇÃO do oráculo %s: %s\n", oraculo, detalhe.toUtf8().constData());
    std::fflush(stderr);
    std::abort();
}

QString Legivel(const QByteArray& bytes) {
    QString t;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F && u != '\\')
            t += QLatin1Char(c);
        else
            t += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
    }
    return u'"' + t + u'"';
}

} // namespace talvero::fuzz
