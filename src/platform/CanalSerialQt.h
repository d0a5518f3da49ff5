#pragma once

#include "platform/CanalBytes.h"
#include "platform/MapaCaminhos.h"

#include <QSerialPort>

namespace talvero {

// A serial port ("COMn" or a device path) at 9600 baud, no parity, 8 data bits, 1 stop bit, through
// the path map. Bytes that reached the operating system are seen without any event loop having run:
// every count and read asks the device first.
class CanalSerialQt : public CanalBytes {
public:
    CanalSerialQt(const MapaCaminhos& caminhos, QString porta);
    ~CanalSerialQt() override;

    // Raises Erro PortaInvalida (no such port) or PortaEmUso (held by another program).
    void abre() override;
    void fecha() override;
    bool aberto() const override;
    void escreve(const QByteArray& bytes) override;
    qsizetype disponiveis() override;
    QByteArray le() override;
    void descarta() override;
    bool aguardaDados(int maxMs) override;

private:
    void configuraLinha();
    void exigeAberto() const;
    void recolhe();

    const MapaCaminhos& caminhos_;
    QString porta_;
    QSerialPort dispositivo_;
};

} // namespace talvero
