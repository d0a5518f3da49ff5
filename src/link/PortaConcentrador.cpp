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

} // namespace talvero
