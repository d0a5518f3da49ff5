#include "platform/SistemaArquivosLocal.h"

#include "platform/CodecAnsi.h"
#include "platform/Erro.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace talvero {

namespace {

// The platform's descriptions of the classic file errors.
[[noreturn]] void falha(int numero) {
    QString descricao;
    switch (numero) {
    case erros::ArquivoNaoEncontrado:
        descricao = QStringLiteral("Arquivo não encontrado");
        break;
    case erros::ErroEntradaSaida:
        descricao = QStringLiteral("Erro de E/S do dispositivo");
        break;
    case erros::ArquivoJaExiste:
        descricao = QStringLiteral("Arquivo já existe");
        break;
    case erros::DiscoCheio:
        descricao = QStringLiteral("Disco cheio");
        break;
    case erros::PermissaoNegada:
        descricao = QStringLiteral("Permissão negada");
        break;
    case erros::CaminhoNaoEncontrado:
        descricao = QStringLiteral("Caminho não encontrado");
        break;
    default:
        descricao = QStringLiteral("Erro de acesso ao caminho/arquivo");
        numero = erros::ErroAcessoCaminho;
    }
    throw Erro(descricao, numero);
}

// Cause of a failed system call, from errno (set by the Unix file engine).
[[noreturn]] void falhaDoSistema(int codigo) {
    switch (codigo) {
    case EACCES:
    case EPERM:
    case EROFS:
        falha(erros::PermissaoNegada);
#ifdef EDQUOT
    case EDQUOT:
#endif
    case ENOSPC:
        falha(erros::DiscoCheio);
    case ENOENT:
    case ENOTDIR:
        falha(erros::CaminhoNaoEncontrado);
    case EEXIST:
        falha(erros::ArquivoJaExiste);
    case EIO:
        falha(erros::ErroEntradaSaida);
    default:
        falha(erros::ErroAcessoCaminho);
    }
}

bool existeEntrada(const QFileInfo& info) {
    return info.exists() || info.isSymLink();
}

bool somenteLeitura(const QFileInfo& info) {
    return !(info.permissions() & QFileDevice::WriteOwner);
}

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

[[noreturn]] void naoEhArquivoComum() {
    throw Erro(QStringLiteral("Não é um arquivo comum (ligação, FIFO, dispositivo ou pasta)"),
               erros::ModoDeArquivo);
}

[[noreturn]] void maiorQue(qint64 limite) {
    throw Erro(QStringLiteral("Arquivo maior que %1 bytes").arg(limite), erros::Estouro);
}

#ifdef Q_OS_WIN
std::optional<EntradaPasta> estadoDe(const QString& local) {
    const QFileInfo info(local);
    if (!existeEntrada(info)) return std::nullopt;
    EntradaPasta e;
    e.tipo = info.isSymLink() || info.isJunction() ? EntradaPasta::Tipo::Ligacao
             : info.isDir()                        ? EntradaPasta::Tipo::Pasta
             : info.isFile()                       ? EntradaPasta::Tipo::Arquivo
                                                   : EntradaPasta::Tipo::Outro;
    e.tamanho = info.size();
    e.modificadoNs = info.lastModified().toMSecsSinceEpoch() * 1'000'000;
    return e;
}

// Judged on the handle, never by a look before opening: a link (reparse point)
// is opened as itself, a folder not at all, and what is read is what was judged.
QByteArray leArquivoComum(const QString& local, qint64 limite) {
    const HANDLE h =
        CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(local).utf16()),
                    GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD codigo = GetLastError();
        if (codigo == ERROR_FILE_NOT_FOUND) falha(erros::ArquivoNaoEncontrado);
        if (codigo == ERROR_PATH_NOT_FOUND) falha(erros::CaminhoNaoEncontrado);
        if (codigo == ERROR_ACCESS_DENIED || codigo == ERROR_SHARING_VIOLATION)
            falha(erros::PermissaoNegada);
        falha(erros::ErroAcessoCaminho);
    }
    const struct Fecha {
        HANDLE h;
        ~Fecha() { CloseHandle(h); }
    } fecha{h};
    FILE_ATTRIBUTE_TAG_INFO atributos{};
    if (GetFileType(h) != FILE_TYPE_DISK ||
        !GetFileInformationByHandleEx(h, FileAttributeTagInfo, &atributos, sizeof atributos) ||
        (atributos.FileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)))
        naoEhArquivoComum();
    LARGE_INTEGER tamanho{};
    if (!GetFileSizeEx(h, &tamanho)) falha(erros::ErroEntradaSaida);
    if (tamanho.QuadPart > limite) maiorQue(limite);
    QByteArray bytes(limite + 1, Qt::Uninitialized);
    qint64 lidos = 0;
    for (DWORD n = 1; n > 0 && lidos < bytes.size(); lidos += n)
        if (!ReadFile(h, bytes.data() + lidos, DWORD(bytes.size() - lidos), &n, nullptr))
            falha(erros::ErroEntradaSaida);
    if (lidos > limite) maiorQue(limite);
    bytes.truncate(lidos);
    return bytes;
}
#else
std::optional<EntradaPasta> estadoDe(const QString& local) {
    struct stat st {};
    if (::lstat(QFile::encodeName(local).constData(), &st) != 0) return std::nullopt;
    EntradaPasta e;
    e.tipo = S_ISLNK(st.st_mode)   ? EntradaPasta::Tipo::Ligacao
             : S_ISDIR(st.st_mode) ? EntradaPasta::Tipo::Pasta
             : S_ISREG(st.st_mode) ? EntradaPasta::Tipo::Arquivo
                                   : EntradaPasta::Tipo::Outro;
    e.tamanho = st.st_size;
    e.modificadoNs = qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    return e;
}

// Judged on the descriptor, never by a look before opening: what is read is
// what was judged, whatever is swapped in under the name meanwhile.
QByteArray leArquivoComum(const QString& local, qint64 limite) {
    const int fd = ::open(QFile::encodeName(local).constData(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ELOOP) naoEhArquivoComum();
        falhaDoSistema(errno);
    }
    const struct Fecha {
        int fd;
        ~Fecha() { ::close(fd); }
    } fecha{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) falhaDoSistema(errno);
    if (!S_ISREG(st.st_mode)) naoEhArquivoComum();
    if (st.st_size > limite) maiorQue(limite);
    QByteArray bytes(limite + 1, Qt::Uninitialized);
    qint64 lidos = 0;
    while (lidos < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + lidos, std::size_t(bytes.size() - lidos));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) falhaDoSistema(errno);
        if (n == 0) break;
        lidos += n;
    }
    if (lidos > limite) maiorQue(limite);
    bytes.truncate(lidos);
    return bytes;
}
#endif

QByteArray linhasAnsi(const QStringList& linhas) {
    QByteArray bytes;
    for (const QString& l : linhas)
        bytes += ansi::codifica(l) + "\r\n";
    return bytes;
}

} // namespace

SistemaArquivosLocal::SistemaArquivosLocal(const MapaCaminhos& caminhos) : caminhos_(caminhos) {}

QString SistemaArquivosLocal::local(const QString& caminho) const {
    if (caminho.startsWith(QLatin1String("\\\\")) &&
        (caminho.size() == 2 || caminho.at(2) == QLatin1Char('\\') ||
         caminho.at(2) == QLatin1Char('/')))
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

void SistemaArquivosLocal::substitui(const QString& caminho, const QByteArray& bytes) {
    const QString l = local(caminho);
    exigeGravavel(l);
    // The aside file gets a fresh name each time (never one a link planted in the
    // folder could redirect), and a link under the final name is replaced, never
    // written through.
    if (QFileInfo(l).isSymLink() && !QFile::remove(l)) falha(erros::PermissaoNegada);
    QSaveFile f(l);
    f.setDirectWriteFallback(false);
    errno = 0;
    if (!f.open(QIODevice::WriteOnly)) falhaDoSistema(errno);
    errno = 0;
    if (f.write(bytes) != bytes.size()) falhaDoSistema(errno ? errno : EIO);
    // Readable by a monitoring user outside the station's group.
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                     QFileDevice::ReadOther);
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

QList<EntradaPasta> SistemaArquivosLocal::entradas(const QString& pasta, const QString& padrao,
                                                   int maximo) const {
    const QString l = local(pasta);
    const QFileInfo info(l);
    if (!info.isDir()) falha(erros::CaminhoNaoEncontrado);
    // An unreadable folder would list as empty, as if nothing waited there.
    if (!info.isReadable()) falha(erros::PermissaoNegada);
    const QRegularExpression casa = MapaCaminhos::expressaoDoPadrao(padrao);
    QList<EntradaPasta> lista;
    for (QDirIterator it(l, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
         it.hasNext() && lista.size() < maximo;) {
        it.next();
        const QString nome = it.fileName();
        if (!casa.match(nome).hasMatch()) continue;
        if (auto e = estadoDe(l + QLatin1Char('/') + nome)) {
            e->nome = nome;
            lista.append(*e);
        }
    }
    std::sort(lista.begin(), lista.end(), [](const EntradaPasta& a, const EntradaPasta& b) {
        const int c = QString::compare(a.nome, b.nome, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.nome < b.nome;
    });
    return lista;
}

std::optional<EntradaPasta> SistemaArquivosLocal::entrada(const QString& caminho) const {
    auto e = estadoDe(local(caminho));
    if (e) e->nome = caminho.mid(caminho.lastIndexOf(QLatin1Char('\\')) + 1);
    return e;
}

QByteArray SistemaArquivosLocal::leRegular(const QString& caminho, qint64 limite) const {
    const QString l = local(caminho);
    exigePasta(l);
    return leArquivoComum(l, limite);
}

} // namespace talvero
