#include "platform/ProcessoExiste.h"

#ifndef Q_OS_WIN
#include <cerrno>
#include <csignal>
#endif

namespace talvero {

std::optional<bool> processoExiste(qint64 pid) {
#ifdef Q_OS_WIN
    Q_UNUSED(pid);
    return std::nullopt;
#else
    if (pid <= 0 || pid != qint64(pid_t(pid))) return std::nullopt;
    // Signal 0 only asks; EPERM still means the process is there (another user's).
    if (::kill(pid_t(pid), 0) == 0 || errno == EPERM) return true;
    return errno == ESRCH ? std::optional<bool>(false) : std::nullopt;
#endif
}

} // namespace talvero
