#pragma once

#include "platform/IdentidadeHost.h"
#include "platform/Operador.h"

#include <QString>
#include <cstdint>

namespace talvero {

// Who this computer is: host name and first IPv4 address. Every query starts the
// sockets, asks and cleans up again; failures are shown to the operator and give "".
class SocketIp {
public:
    SocketIp(IdentidadeHost& host, Operador& operador);

    bool IniciaSockets();
    void EncerraSockets();
    QString NomeDoHost();
    QString IpDoHost();

    static int ByteBaixo(std::uint16_t valor) { return valor & 0xFF; }
    static int ByteAlto(std::uint16_t valor) { return (valor >> 8) & 0xFF; }

private:
    void avisa(const QString& texto);

    IdentidadeHost& host_;
    Operador& operador_;
};

} // namespace talvero
