#pragma once

#include <QString>
#include <optional>

namespace talvero::nomeporta {

// The digit after "COM", the only one either transport reads ("COM12" is port 1).
inline std::optional<int> Digito(const QString& porta) {
    if (porta.size() < 4) return std::nullopt;
    const QChar c = porta.at(3);
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    return c.unicode() - '0';
}

} // namespace talvero::nomeporta
