#include "platform/SinaisEncerramento.h"

#include <QCoreApplication>

#ifdef Q_OS_WIN

#include <windows.h>

namespace talvero {

namespace {

std::function<void()> gAcao;

// Runs on a thread of the console's: the shutdown goes to the event loop's
// thread. For a closed console or a system shutdown the process ends when this
// returns, so it gives the shutdown its time first.
BOOL WINAPI aoEventoDoConsole(DWORD evento) {
    if (!gAcao) return FALSE;
    QMetaObject::invokeMethod(QCoreApplication::instance(), gAcao, Qt::QueuedConnection);
    if (evento == CTRL_CLOSE_EVENT || evento == CTRL_LOGOFF_EVENT || evento == CTRL_SHUTDOWN_EVENT)
        Sleep(5000);
    return TRUE;
}

} // namespace

void aoReceberSinalDeEncerramento(std::function<void()> acao) {
    gAcao = std::move(acao);
    SetConsoleCtrlHandler(aoEventoDoConsole, TRUE);
}

// Windows has no file-size signal: the write fails by itself.
void ignoraLimiteDeTamanhoDeArquivo() {}

} // namespace talvero

#else

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
    auto* notificador =
        new QSocketNotifier(gPar[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notificador, &QSocketNotifier::activated, notificador,
                     [acao = std::move(acao)] {
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

void ignoraLimiteDeTamanhoDeArquivo() {
    ::signal(SIGXFSZ, SIG_IGN);
}

} // namespace talvero

#endif
