#pragma once

#include <QString>

namespace talvero::medicao {

// Start-up: from starting the agent to its first answered command (the clock
// setting), the simulator already waiting on the pseudo-terminal.
void medePartida(const QString& binarios);

// A backlog of `n` fuelings waiting at the concentrator, dated a minute apart
// per nozzle (a station whose agent was off for a while): how long the agent
// takes to store them all, its CPU per fueling and its peak memory.
void medeFila(const QString& binarios, int n);

} // namespace talvero::medicao
