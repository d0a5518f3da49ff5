#include "simulator/AtendeDispositivo.h"

#include "platform/Erro.h"

namespace talvero::sim {

AtendeDispositivo::AtendeDispositivo(QIODevice* dispositivo, NucleoConcentrador& nucleo,
                                     const std::function<void(const QString&)>& falhaGrave,
                                     std::function<void()> desconecta, std::function<bool()> calado)
    : QObject(dispositivo), dispositivo_(dispositivo), nucleo_(nucleo), falhaGrave_(falhaGrave),
      calado_(std::move(calado)),
      fila_(
          RitmoLinha::daVelocidade(nucleo.configuracao().baud),
          [dispositivo](const QByteArray& b) { dispositivo->write(b); }, std::move(desconecta)) {
    QObject::connect(dispositivo, &QIODevice::readyRead, this, [this] { recebe(); });
}

void AtendeDispositivo::limpa() {
    montador_.limpa();
    fila_.limpa();
}

void AtendeDispositivo::recebe() {
    const QByteArray bytes = dispositivo_->readAll();
    if (calado_ && calado_()) return;
    try {
        for (const QString& quadro : montador_.adiciona(bytes))
            fila_.agenda(nucleo_.respondeQuadro(quadro));
    } catch (const Erro& e) {
        falhaGrave_(e.descricao());
    }
}

} // namespace talvero::sim
