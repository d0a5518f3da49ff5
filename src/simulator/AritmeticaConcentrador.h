#pragma once

#include "platform/Moeda.h"

#include <QString>

namespace talvero::sim {

// Deliberately the simulator's own, not the agent's: the station tests check the
// agent's frame checksum and its rounding of amounts against these two, so a
// fault in the agent's must not be repeated here.

// The checksum of what follows "(" in a frame: the sum of the characters' codes
// in the station's code page, kept between 1 and 256 once it is above zero, in
// upper-case hexadecimal of at least two digits ("67", "0A", "100").
QString checksumDoCorpo(const QString& corpoSemParentese);
bool somaDe256(const QString& corpoSemParentese);

// Price times litres as the station keeps it: a currency value (four decimals)
// first, then rounded to cents; ties away from zero both times.
Moeda totalDoAbastecimento(Moeda preco, Moeda litros);

} // namespace talvero::sim
