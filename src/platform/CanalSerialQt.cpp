#include "platform/CanalSerialQt.h"

#include "platform/Erro.h"

#include <algorithm>

namespace talvero {

namespace {

constexpr int kEsperaEscritaMs = 2000;

// A hung-up line reads as end of file (a read error to Qt), a vanished adapter
// fails its reads and writes: either way the device is gone.
bool dispositivoPerdido(QSerialPort::SerialPortError e) {
    return e == QSerialPort::ReadError || e == QSerialPort::WriteError ||
           e == QSerialPort::ResourceError;
}
} // namespace

// Qt keeps a lost device open and the event loop would wake up for it without
// end: it is closed at once.
CanalSerialQt::CanalSerialQt(const MapaCaminhos& caminhos, QString porta)
    : caminhos_(caminhos), porta_(std::move(porta)) {
    QObject::connect(&dispositivo_, &QSerialPort::errorOccurred, &dispositivo_,
                     [this](QSerialPort::SerialPortError e) {
                         if (dispositivoPerdido(e) && dispositivo_.isOpen()) dispositivo_.close();
                     });
}

CanalSerialQt::~CanalSerialQt() {
    fecha();
}

void CanalSerialQt::abre() {
    if (dispositivo_.isOpen()) dispositivo_.close();
    const QString caminho = caminhos_.dispositivoSerial(porta_);
    if (caminho.isEmpty())
        throw Erro(QStringLiteral("Número de porta inválido: ") + porta_, erros::PortaInvalida);
    dispositivo_.setPortName(caminho);
    dispositivo_.clearError(); // a device lost before must not count against the new opening
    if (!dispositivo_.open(QIODevice::ReadWrite)) {
        const auto falha = dispositivo_.error();
        const QString detalhe = caminho == porta_
                                    ? porta_
                                    : porta_ + QStringLiteral(" (") + caminho + QStringLiteral(")");
        if (falha == QSerialPort::PermissionError)
            throw Erro(QStringLiteral("Porta em uso ou sem permissão: ") + detalhe,
                       erros::PortaEmUso);
        throw Erro(QStringLiteral("Porta serial inexistente ou indisponível: ") + detalhe,
                   erros::PortaInvalida);
    }
    configuraLinha();
}

void CanalSerialQt::configuraLinha() {
    const bool ok = dispositivo_.setBaudRate(QSerialPort::Baud9600) &&
                    dispositivo_.setParity(QSerialPort::NoParity) &&
                    dispositivo_.setDataBits(QSerialPort::Data8) &&
                    dispositivo_.setStopBits(QSerialPort::OneStop) &&
                    dispositivo_.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) {
        dispositivo_.close();
        throw Erro(QStringLiteral("Não foi possível configurar a porta ") + porta_ +
                       QStringLiteral(" em 9600,n,8,1"),
                   erros::PortaInvalida);
    }
}

void CanalSerialQt::fecha() {
    if (dispositivo_.isOpen()) dispositivo_.close();
}

bool CanalSerialQt::aberto() const {
    return dispositivo_.isOpen();
}

void CanalSerialQt::exigeAberto() const {
    if (!aberto())
        throw Erro(QStringLiteral("A porta ") + porta_ + QStringLiteral(" não está aberta"),
                   erros::PortaFechada);
}

void CanalSerialQt::escreve(const QByteArray& bytes) {
    exigeAberto();
    const bool aceito = dispositivo_.write(bytes) == bytes.size();
    while (aceito && dispositivo_.bytesToWrite() > 0 &&
           dispositivo_.waitForBytesWritten(kEsperaEscritaMs)) {
    }
    // A device lost meanwhile has been closed, and what was to be written with it.
    if (!aceito || !aberto())
        throw Erro(QStringLiteral("Falha ao escrever na porta ") + porta_, erros::PortaFechada);
}

// Reading with a zero wait moves whatever the driver holds into the buffer.
void CanalSerialQt::recolhe() {
    if (aberto()) dispositivo_.waitForReadyRead(0);
}

qsizetype CanalSerialQt::disponiveis() {
    recolhe();
    return dispositivo_.isOpen() ? dispositivo_.bytesAvailable() : 0;
}

QByteArray CanalSerialQt::le() {
    recolhe();
    return dispositivo_.isOpen() ? dispositivo_.readAll() : QByteArray();
}

void CanalSerialQt::descarta() {
    le();
}

bool CanalSerialQt::aguardaDados(int maxMs) {
    if (!aberto()) return false;
    return dispositivo_.waitForReadyRead(std::max(0, maxMs));
}

} // namespace talvero
