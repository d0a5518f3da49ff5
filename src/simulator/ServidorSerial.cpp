#include "simulator/ServidorSerial.h"

#include "platform/Erro.h"
#include "simulator/AtendeDispositivo.h"

namespace talvero::sim {

ServidorSerial::ServidorSerial(NucleoConcentrador& nucleo,
                               std::function<void(const QString&)> falhaGrave)
    : nucleo_(nucleo), falhaGrave_(std::move(falhaGrave)) {}

ServidorSerial::~ServidorSerial() = default;

void ServidorSerial::abre(const QString& porta) {
    porta_.setPortName(porta);
    const bool ok =
        porta_.open(QIODevice::ReadWrite) && porta_.setBaudRate(QSerialPort::Baud9600) &&
        porta_.setParity(QSerialPort::NoParity) && porta_.setDataBits(QSerialPort::Data8) &&
        porta_.setStopBits(QSerialPort::OneStop) &&
        porta_.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok)
        throw Erro(QStringLiteral("Não foi possível abrir a porta serial %1: %2")
                       .arg(porta, porta_.errorString()),
                   erros::ErroEntradaSaida);
    atende_ = new AtendeDispositivo(
        &porta_, nucleo_, falhaGrave_,
        [this] {
            atende_->limpa();
            mudo_.start();
        },
        [this] { return calado(); });
}

bool ServidorSerial::calado() const {
    return mudo_.isValid() && mudo_.elapsed() < kLinhaMudaMs;
}

} // namespace talvero::sim
