#pragma once

#include <QString>
#include <QStringView>
#include <compare>
#include <cstdint>

namespace talvero {

// Fixed-point currency with four decimal places, held as a count of
// ten-thousandths. Money and volume never touch floating point.
class Moeda {
public:
    constexpr Moeda() = default;

    static constexpr Moeda deDezMilesimos(std::int64_t v) { return Moeda(v); }
    static constexpr Moeda deInteiro(std::int64_t v) { return Moeda(v * kEscala); }

    // A run of decimal digits read as integer digits followed by `decimais`
    // decimal digits ("012345" with 2 gives 123.45). Anything but digits (and an
    // empty run) raises a type-mismatch Erro. At most 4 decimals.
    static Moeda deDigitos(QStringView digitos, int decimais);

    // Decimal text with "." or "," as decimal point and an optional sign, at most
    // four decimals ("5.00", "-12,5"). Raises a type-mismatch Erro otherwise.
    static Moeda deTexto(QStringView texto);

    constexpr std::int64_t dezMilesimos() const { return v_; }

    // Rounded to `casas` decimals, ties away from zero (the rounding of a
    // "00000000.00" format mask).
    Moeda arredondada(int casas) const;

    // Product rounded back to four decimals, ties away from zero.
    Moeda vezes(Moeda outra) const;

    constexpr Moeda operator+(Moeda o) const { return Moeda(v_ + o.v_); }
    constexpr Moeda operator-(Moeda o) const { return Moeda(v_ - o.v_); }
    constexpr Moeda operator-() const { return Moeda(-v_); }
    constexpr Moeda abs() const { return Moeda(v_ < 0 ? -v_ : v_); }
    constexpr auto operator<=>(const Moeda&) const = default;

    // As the station's regional settings print a currency value: decimal comma,
    // no grouping, no trailing zeros ("123,45", "50", "-0,5").
    QString texto() const;

    // Plain decimal with a point and exactly `casas` decimals ("123.45"), for
    // files and tables read by other programs.
    QString textoPonto(int casas = 2) const;

    static constexpr std::int64_t kEscala = 10000;

private:
    constexpr explicit Moeda(std::int64_t v) : v_(v) {}
    std::int64_t v_ = 0;
};

} // namespace talvero
