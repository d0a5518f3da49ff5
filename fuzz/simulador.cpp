// The simulator's command side: the byte stream cut into frames, each frame
// read and answered by the concentrator's core on a virtual clock.
#include "ensaio/PlataformaDeTeste.h"
#include "ensaio/TempoVirtual.h"
#include "simulator/InterpretaComando.h"
#include "simulator/MontadorQuadros.h"
#include "simulator/NucleoConcentrador.h"

#include <cstdlib>

using namespace talvero;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    RelogioVirtual relogio(PlataformaDeTeste::inicioPadrao());
    sim::ConfiguracaoConcentrador cfg;
    cfg.bicos = sim::bicosPadrao();
    cfg.taxaPorMinuto = 30;
    sim::NucleoConcentrador nucleo(relogio, cfg);
    sim::MontadorQuadros montador;
    const QByteArray bytes(reinterpret_cast<const char*>(dados), qsizetype(tamanho));
    // Pieces cut at every newline, as they may come from the line.
    for (const QByteArray& pedaco : bytes.split('\n')) {
        for (const QString& quadro : montador.adiciona(pedaco)) {
            // One whole frame: a "(" inside an unfinished one started it again.
            if (!quadro.startsWith(QLatin1Char('(')) || !quadro.endsWith(QLatin1Char(')')) ||
                quadro.count(QLatin1Char('(')) != 1)
                std::abort();
            sim::interpretaComando(quadro);
            relogio.avancaMs(700);
            nucleo.respondeQuadro(quadro);
        }
    }
    return 0;
}
