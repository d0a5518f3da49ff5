#pragma once

#include "EstacaoMedida.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace talvero::medicao {

struct Descarga {
    bool medida = false;
    double totalS = 0;            // from starting the agent to the last fueling stored
    double porAbastecimentoS = 0; // from the first stored to the last, per fueling
    QString falha;
};

// `n` fuelings waiting at start-up (the backlog script, layout 52 or 75 as the
// profile's), one station per profile, all draining at the same time: each agent
// keeps its own timers' pace, which needs little of the processor. `ritmo` is the
// simulator's line pace. `aoLado`, when given, is looked at with the drains until it
// says it is done (it keeps its own time limit). One result per profile, in their order.
std::vector<Descarga> medeDescargas(const QString& binarios,
                                    const std::vector<PerfilEstacao>& perfis, int n,
                                    const QStringList& ritmo,
                                    const std::function<bool()>& aoLado = {});

} // namespace talvero::medicao
