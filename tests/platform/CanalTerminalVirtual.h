#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

namespace talvero::teste {

// A pseudo-terminal as the concentrator's serial line: the program opens the
// device end (as COMn under a root), the test talks through the other end.
class TerminalVirtual {
public:
    TerminalVirtual() : mestre_(posix_openpt(O_RDWR | O_NOCTTY)) {
        char nome[128] = {};
        if (mestre_ >= 0 && grantpt(mestre_) == 0 && unlockpt(mestre_) == 0 && ptsname_r(mestre_, nome, sizeof nome) == 0)
            dispositivo_ = QString::fromLocal8Bit(nome);
    }
    ~TerminalVirtual() { if (mestre_ >= 0) ::close(mestre_); }
    TerminalVirtual(const TerminalVirtual&) = delete;
    TerminalVirtual& operator=(const TerminalVirtual&) = delete;

    bool ligaComo(const QString& raiz, int porta) const {
        return !dispositivo_.isEmpty() && QDir().mkpath(raiz + "/dev") &&
               QFile::link(dispositivo_, raiz + "/dev/COM" + QString::number(porta));
    }
    bool escreve(const QByteArray& b) const { return ::write(mestre_, b.constData(), size_t(b.size())) == b.size(); }

    // Reads until `quantos` bytes came or `esperaMs` passed without any.
    QByteArray le(qsizetype quantos, int esperaMs = 2000) const {
        QByteArray lido;
        char bloco[256];
        for (pollfd p{mestre_, POLLIN, 0}; lido.size() < quantos && ::poll(&p, 1, esperaMs) > 0;) {
            const ssize_t n = ::read(mestre_, bloco, sizeof bloco);
            if (n <= 0) break;
            lido.append(bloco, n);
        }
        return lido;
    }

private:
    int mestre_;
    QString dispositivo_;
};

} // namespace talvero::teste
