#pragma once

#include "platform/Agendador.h"
#include "platform/Relogio.h"

#include <QString>
#include <cstdint>

namespace talvero {

// Field n (from 1) of a text whose fields are each closed by "|@|". The text after
// the last separator is never a field; "" when there is no such field. Raises
// Erro (Estouro) for a text longer than 32767 characters.
QString SeparaCampo(const QString& texto, int n);

// Returns after `ms` milliseconds of the monotonic clock, letting pending events run meanwhile.
void AguardaMilissegundos(const Relogio& relogio, Agendador& agendador, std::int64_t ms);

// Returns after n whole-second boundaries of the clock have passed (between n-1 and
// n seconds), letting pending events run meanwhile; n <= 0 returns at once.
void AguardaSegundos(const Relogio& relogio, Agendador& agendador, int n);
// The monotonic moment at which AguardaSegundos(n) started now ends.
std::int64_t FimDeAguardaSegundos(const Relogio& relogio, int n);

} // namespace talvero
