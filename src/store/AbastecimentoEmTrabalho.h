#pragma once

#include "platform/Moeda.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <cstdint>

namespace talvero {

// The one fueling being handled: filled by the parser of the concentrator's
// answer, stored as an Abastecimento record, and its nozzle and totalizer brought
// into the nozzle's current totalizer.
struct AbastecimentoEmTrabalho {
    std::int16_t lBico = 0;
    QDate lDataAbastecimento;
    QTime lHoraAbastecimento;    // seconds 00, moved on when the minute is taken
    QString lTempoAbastecimento; // the 4-character duration field as received
    Moeda lPrecoUnitario;
    Moeda lQuantidadeLitros;
    Moeda lValorTotal;
    Moeda lAutomacaoEncerrante; // 0 when the answer carries no totalizer
    std::int16_t lProduto = 0;
    QString lComplementoBico;
    QString lCartaoIdentFid;

    // The short answer carries no totalizer: its 0 is no reading and must not
    // reach the nozzle's current totalizer.
    bool lSemEncerrante = false;
    // A later fueling of the nozzle is stored already (this one stored late, out
    // of quarantine): the current totalizer holds a newer reading than this.
    bool lEncerranteSuperado = false;
};

} // namespace talvero
