#include "platform/ProcessosSistema.h"

#include "platform/CodecAnsi.h"
#include "platform/Erro.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <cstdio>
#include <iostream>

#ifdef Q_OS_WIN
#include <stdlib.h>
#else
#include <unistd.h>
#endif

namespace talvero {

ProcessosSistema::ProcessosSistema(const MapaCaminhos& caminhos, QString arquivoTrava)
    : caminhos_(caminhos), arquivoTrava_(std::move(arquivoTrava)) {}

ProcessosSistema::~ProcessosSistema() = default;

std::int64_t ProcessosSistema::iniciaSemEsperar(const QString& programa,
                                                const QStringList& argumentos) {
    // The other program receives 8-bit text: what the code page cannot carry arrives as '?'.
    QStringList args;
    for (const QString& a : argumentos)
        args.append(ansi::decodifica(ansi::codifica(a)));
    qint64 pid = 0;
    if (!QProcess::startDetached(caminhos_.programa(programa), args, QString(), &pid))
        throw Erro(QStringLiteral("Arquivo não encontrado"), erros::ArquivoNaoEncontrado);
    return pid;
}

void ProcessosSistema::abreNaAreaDeTrabalho(const QString& caminho) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(caminhos_.local(caminho))))
        throw Erro(QStringLiteral("Aplicativo inexistente"), erros::ArquivoNaoEncontrado);
}

void ProcessosSistema::encerraImediatamente(int codigo) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    _exit(codigo);
}

namespace {

// A lock that names this very process id (a restarted container numbers its
// processes alike) or another computer name (renamed since a crash) looks alive
// to Qt; the system's own lock on the file, gone with its process, decides. Two
// starting at once remove in turn, so that neither removes the other's new lock.
bool tomaTravaMorta(QLockFile& trava, const QString& arquivo) {
    if (trava.error() != QLockFile::LockFailedError) return false;
    QLockFile remocao(arquivo + QStringLiteral(".rmlock"));
    return remocao.tryLock(0) && trava.removeStaleLockFile() && trava.tryLock(0);
}

} // namespace

bool ProcessosSistema::outraInstanciaAtiva() {
    if (trava_) return false; // this object already holds the lock
    const QString arquivo = caminhos_.local(arquivoTrava_);
    if (!QFileInfo(QFileInfo(arquivo).absolutePath()).isDir()) return false;
    auto trava = std::make_unique<QLockFile>(arquivo);
    // Age alone never makes a lock stale: the first instance may run for months.
    trava->setStaleLockTime(0);
    if (trava->tryLock(0) || tomaTravaMorta(*trava, arquivo)) {
        trava_ = std::move(trava);
        return false;
    }
    return trava->error() == QLockFile::LockFailedError;
}

} // namespace talvero
