#pragma once

#include "simulator/FilaSaida.h"
#include "simulator/MontadorQuadros.h"
#include "simulator/NucleoConcentrador.h"

#include <QIODevice>
#include <functional>

namespace talvero::sim {

// A serial line cut by the disconnect fault stays mute this long.
constexpr int kLinhaMudaMs = 5000;

// Answers the frames that arrive on a device (a TCP connection, a serial port)
// through the one core, each device with its own frame cutter and output queue.
// Lives as a child of the device and goes with it.
class AtendeDispositivo : public QObject {
public:
    // `desconecta` carries out the disconnect fault; while `calado` says so, what
    // arrives is dropped.
    AtendeDispositivo(QIODevice* dispositivo, NucleoConcentrador& nucleo,
                      const std::function<void(const QString&)>& falhaGrave,
                      std::function<void()> desconecta, std::function<bool()> calado = {});

    // Drops a frame half received and the answers not yet written.
    void limpa();

private:
    void recebe();

    QIODevice* dispositivo_;
    NucleoConcentrador& nucleo_;
    const std::function<void(const QString&)>& falhaGrave_;
    std::function<bool()> calado_;
    MontadorQuadros montador_;
    FilaSaida fila_;
};

} // namespace talvero::sim
