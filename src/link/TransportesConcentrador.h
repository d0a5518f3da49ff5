#pragma once

#include "link/BibliotecaSobDemanda.h"
#include "link/CanaisObservados.h"
#include "link/ControleSerialCanal.h"
#include "platform/CanalBytes.h"
#include "platform/Relogio.h"

namespace talvero {

// Both transports of the link over one set of byte streams: the real serial
// ports and TCP connections in the agent, the simulator's lines in tests. The
// library is our own unless a test hands in another loader.
class TransportesConcentrador {
public:
    TransportesConcentrador(FabricaCanais& canais, const Relogio& relogio,
                            CarregadorBiblioteca carrega = {});

    ControleSerial& serial() { return serial_; }
    BibliotecaConcentrador& biblioteca() { return biblioteca_; }
    // Of our own library and the serial control; a library handed in by a test is not seen.
    const UltimaRecepcao& ultimaRecepcao() const { return canais_.ultimaRecepcao(); }

private:
    CanaisObservados canais_;
    ControleSerialCanal serial_;
    BibliotecaSobDemanda biblioteca_;
};

} // namespace talvero
