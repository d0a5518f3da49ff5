#include "platform/HostSistema.h"

#include <QtGlobal>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace talvero {

namespace {
constexpr int kTamanhoNome = 256;
}

IdentidadeHost::Inicio HostSistema::inicia(std::uint16_t versaoPedida) {
#ifdef Q_OS_WIN
    WSADATA dados{};
    Inicio inicio;
    inicio.resultado = WSAStartup(versaoPedida, &dados);
    inicio.maxSockets = dados.iMaxSockets;
    inicio.versao = dados.wVersion;
    return inicio;
#else
    Q_UNUSED(versaoPedida);
    return Inicio{0, 32767, 0x0101};
#endif
}

int HostSistema::encerra() {
#ifdef Q_OS_WIN
    return WSACleanup();
#else
    return 0;
#endif
}

int HostSistema::ultimoErro() {
#ifdef Q_OS_WIN
    return WSAGetLastError();
#else
    return ultimoErro_;
#endif
}

std::optional<QByteArray> HostSistema::nomeDoHost() {
    char nome[kTamanhoNome] = {};
    if (::gethostname(nome, kTamanhoNome) != 0) {
        ultimoErro_ = errno;
        return std::nullopt;
    }
    return QByteArray(nome, qsizetype(strnlen(nome, kTamanhoNome)));
}

std::optional<QList<QByteArray>> HostSistema::enderecos(const QByteArray& nome) {
    addrinfo dica{};
    dica.ai_family = AF_INET;
    dica.ai_socktype = SOCK_STREAM; // one entry per address
    addrinfo* lista = nullptr;
    const int r = ::getaddrinfo(nome.constData(), nullptr, &dica, &lista);
    if (r != 0) {
        ultimoErro_ = r;
        return std::nullopt;
    }
    QList<QByteArray> saida;
    for (const addrinfo* a = lista; a; a = a->ai_next) {
        const auto* ip = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
        saida.append(QByteArray(reinterpret_cast<const char*>(&ip->sin_addr), 4));
    }
    ::freeaddrinfo(lista);
    if (saida.isEmpty()) return std::nullopt;
    return saida;
}

} // namespace talvero
