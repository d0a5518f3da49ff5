#include "platform/ProcessoExiste.h"

#ifndef Q_OS_WIN
#include <QFile>
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
    if (::kill(pid_t(pid), 0) != 0 && errno != EPERM)
        return errno == ESRCH ? std::optional<bool>(false) : std::nullopt;
    // A killed process nobody has reaped yet still answers, but runs no more.
    QFile estado(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!estado.open(QIODevice::ReadOnly)) return true;
    const QByteArray depoisDoNome = estado.readAll().split(')').last();
    return !depoisDoNome.trimmed().startsWith('Z');
#endif
}

} // namespace talvero
