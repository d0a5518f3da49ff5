#pragma once

#include "platform/Agendador.h"
#include "platform/AvisoServico.h"
#include "platform/IconeNotificacao.h"
#include "platform/IdentidadeHost.h"
#include "platform/MapaCaminhos.h"
#include "platform/Operador.h"
#include "platform/Processos.h"
#include "platform/Relogio.h"
#include "platform/SistemaArquivos.h"
#include "platform/VigiaPasta.h"

namespace talvero {

class ControleSerial;
class BibliotecaConcentrador;
class FabricaCanais;

// Everything the agent's logic may reach of the world. Built once by the
// executable (real adapters) or by a test (virtual clock and test adapters).
struct Plataforma {
    Relogio& relogio;
    Agendador& agendador;
    SistemaArquivos& arquivos;
    Operador& operador;
    Processos& processos;
    IdentidadeHost& host;
    IconeNotificacao& icone;
    FabricaCanais& canais;
    const MapaCaminhos& caminhos;
    AvisoServico& servico;
    VigiaPasta& vigiaPasta;
};

} // namespace talvero
