#include "platform/AvisoServico.h"

#include <QString>
#include <limits>

#ifdef Q_OS_LINUX

#include <cstddef>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace talvero {

namespace {

// systemd's notify protocol without its library: one datagram per notice to the
// socket named in NOTIFY_SOCKET, an abstract one when it starts with "@".
class AvisoServicoSistema final : public AvisoServico {
public:
    AvisoServicoSistema(const QByteArray& caminho, int intervaloVigiaMs)
        : intervaloMs_(intervaloVigiaMs) {
        if (caminho.size() >= qsizetype(sizeof endereco_.sun_path)) return;
        endereco_.sun_family = AF_UNIX;
        std::memcpy(endereco_.sun_path, caminho.constData(), std::size_t(caminho.size()));
        tamanho_ = socklen_t(offsetof(sockaddr_un, sun_path) + std::size_t(caminho.size()));
        if (caminho.startsWith('@'))
            endereco_.sun_path[0] = '\0';
        else
            ++tamanho_; // the terminating zero of a path
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    }
    ~AvisoServicoSistema() override {
        if (fd_ >= 0) ::close(fd_);
    }
    AvisoServicoSistema(const AvisoServicoSistema&) = delete;
    AvisoServicoSistema& operator=(const AvisoServicoSistema&) = delete;

    // A manager that does not take the notice cannot be helped from here.
    void avisa(const QByteArray& estado) override {
        if (fd_ < 0) return;
        [[maybe_unused]] const auto enviado =
            ::sendto(fd_, estado.constData(), std::size_t(estado.size()), MSG_NOSIGNAL,
                     reinterpret_cast<const sockaddr*>(&endereco_), tamanho_);
    }
    int intervaloVigiaMs() const override { return fd_ < 0 ? 0 : intervaloMs_; }

private:
    sockaddr_un endereco_{};
    socklen_t tamanho_ = 0;
    int fd_ = -1;
    int intervaloMs_;
};

// A third of the watchdog's time, as the manager advises, so that one late
// notice is no death; 0 when the watchdog is another process's.
int intervaloDoAmbiente() {
    bool ok = false;
    const qulonglong microssegundos = qEnvironmentVariable("WATCHDOG_USEC").toULongLong(&ok);
    if (!ok || microssegundos == 0) return 0;
    const QString pid = qEnvironmentVariable("WATCHDOG_PID");
    if (!pid.isEmpty() && pid.toLongLong() != ::getpid()) return 0;
    return int(qBound<qulonglong>(1, microssegundos / 3000, std::numeric_limits<int>::max()));
}

} // namespace

std::unique_ptr<AvisoServico> avisoServicoDoAmbiente() {
    const QByteArray caminho = qgetenv("NOTIFY_SOCKET");
    const int intervalo = intervaloDoAmbiente();
    for (const char* variavel : {"NOTIFY_SOCKET", "WATCHDOG_USEC", "WATCHDOG_PID"})
        qunsetenv(variavel);
    if (caminho.isEmpty()) return std::make_unique<AvisoServicoAusente>();
    return std::make_unique<AvisoServicoSistema>(caminho, intervalo);
}

} // namespace talvero

#else

namespace talvero {

std::unique_ptr<AvisoServico> avisoServicoDoAmbiente() {
    return std::make_unique<AvisoServicoAusente>();
}

} // namespace talvero

#endif
