#pragma once

#include "platform/Moeda.h"
#include "simulator/ConfiguracaoConcentrador.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace talvero::medicao {

// A fueling answer as the simulator writes it (52 characters, or 75 with the
// IdentFid fields and no card): nozzle code "01".."99", the minute, and the
// totalizer as the concentrator counts it (it rolls over at a million litres).
QString respostaPadrao(int bico, const QDateTime& minuto, Moeda litros, Moeda preco,
                       Moeda encerrante, int sequencia,
                       sim::Leiaute leiaute = sim::Leiaute::Padrao);

// `n` fuelings waiting at the concentrator of a station whose agent was off for a
// while, as a --script for the simulator: four nozzles, a minute apart per nozzle,
// oldest first, totalizers going up per nozzle.
QByteArray roteiroFila(int n, sim::Leiaute leiaute = sim::Leiaute::Padrao);

} // namespace talvero::medicao
