#include "simulator/ServidorTcp.h"

#include "platform/Erro.h"
#include "simulator/FilaSaida.h"
#include "simulator/MontadorFrames.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace talvero::sim {

namespace {

// Lives as a child of its socket and goes with it.
class ConexaoTcp : public QObject {
public:
    ConexaoTcp(QTcpSocket* socket, NucleoConcentrador& nucleo, const std::function<void(const QString&)>& falhaGrave)
        : QObject(socket), socket_(socket), nucleo_(nucleo), falhaGrave_(falhaGrave),
          fila_([socket](const QByteArray& b) { socket->write(b); }, [socket] { socket->abort(); }) {
        QObject::connect(socket, &QTcpSocket::readyRead, this, [this] { recebe(); });
    }

private:
    void recebe() {
        try {
            for (const QString& frame : montador_.adiciona(socket_->readAll())) fila_.agenda(nucleo_.respondeFrame(frame));
        } catch (const Erro& e) {
            falhaGrave_(e.descricao());
        }
    }

    QTcpSocket* socket_;
    NucleoConcentrador& nucleo_;
    const std::function<void(const QString&)>& falhaGrave_;
    MontadorFrames montador_;
    FilaSaida fila_;
};

} // namespace

ServidorTcp::ServidorTcp(NucleoConcentrador& nucleo, std::function<void(const QString&)> falhaGrave)
    : nucleo_(nucleo), falhaGrave_(std::move(falhaGrave)) {
    QObject::connect(&servidor_, &QTcpServer::newConnection, [this] { aceita(); });
}

ServidorTcp::~ServidorTcp() = default;

void ServidorTcp::escuta(const QString& host, quint16 porta) {
    QHostAddress endereco;
    if (host == QLatin1String("localhost")) endereco = QHostAddress::LocalHost;
    else if (!endereco.setAddress(host))
        throw Erro(QStringLiteral("Endereço TCP inválido: %1").arg(host), erros::TiposIncompativeis);
    if (!servidor_.listen(endereco, porta))
        throw Erro(QStringLiteral("Não foi possível escutar em %1:%2: %3").arg(host).arg(porta).arg(servidor_.errorString()),
                   erros::ErroEntradaSaida);
}

int ServidorTcp::conexoes() const { return int(servidor_.findChildren<QTcpSocket*>().size()); }

void ServidorTcp::aceita() {
    while (QTcpSocket* socket = servidor_.nextPendingConnection()) {
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        new ConexaoTcp(socket, nucleo_, falhaGrave_);
    }
}

} // namespace talvero::sim
