#pragma once

#include <QString>
#include <cstdint>

namespace talvero {

// "Number" conversion of configuration values: the longest leading numeric part
// (blanks before it skipped, optional sign, digits, "." and decimals) rounded to
// the nearest 16-bit whole number, ties to the even neighbour. No numeric part
// gives 0. Outside the 16-bit range raises Erro "Estouro".
std::int16_t ConverteNumero(const QString& texto);

// "Strict number": the whole text, blanks around it ignored, must be a number
// (optional sign, digits, optional "." or "," decimal part). Rounded to 32 bits,
// ties to even. Raises Erro "Tipos incompatíveis" for anything else and "Estouro"
// outside the 32-bit range.
std::int32_t ConverteNumeroEstrito(const QString& texto);

// The system directory with a trailing "\" on Windows; "" elsewhere and when the
// platform call fails.
QString DiretorioSistema();

} // namespace talvero
