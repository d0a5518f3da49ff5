#include "platform/CanalSerialQt.h"

#include "platform/Erro.h"

#include <algorithm>

namespace talvero {

namespace {
constexpr int kEsperaEscritaMs = 2000;
}

CanalSerialQt::CanalSerialQt(const MapaCaminhos& caminhos, int porta) : caminhos_(caminhos), porta_(porta) {}

CanalSerialQt::~CanalSerialQt() { fecha(); }

QString CanalSerialQt::nomePorta() const { return QStringLiteral("COM") + QString::number(porta_); }

void CanalSerialQt::abre() {
    if (dispositivo_.isOpen()) dispositivo_.close();
    const QString caminho = caminhos_.dispositivoSerial(porta_);
    if (caminho.isEmpty())
        throw Erro(QStringLiteral("Número de porta inválido: ") + nomePorta(), erros::PortaInvalida);
    dispositivo_.setPortName(caminho);
    dispositivo_.clearError();  // a device lost before must not count against the new opening
    if (!dispositivo_.open(QIODevice::ReadWrite)) {
        const auto falha = dispositivo_.error();
        const QString detalhe = nomePorta() + QStringLiteral(" (") + caminho + QStringLiteral(")");
        if (falha == QSerialPort::PermissionError)
            throw Erro(QStringLiteral("Porta em uso ou sem permissão: ") + detalhe, erros::PortaEmUso);
        throw Erro(QStringLiteral("Porta serial inexistente ou indisponível: ") + detalhe, erros::PortaInvalida);
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
        throw Erro(QStringLiteral("Não foi possível configurar a porta ") + nomePorta() +
                       QStringLiteral(" em 9600,n,8,1"),
                   erros::PortaInvalida);
    }
}

void CanalSerialQt::fecha() {
    if (dispositivo_.isOpen()) dispositivo_.close();
}

// A device that vanished (adapter unplugged) reports a resource error and is
// no longer usable, although Qt keeps it open.
bool CanalSerialQt::aberto() const {
    return dispositivo_.isOpen() && dispositivo_.error() != QSerialPort::ResourceError;
}

void CanalSerialQt::exigeAberto() const {
    if (!aberto()) throw Erro(QStringLiteral("A porta ") + nomePorta() + QStringLiteral(" não está aberta"),
                              erros::PortaFechada);
}

void CanalSerialQt::escreve(const QByteArray& bytes) {
    exigeAberto();
    if (dispositivo_.write(bytes) != bytes.size())
        throw Erro(QStringLiteral("Falha ao escrever na porta ") + nomePorta(), erros::PortaFechada);
    while (dispositivo_.bytesToWrite() > 0 && dispositivo_.waitForBytesWritten(kEsperaEscritaMs)) {
    }
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
