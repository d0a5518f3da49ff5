#include "platform/CanalTcpQt.h"

#include "platform/Erro.h"

#include <algorithm>

namespace talvero {

namespace {
constexpr int kEsperaEscritaMs = 2000;
}

CanalTcpQt::CanalTcpQt(QString host, quint16 porta) : host_(std::move(host)), porta_(porta) {}

CanalTcpQt::~CanalTcpQt() {
    fecha();
}

QString CanalTcpQt::endereco() const {
    return host_ + QLatin1Char(':') + QString::number(porta_);
}

QString CanalTcpQt::motivoFalha() const {
    switch (socket_.error()) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("conexão recusada");
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("endereço não encontrado");
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("tempo de espera esgotado");
    case QAbstractSocket::RemoteHostClosedError:
        return QStringLiteral("conexão encerrada pelo outro lado");
    case QAbstractSocket::NetworkError:
        return QStringLiteral("falha de rede");
    default:
        return socket_.errorString();
    }
}

void CanalTcpQt::abre() {
    socket_.abort();
    socket_.connectToHost(host_, porta_);
    if (!socket_.waitForConnected(kEsperaConexaoMs)) {
        const QString motivo = motivoFalha();
        socket_.abort();
        throw Erro(QStringLiteral("Não foi possível conectar ao concentrador em ") + endereco() +
                       QStringLiteral(": ") + motivo,
                   erros::CaminhoNaoEncontrado);
    }
}

void CanalTcpQt::fecha() {
    socket_.abort();
}

bool CanalTcpQt::aberto() const {
    return socket_.state() == QAbstractSocket::ConnectedState;
}

void CanalTcpQt::escreve(const QByteArray& bytes) {
    if (!aberto() || socket_.write(bytes) != bytes.size())
        throw Erro(QStringLiteral("Conexão com o concentrador em ") + endereco() +
                       QStringLiteral(" não está aberta"),
                   erros::PortaFechada);
    while (socket_.bytesToWrite() > 0 && socket_.waitForBytesWritten(kEsperaEscritaMs)) {
    }
}

// Reading with a zero wait moves whatever the system holds into the buffer. What
// arrived before the other side closed stays readable.
void CanalTcpQt::recolhe() {
    if (aberto()) socket_.waitForReadyRead(0);
}

qsizetype CanalTcpQt::disponiveis() {
    recolhe();
    return socket_.bytesAvailable();
}

QByteArray CanalTcpQt::le() {
    recolhe();
    return socket_.isOpen() ? socket_.readAll() : QByteArray();
}

void CanalTcpQt::descarta() {
    le();
}

bool CanalTcpQt::aguardaDados(int maxMs) {
    if (!aberto()) return false;
    return socket_.waitForReadyRead(std::max(0, maxMs));
}

} // namespace talvero
