#include "simulator/ServidorPty.h"

#include "platform/Erro.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace talvero::sim {

namespace {

constexpr int kLiberaExclusivoMs = 100;
// A line nobody reads keeps at most this much of the simulator's answers.
constexpr qsizetype kMaximoPendente = 64 * 1024;

Erro erroSistema(const QString& oQue) {
    return Erro(oQue + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)),
                erros::ErroEntradaSaida);
}

} // namespace

ServidorPty::ServidorPty(NucleoConcentrador& nucleo, std::function<void(const QString&)> falhaGrave)
    : nucleo_(nucleo), falhaGrave_(std::move(falhaGrave)),
      fila_(
          RitmoLinha::daVelocidade(nucleo.configuracao().baud),
          [this](const QByteArray& b) { escreve(b); },
          [this] {
              montador_.limpa();
              aEscrever_.clear();
              mudo_.start();
          }) {}

ServidorPty::~ServidorPty() {
    fecha();
}

#ifdef Q_OS_WIN

// Windows has no pseudo-terminals: the simulator serves the library's TCP link there.
void ServidorPty::abre(const QString&) {
    throw Erro(QStringLiteral("Pseudo-terminais não existem no Windows: use --tcp."),
               erros::CaminhoNaoEncontrado);
}
void ServidorPty::criaLink(const QString&) {}
void ServidorPty::leMestre() {}
void ServidorPty::escreve(const QByteArray&) {}
void ServidorPty::esvazia() {}
void ServidorPty::fecha() {}

#else

void ServidorPty::abre(const QString& link) {
    mestre_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (mestre_ < 0) throw erroSistema(QStringLiteral("Não foi possível criar o pseudo-terminal"));
    char nome[256];
    if (::grantpt(mestre_) != 0 || ::unlockpt(mestre_) != 0 ||
        ::ptsname_r(mestre_, nome, sizeof nome) != 0)
        throw erroSistema(QStringLiteral("Não foi possível liberar o pseudo-terminal"));
    dispositivo_ = QString::fromLocal8Bit(nome);
    escravo_ = ::open(nome, O_RDWR | O_NOCTTY);
    if (escravo_ < 0) throw erroSistema(QStringLiteral("Não foi possível abrir ") + dispositivo_);
    termios t{};
    if (::tcgetattr(escravo_, &t) != 0)
        throw erroSistema(QStringLiteral("tcgetattr em ") + dispositivo_);
    ::cfmakeraw(&t);
    ::cfsetispeed(&t, B9600);
    ::cfsetospeed(&t, B9600);
    if (::tcsetattr(escravo_, TCSANOW, &t) != 0)
        throw erroSistema(QStringLiteral("tcsetattr em ") + dispositivo_);
    ::fcntl(mestre_, F_SETFL, ::fcntl(mestre_, F_GETFL) | O_NONBLOCK);
    criaLink(link);
    leitura_ = std::make_unique<QSocketNotifier>(mestre_, QSocketNotifier::Read);
    QObject::connect(leitura_.get(), &QSocketNotifier::activated, [this] { leMestre(); });
    escrita_ = std::make_unique<QSocketNotifier>(mestre_, QSocketNotifier::Write);
    escrita_->setEnabled(false);
    QObject::connect(escrita_.get(), &QSocketNotifier::activated, [this] { esvazia(); });
    // Also for an agent that ends before it ever writes (a request to close right
    // after its start): the next one must find the line free.
    QObject::connect(&liberaExclusivo_, &QTimer::timeout, [this] { ::ioctl(escravo_, TIOCNXCL); });
    liberaExclusivo_.start(kLiberaExclusivoMs);
}

// The link appears at once and whole: made under a temporary name, then renamed.
void ServidorPty::criaLink(const QString& link) {
    const QFileInfo info(link);
    if (!QDir().mkpath(info.absolutePath()))
        throw Erro(QStringLiteral("Não foi possível criar a pasta ") + info.absolutePath(),
                   erros::CaminhoNaoEncontrado);
    const QByteArray destino = QFile::encodeName(info.absoluteFilePath());
    struct stat st {};
    if (::lstat(destino.constData(), &st) == 0 && !S_ISLNK(st.st_mode))
        throw Erro(
            QStringLiteral("%1 já existe e não é um link simbólico; nada foi alterado.").arg(link),
            erros::ArquivoJaExiste);
    const QByteArray temporario = destino + ".novo." + QByteArray::number(::getpid());
    ::unlink(temporario.constData());
    if (::symlink(QFile::encodeName(dispositivo_).constData(), temporario.constData()) != 0 ||
        ::rename(temporario.constData(), destino.constData()) != 0) {
        const Erro e = erroSistema(QStringLiteral("Não foi possível criar o link ") + link);
        ::unlink(temporario.constData());
        throw e;
    }
    link_ = info.absoluteFilePath();
}

void ServidorPty::leMestre() {
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(mestre_, buf, sizeof buf);
        if (n <= 0) return;
        // The slave kept open here outlives the agent's exclusive use: a killed
        // agent could not end it, and the next one, without privileges, would
        // find the line busy where a real port is free after its last close.
        ::ioctl(escravo_, TIOCNXCL);
        if (mudo_.isValid() && mudo_.elapsed() < kLinhaMudaMs) continue;
        try {
            for (const QString& quadro : montador_.adiciona(QByteArray(buf, qsizetype(n))))
                fila_.agenda(nucleo_.respondeQuadro(quadro));
        } catch (const Erro& e) {
            falhaGrave_(e.descricao());
            return;
        }
    }
}

void ServidorPty::escreve(const QByteArray& bytes) {
    if (mudo_.isValid() && mudo_.elapsed() < kLinhaMudaMs) return;
    aEscrever_.append(bytes);
    if (aEscrever_.size() > kMaximoPendente)
        aEscrever_.remove(0, aEscrever_.size() - kMaximoPendente);
    esvazia();
}

void ServidorPty::esvazia() {
    while (!aEscrever_.isEmpty()) {
        const ssize_t n = ::write(mestre_, aEscrever_.constData(), std::size_t(aEscrever_.size()));
        if (n <= 0) break;
        aEscrever_.remove(0, qsizetype(n));
    }
    if (escrita_) escrita_->setEnabled(!aEscrever_.isEmpty());
}

void ServidorPty::fecha() {
    liberaExclusivo_.stop();
    leitura_.reset();
    escrita_.reset();
    if (!link_.isEmpty()) {
        const QByteArray l = QFile::encodeName(link_);
        char alvo[256];
        const ssize_t n = ::readlink(l.constData(), alvo, sizeof alvo - 1);
        if (n > 0 && QString::fromLocal8Bit(alvo, qsizetype(n)) == dispositivo_)
            ::unlink(l.constData());
        link_.clear();
    }
    if (escravo_ >= 0) ::close(escravo_);
    if (mestre_ >= 0) ::close(mestre_);
    escravo_ = mestre_ = -1;
}

#endif

} // namespace talvero::sim
