#include "platform/Moeda.h"

#include "platform/Erro.h"

#include <limits>

namespace talvero {

namespace {

Erro tiposIncompativeis() {
    return Erro(QStringLiteral("Tipos incompatíveis"), erros::TiposIncompativeis);
}

constexpr std::int64_t potencia10(int n) {
    std::int64_t p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

std::int64_t divideArredondando(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    const std::int64_t r = a % b;
    if (2 * (r < 0 ? -r : r) >= b) return q + (a < 0 ? -1 : 1);
    return q;
}

} // namespace

Moeda Moeda::deDigitos(QStringView digitos, int decimais) {
    if (digitos.isEmpty() || decimais < 0 || decimais > 4 || digitos.size() > 17)
        throw tiposIncompativeis();
    std::int64_t v = 0;
    for (QChar c : digitos) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) throw tiposIncompativeis();
        v = v * 10 + (c.unicode() - '0');
    }
    // Beyond the range of the currency type an overflow, as that type raises it.
    const std::int64_t escala = potencia10(4 - decimais);
    if (v > std::numeric_limits<std::int64_t>::max() / escala)
        throw Erro(QStringLiteral("Estouro"), erros::Estouro);
    return Moeda(v * escala);
}

Moeda Moeda::deTexto(QStringView texto) {
    QStringView t = texto.trimmed();
    bool negativo = false;
    if (!t.isEmpty() && (t.front() == QLatin1Char('-') || t.front() == QLatin1Char('+'))) {
        negativo = t.front() == QLatin1Char('-');
        t = t.mid(1);
    }
    qsizetype ponto = t.indexOf(QLatin1Char('.'));
    if (ponto < 0) ponto = t.indexOf(QLatin1Char(','));
    const QStringView inteira = ponto < 0 ? t : t.left(ponto);
    const QStringView fracao = ponto < 0 ? QStringView() : t.mid(ponto + 1);
    if (inteira.isEmpty() && fracao.isEmpty()) throw tiposIncompativeis();
    if (fracao.size() > 4) throw tiposIncompativeis();
    QString digitos = inteira.toString() + fracao.toString();
    if (digitos.isEmpty()) throw tiposIncompativeis();
    const Moeda m = deDigitos(digitos, int(fracao.size()));
    return negativo ? -m : m;
}

Moeda Moeda::arredondada(int casas) const {
    if (casas >= 4) return *this;
    const std::int64_t passo = potencia10(4 - casas);
    return Moeda(divideArredondando(v_, passo) * passo);
}

Moeda Moeda::vezes(Moeda outra) const {
    const __int128 produto = static_cast<__int128>(v_) * outra.v_;
    const __int128 q = produto / kEscala;
    const __int128 r = produto % kEscala;
    __int128 resultado = q;
    if (2 * (r < 0 ? -r : r) >= kEscala) resultado += (produto < 0 ? -1 : 1);
    return Moeda(static_cast<std::int64_t>(resultado));
}

QString Moeda::texto() const {
    const std::int64_t a = v_ < 0 ? -v_ : v_;
    QString s = QString::number(a / kEscala);
    std::int64_t frac = a % kEscala;
    if (frac != 0) {
        QString f = QString::number(frac).rightJustified(4, QLatin1Char('0'));
        while (f.endsWith(QLatin1Char('0')))
            f.chop(1);
        s += QLatin1Char(',') + f;
    }
    return v_ < 0 ? QLatin1Char('-') + s : s;
}

QString Moeda::textoPonto(int casas) const {
    const Moeda r = arredondada(casas);
    const std::int64_t a = r.v_ < 0 ? -r.v_ : r.v_;
    QString s = QString::number(a / kEscala);
    if (casas > 0) {
        const QString f = QString::number(a % kEscala).rightJustified(4, QLatin1Char('0'));
        s += QLatin1Char('.') + f.left(casas);
    }
    return r.v_ < 0 ? QLatin1Char('-') + s : s;
}

} // namespace talvero
