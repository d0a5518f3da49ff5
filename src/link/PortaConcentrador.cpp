#include "link/PortaConcentrador.h"

namespace talvero {

bool PortaConcentrador::relogioNaVez(VezCiclo& vez, TurnoCiclo& ciclo) {
    ciclo.marca("1");
    if (!vez.relogio()) return false;
    ciclo.marca("2");
    ciclo.AutoAtualizaRelogioEquip();
    vez.enviouRelogio();
    return true;
}

bool PortaConcentrador::pedeOQueEDevido(VezCiclo& vez, TurnoCiclo& ciclo) {
    if (vez.abastecimento()) {
        ciclo.marca("3");
        if (ciclo.AutoPedeAbastecimento() && ciclo.descargaRapida()) vez.descarrega();
    } else if (vez.andamento()) {
        ciclo.marca("4");
        ciclo.AutoPedeAbastecimentoEmAndamento();
        return true;
    }
    return false;
}

} // namespace talvero
