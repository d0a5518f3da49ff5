#pragma once

#include "simulator/NucleoConcentrador.h"

#include <QTcpServer>
#include <functional>

namespace talvero::sim {

// The concentrator on a TCP port. Every connection has its own frame cutter and
// output queue; all of them talk to the one core. The disconnect fault drops the
// connection that sent the frame.
class ServidorTcp {
public:
    // `falhaGrave` receives errors the core raises (a ledger that cannot be written).
    ServidorTcp(NucleoConcentrador& nucleo, std::function<void(const QString&)> falhaGrave);
    ~ServidorTcp();

    // Raises talvero::Erro when the address cannot be listened on. Port 0: any free port.
    void escuta(const QString& host, quint16 porta);
    quint16 porta() const { return servidor_.serverPort(); }
    int conexoes() const;

private:
    void aceita();

    NucleoConcentrador& nucleo_;
    std::function<void(const QString&)> falhaGrave_;
    QTcpServer servidor_;
};

} // namespace talvero::sim
