#include "simulator/ServidorTcp.h"

#include "platform/Erro.h"
#include "simulator/AtendeDispositivo.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace talvero::sim {

ServidorTcp::ServidorTcp(NucleoConcentrador& nucleo, std::function<void(const QString&)> falhaGrave)
    : nucleo_(nucleo), falhaGrave_(std::move(falhaGrave)) {
    QObject::connect(&servidor_, &QTcpServer::newConnection, [this] { aceita(); });
}

ServidorTcp::~ServidorTcp() = default;

void ServidorTcp::escuta(const QString& host, quint16 porta) {
    QHostAddress endereco;
    if (host == QLatin1String("localhost"))
        endereco = QHostAddress::LocalHost;
    else if (!endereco.setAddress(host))
        throw Erro(QStringLiteral("Endereço TCP inválido: %1").arg(host),
                   erros::TiposIncompativeis);
    if (!servidor_.listen(endereco, porta))
        throw Erro(QStringLiteral("Não foi possível escutar em %1:%2: %3")
                       .arg(host)
                       .arg(porta)
                       .arg(servidor_.errorString()),
                   erros::ErroEntradaSaida);
}

int ServidorTcp::conexoes() const {
    return int(servidor_.findChildren<QTcpSocket*>().size());
}

void ServidorTcp::aceita() {
    while (QTcpSocket* socket = servidor_.nextPendingConnection()) {
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        // A line's few characters at a time must leave at once, not wait to be gathered.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        new AtendeDispositivo(socket, nucleo_, falhaGrave_, [socket] { socket->abort(); });
    }
}

} // namespace talvero::sim
