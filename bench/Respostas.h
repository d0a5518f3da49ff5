#pragma once

#include "platform/Moeda.h"

#include <QDateTime>
#include <QString>

namespace talvero::medicao {

// A fueling answer of 52 characters as the simulator writes it: nozzle code
// "01".."99", the minute, and the totalizer as the concentrator counts it (it
// rolls over at a million litres).
QString respostaPadrao(int bico, const QDateTime& minuto, Moeda litros, Moeda preco,
                       Moeda encerrante, int sequencia);

} // namespace talvero::medicao
