#include "platform/Conversoes.h"

#include "platform/Erro.h"

#include <algorithm>
#include <limits>
#include <optional>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace talvero {

namespace {

// A decimal number split into its digits, rounded without floating point so that
// 12.5 and 13.5 fall exactly on their even neighbours.
struct Decimal {
    bool negativo = false;
    QString inteiros;
    QString decimais;
    bool temDigitos() const { return !inteiros.isEmpty() || !decimais.isEmpty(); }
};

bool ehBranco(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// Reads sign, digits, one decimal point and decimals from `pos`; stops at the
// first character that does not fit.
Decimal leDecimal(const QString& t, qsizetype& pos, const QString& pontos) {
    Decimal d;
    if (pos < t.size() && (t[pos] == QLatin1Char('+') || t[pos] == QLatin1Char('-')))
        d.negativo = t[pos++] == QLatin1Char('-');
    while (pos < t.size() && t[pos].isDigit() && t[pos].unicode() < 128)
        d.inteiros += t[pos++];
    if (pos < t.size() && pontos.contains(t[pos])) {
        ++pos;
        while (pos < t.size() && t[pos].isDigit() && t[pos].unicode() < 128)
            d.decimais += t[pos++];
    }
    return d;
}

// Whole value, ties to even; empty optional when it does not fit in 64 bits.
std::optional<std::int64_t> arredonda(const Decimal& d) {
    std::int64_t v = 0;
    for (QChar c : d.inteiros) {
        if (v > (std::numeric_limits<std::int64_t>::max() - 9) / 10) return std::nullopt;
        v = v * 10 + (c.unicode() - '0');
    }
    const QString resto = d.decimais.mid(1);
    const int primeira = d.decimais.isEmpty() ? 0 : d.decimais[0].unicode() - '0';
    const bool alemDaMetade =
        std::any_of(resto.begin(), resto.end(), [](QChar c) { return c != QLatin1Char('0'); });
    if (primeira > 5 || (primeira == 5 && (alemDaMetade || v % 2 == 1))) ++v;
    return d.negativo ? -v : v;
}

template <typename T> T dentroDaFaixa(std::optional<std::int64_t> v) {
    if (!v || *v < std::numeric_limits<T>::min() || *v > std::numeric_limits<T>::max())
        throw Erro(QStringLiteral("Estouro"), erros::Estouro);
    return static_cast<T>(*v);
}

} // namespace

std::int16_t ConverteNumero(const QString& texto) {
    qsizetype pos = 0;
    while (pos < texto.size() && ehBranco(texto[pos]))
        ++pos;
    const Decimal d = leDecimal(texto, pos, QStringLiteral("."));
    if (!d.temDigitos()) return 0;
    return dentroDaFaixa<std::int16_t>(arredonda(d));
}

std::int32_t ConverteNumeroEstrito(const QString& texto) {
    const QString t = texto.trimmed();
    qsizetype pos = 0;
    const Decimal d = leDecimal(t, pos, QStringLiteral(".,"));
    if (!d.temDigitos() || pos != t.size())
        throw Erro(QStringLiteral("Tipos incompatíveis"), erros::TiposIncompativeis);
    return dentroDaFaixa<std::int32_t>(arredonda(d));
}

QString DiretorioSistema() {
#ifdef Q_OS_WIN
    wchar_t buffer[MAX_PATH + 1];
    const UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
    if (n == 0 || n > MAX_PATH) return {};
    QString pasta = QString::fromWCharArray(buffer, int(n));
    if (!pasta.endsWith(QLatin1Char('\\'))) pasta += QLatin1Char('\\');
    return pasta;
#else
    return {};
#endif
}

} // namespace talvero
