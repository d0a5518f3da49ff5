#include "platform/AvisoServico.h"
#include "comum/Ajuda.h"

#include <QTemporaryDir>

#ifdef Q_OS_LINUX

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace talvero;

namespace {

// The service manager's end: a datagram socket bound where NOTIFY_SOCKET says.
class Gerente {
public:
    explicit Gerente(const QByteArray& caminho) {
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un e{};
        e.sun_family = AF_UNIX;
        std::memcpy(e.sun_path, caminho.constData(), std::size_t(caminho.size()));
        socklen_t tamanho =
            socklen_t(offsetof(sockaddr_un, sun_path) + std::size_t(caminho.size()));
        if (caminho.startsWith('@')) e.sun_path[0] = '\0';
        ligado_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&e), tamanho) == 0;
    }
    ~Gerente() { ::close(fd_); }
    bool ligado() const { return ligado_; }
    QByteArray recebe() {
        char dados[256];
        const auto n = ::recv(fd_, dados, sizeof dados, MSG_DONTWAIT);
        return n < 0 ? QByteArray("(nada)") : QByteArray(dados, n);
    }

private:
    int fd_;
    bool ligado_ = false;
};

} // namespace

// Both kinds of socket the manager may name; the watchdog's interval is a third of
// its time, and none when the watchdog is another process's. The variables are gone
// afterwards, for the programs the agent starts.
TEST(AvisoServico, DatagramaNoSocketDoGerente) {
    QTemporaryDir pasta;
    const QByteArray abstrato = "@talvero-aviso-" + QByteArray::number(::getpid());
    const struct {
        QByteArray socket;
        QByteArray pid;
        int intervalo;
    } casos[] = {
        {pasta.filePath("notify").toLocal8Bit(), QByteArray::number(::getpid()), 10'000},
        {abstrato, {}, 10'000},
        {abstrato, QByteArray::number(::getpid() + 1), 0},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.socket.toStdString() + " " + c.pid.toStdString());
        Gerente gerente(c.socket);
        ASSERT_TRUE(gerente.ligado());
        qputenv("NOTIFY_SOCKET", c.socket);
        qputenv("WATCHDOG_USEC", "30000000");
        if (!c.pid.isEmpty()) qputenv("WATCHDOG_PID", c.pid);
        const auto aviso = avisoServicoDoAmbiente();
        EXPECT_FALSE(qEnvironmentVariableIsSet("NOTIFY_SOCKET") ||
                     qEnvironmentVariableIsSet("WATCHDOG_USEC") ||
                     qEnvironmentVariableIsSet("WATCHDOG_PID"));
        EXPECT_EQ(aviso->intervaloVigiaMs(), c.intervalo);
        aviso->avisa("READY=1");
        aviso->avisa("WATCHDOG=1");
        EXPECT_EQ(gerente.recebe(), "READY=1");
        EXPECT_EQ(gerente.recebe(), "WATCHDOG=1");
    }
    // No manager: nothing to tell, no watchdog.
    EXPECT_EQ(avisoServicoDoAmbiente()->intervaloVigiaMs(), 0);
}

#endif
