#pragma once

#include "platform/Agendador.h"
#include "platform/Relogio.h"
#include "support/Configuracao.h"
#include "support/RegistroEventos.h"

namespace talvero {

// What most parts of the agent work with: the clock, the event loop, the log and
// the settings read at the load.
struct Ambiente {
    const Relogio& relogio;
    Agendador& agendador;
    RegistroEventos& registro;
    const Configuracao& configuracao;
};

} // namespace talvero
