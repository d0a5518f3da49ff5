#pragma once

#include "simulator/NucleoConcentrador.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <functional>

namespace talvero::sim {

class AtendeDispositivo;

// The concentrator on a serial port that already exists: one end of a null-modem
// cable or of a virtual port pair (the way to serve a serial line on Windows),
// the agent on the other end. 9600 baud, 8N1, as the agent opens its side. A
// disconnect fault mutes the line for `kLinhaMudaMs`.
class ServidorSerial {
public:
    ServidorSerial(NucleoConcentrador& nucleo, std::function<void(const QString&)> falhaGrave);
    ~ServidorSerial();

    // "COM4" or "/dev/ttyS1". Raises talvero::Erro when the port cannot be opened.
    void abre(const QString& porta);

private:
    bool calado() const;

    NucleoConcentrador& nucleo_;
    std::function<void(const QString&)> falhaGrave_;
    QSerialPort porta_;
    AtendeDispositivo* atende_ = nullptr; // a child of the port
    QElapsedTimer mudo_;
};

} // namespace talvero::sim
