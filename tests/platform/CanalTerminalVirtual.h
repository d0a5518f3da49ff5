#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

namespace talvero::teste {

// A pseudo-terminal standing in for the concentrator's serial line: the program
// opens the device end, the test talks through the other end.
class TerminalVirtual {
public:
    TerminalVirtual() {
        mestre_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (mestre_ >= 0 && grantpt(mestre_) == 0 && unlockpt(mestre_) == 0) {
            char nome[128] = {};
            if (ptsname_r(mestre_, nome, sizeof nome) == 0) dispositivo_ = QString::fromLocal8Bit(nome);
        }
    }
    ~TerminalVirtual() {
        if (mestre_ >= 0) ::close(mestre_);
    }
    TerminalVirtual(const TerminalVirtual&) = delete;
    TerminalVirtual& operator=(const TerminalVirtual&) = delete;

    bool valido() const { return !dispositivo_.isEmpty(); }
    const QString& dispositivo() const { return dispositivo_; }

    // Makes ROOT/dev/COMn lead to this terminal, as the station's installer does.
    bool ligaComo(const QString& raiz, int porta) const {
        QDir().mkpath(raiz + QStringLiteral("/dev"));
        return QFile::link(dispositivo_, raiz + QStringLiteral("/dev/COM") + QString::number(porta));
    }

    bool escreve(const QByteArray& bytes) const {
        return ::write(mestre_, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size();
    }

    // Reads until `quantos` bytes came or `esperaMs` passed without any.
    QByteArray le(qsizetype quantos, int esperaMs = 2000) const {
        QByteArray lido;
        while (lido.size() < quantos) {
            pollfd p{mestre_, POLLIN, 0};
            if (::poll(&p, 1, esperaMs) <= 0) break;
            char bloco[256];
            const ssize_t n = ::read(mestre_, bloco, sizeof bloco);
            if (n <= 0) break;
            lido.append(bloco, n);
        }
        return lido;
    }

private:
    int mestre_ = -1;
    QString dispositivo_;
};

} // namespace talvero::teste
