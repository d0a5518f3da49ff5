#include "simulator/AritmeticaConcentrador.h"

#include "platform/CodecAnsi.h"

namespace talvero::sim {

namespace {

// Adding codes and taking 256 off whenever the sum passes 256 leaves the total's
// remainder by 256, except that a multiple of 256 stays 256 (and nothing stays 0).
int somaDobrada(const QString& corpo) {
    long long total = 0;
    for (QChar c : corpo)
        total += ansi::codigo(c);
    return total == 0 ? 0 : int((total - 1) % 256 + 1);
}

// a / b rounded to the nearest integer, halves away from zero; b > 0.
std::int64_t divisaoArredondada(std::int64_t a, std::int64_t b) {
    const std::int64_t modulo = a < 0 ? -a : a;
    const std::int64_t q = (modulo + b / 2) / b;
    return a < 0 ? -q : q;
}

} // namespace

QString checksumDoCorpo(const QString& corpo) {
    return QString::number(somaDobrada(corpo), 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

bool somaDe256(const QString& corpo) {
    return somaDobrada(corpo) == 256;
}

Moeda totalDoAbastecimento(Moeda preco, Moeda litros) {
    // A price has four digits and litres six in every answer: their product in
    // ten-thousandths squared (eight decimals) stays far below 2^63.
    const std::int64_t produto = preco.dezMilesimos() * litros.dezMilesimos();
    const std::int64_t quatroCasas = divisaoArredondada(produto, Moeda::kEscala);
    return Moeda::deDezMilesimos(divisaoArredondada(quatroCasas, 100) * 100);
}

} // namespace talvero::sim
