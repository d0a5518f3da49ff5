#include "platform/SinaisEncerramento.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace talvero {

namespace {

int gPar[2] = {-1, -1};

void aoSinal(int) {
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(gPar[0], &c, 1);
}

} // namespace

void aoReceberSinalDeEncerramento(std::function<void()> acao) {
    if (gPar[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, gPar) != 0) return;
    auto* notificador = new QSocketNotifier(gPar[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notificador, &QSocketNotifier::activated, notificador, [acao = std::move(acao)] {
        char c;
        [[maybe_unused]] const auto n = ::read(gPar[1], &c, 1);
        acao();
    });
    struct sigaction sa {};
    sa.sa_handler = aoSinal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
}

void ignoraLimiteDeTamanhoDeArquivo() { ::signal(SIGXFSZ, SIG_IGN); }

} // namespace talvero
