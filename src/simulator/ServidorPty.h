#pragma once

#include "simulator/AtendeDispositivo.h"
#include "simulator/FilaSaida.h"
#include "simulator/MontadorQuadros.h"
#include "simulator/NucleoConcentrador.h"

#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>

namespace talvero::sim {

// The concentrator on a serial line: a pseudo-terminal in raw mode whose slave
// device the agent opens as its serial port, through a symbolic link (for
// example ROOT/dev/COM3). The simulator keeps the slave open too, so the line
// survives the agent closing and reopening its port. A disconnect fault cuts the
// line for `kLinhaMudaMs`: nothing is read or answered meanwhile.
class ServidorPty {
public:
    ServidorPty(NucleoConcentrador& nucleo, std::function<void(const QString&)> falhaGrave);
    ~ServidorPty();

    // Creates the pseudo-terminal and the link (replacing an older link, never
    // any other file). Raises talvero::Erro.
    void abre(const QString& link);
    const QString& dispositivo() const { return dispositivo_; }

private:
    void criaLink(const QString& link);
    void leMestre();
    void escreve(const QByteArray& bytes);
    void esvazia();
    void fecha();

    NucleoConcentrador& nucleo_;
    std::function<void(const QString&)> falhaGrave_;
    int mestre_ = -1;
    int escravo_ = -1;
    QString dispositivo_;
    QString link_;
    std::unique_ptr<QSocketNotifier> leitura_;
    std::unique_ptr<QSocketNotifier> escrita_;
    MontadorQuadros montador_;
    FilaSaida fila_;
    QByteArray aEscrever_;
    QElapsedTimer mudo_;
    QTimer liberaExclusivo_;
};

} // namespace talvero::sim
