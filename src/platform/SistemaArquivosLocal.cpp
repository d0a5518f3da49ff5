#include "platform/SistemaArquivosLocal.h"

#include "platform/CodecAnsi.h"
#include "platform/Erro.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>

namespace talvero {

namespace {

// The platform's descriptions of the classic file errors.
[[noreturn]] void falha(int numero) {
    QString descricao;
    switch (numero) {
    case erros::ArquivoNaoEncontrado: descricao = QStringLiteral("Arquivo não encontrado"); break;
    case erros::ErroEntradaSaida: descricao = QStringLiteral("Erro de E/S do dispositivo"); break;
    case erros::ArquivoJaExiste: descricao = QStringLiteral("Arquivo já existe"); break;
    case erros::DiscoCheio: descricao = QStringLiteral("Disco cheio"); break;
    case erros::PermissaoNegada: descricao = QStringLiteral("Permissão negada"); break;
    case erros::CaminhoNaoEncontrado: descricao = QStringLiteral("Caminho não encontrado"); break;
    default: descricao = QStringLiteral("Erro de acesso ao caminho/arquivo"); numero = erros::ErroAcessoCaminho;
    }
    throw Erro(descricao, numero);
}

// Cause of a failed system call, from errno (set by the Unix file engine).
[[noreturn]] void falhaDoSistema(int codigo) {
    switch (codigo) {
    case EACCES: case EPERM: case EROFS: falha(erros::PermissaoNegada);
#ifdef EDQUOT
    case EDQUOT:
#endif
    case ENOSPC: falha(erros::DiscoCheio);
    case ENOENT: case ENOTDIR: falha(erros::CaminhoNaoEncontrado);
    case EEXIST: falha(erros::ArquivoJaExiste);
    case EIO: falha(erros::ErroEntradaSaida);
    default: falha(erros::ErroAcessoCaminho);
    }
}

bool existeEntrada(const QFileInfo& info) { return info.exists() || info.isSymLink(); }

bool somenteLeitura(const QFileInfo& info) { return !(info.permissions() & QFileDevice::WriteOwner); }

void exigePasta(const QString& arquivo) {
    if (!QFileInfo(QFileInfo(arquivo).absolutePath()).isDir()) falha(erros::CaminhoNaoEncontrado);
}

// A file about to be written: its folder must exist and it must not be a folder
// or read-only.
void exigeGravavel(const QString& arquivo) {
    exigePasta(arquivo);
    const QFileInfo info(arquivo);
    if (info.isDir()) falha(erros::ErroAcessoCaminho);
    if (info.exists() && somenteLeitura(info)) falha(erros::PermissaoNegada);
}

QByteArray linhasAnsi(const QStringList& linhas) {
    QByteArray bytes;
    for (const QString& l : linhas) bytes += ansi::codifica(l) + "\r\n";
    return bytes;
}

} // namespace

SistemaArquivosLocal::SistemaArquivosLocal(const MapaCaminhos& caminhos) : caminhos_(caminhos) {}

QString SistemaArquivosLocal::local(const QString& caminho) const {
    if (caminho.startsWith(QLatin1String("\\\\")) &&
        (caminho.size() == 2 || caminho.at(2) == QLatin1Char('\\') || caminho.at(2) == QLatin1Char('/')))
        falha(erros::CaminhoNaoEncontrado);
    return caminhos_.local(caminho);
}

bool SistemaArquivosLocal::existe(const QString& caminho) const {
    if (caminho.isEmpty()) return false;
    try {
        return QFileInfo(local(caminho)).isFile();
    } catch (const Erro&) {
        return false;
    }
}

void SistemaArquivosLocal::acrescentaLinha(const QString& caminho, const QString& linha) {
    const QString l = local(caminho);
    exigeGravavel(l);
    QFile f(l);
    errno = 0;
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) falhaDoSistema(errno);
    const QByteArray bytes = linhasAnsi({linha});
    errno = 0;
    if (f.write(bytes) != bytes.size() || !f.flush()) falhaDoSistema(errno);
}

void SistemaArquivosLocal::criaTexto(const QString& caminho, const QStringList& linhas,
                                     const std::function<void()>& antesDeFechar) {
    const QString l = local(caminho);
    exigeGravavel(l);
    // A link planted under the name would carry the text anywhere it points.
    if (QFileInfo(l).isSymLink() && !QFile::remove(l)) falha(erros::PermissaoNegada);
    // Written aside and renamed at the end: never a half-written file under the name.
    QSaveFile f(l);
    errno = 0;
    if (!f.open(QIODevice::WriteOnly)) falhaDoSistema(errno);
    const QByteArray bytes = linhasAnsi(linhas);
    errno = 0;
    if (f.write(bytes) != bytes.size()) falhaDoSistema(errno ? errno : EIO);
    if (antesDeFechar) antesDeFechar();
    errno = 0;
    if (!f.commit()) falhaDoSistema(errno ? errno : EIO);
}

QByteArray SistemaArquivosLocal::le(const QString& caminho) const {
    const QString l = local(caminho);
    exigePasta(l);
    const QFileInfo info(l);
    if (!info.exists()) falha(erros::ArquivoNaoEncontrado);
    if (info.isDir()) falha(erros::ErroAcessoCaminho);
    QFile f(l);
    errno = 0;
    if (!f.open(QIODevice::ReadOnly)) falhaDoSistema(errno);
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) falha(erros::ErroEntradaSaida);
    return bytes;
}

void SistemaArquivosLocal::apaga(const QString& caminho, bool forcado) {
    const QString l = local(caminho);
    exigePasta(l);
    const QFileInfo info(l);
    if (!existeEntrada(info) || info.isDir()) falha(erros::ArquivoNaoEncontrado);
    if (somenteLeitura(info) && !info.isSymLink()) {
        if (!forcado) falha(erros::PermissaoNegada);
        QFile::setPermissions(l, info.permissions() | QFileDevice::WriteOwner);
    }
    errno = 0;
    if (!QFile::remove(l)) falhaDoSistema(errno ? errno : EACCES);
}

void SistemaArquivosLocal::move(const QString& origem, const QString& destino) {
    const QString de = local(origem);
    const QString para = local(destino);
    exigePasta(de);
    if (!existeEntrada(QFileInfo(de))) falha(erros::ArquivoNaoEncontrado);
    if (existeEntrada(QFileInfo(para))) falha(erros::ArquivoJaExiste);
    exigePasta(para);
    // QFile::rename never replaces an existing target.
    errno = 0;
    if (!QFile::rename(de, para)) {
        if (existeEntrada(QFileInfo(para))) falha(erros::ArquivoJaExiste);
        falhaDoSistema(errno ? errno : EACCES);
    }
}

QStringList SistemaArquivosLocal::lista(const QString& pasta, const QString& padrao) const {
    const QString l = local(pasta);
    if (!QFileInfo(l).isDir()) falha(erros::CaminhoNaoEncontrado);
    QStringList nomes;
    for (const QString& nome : QDir(l).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort))
        if (MapaCaminhos::casaPadrao(nome, padrao)) nomes.append(nome);
    std::sort(nomes.begin(), nomes.end(), [](const QString& a, const QString& b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return nomes;
}

} // namespace talvero
