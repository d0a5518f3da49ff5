#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace talvero {

// One entry of a folder as it stands on the disk, a link not followed.
struct EntradaPasta {
    enum class Tipo { Arquivo, Pasta, Ligacao, Outro }; // Outro: a FIFO, a device, a socket
    QString nome;
    Tipo tipo = Tipo::Outro;
    qint64 tamanho = 0;
    qint64 modificadoNs = 0; // since the epoch, as finely as the file system keeps it

    // Nothing written to it between two looks that saw the same.
    bool mesmoEstado(const EntradaPasta& o) const {
        return tipo == o.tipo && tamanho == o.tamanho && modificadoNs == o.modificadoNs;
    }
};

// File-system port. Paths are the program's Windows paths; the adapter maps them.
// Text is written as Windows-1252 with CR LF line ends. Every failure raises
// talvero::Erro with the platform's description and a classic error number.
class SistemaArquivos {
public:
    virtual ~SistemaArquivos() = default;

    virtual bool existe(const QString& caminho) const = 0;

    // Appends one line (plus CR LF) to the file, creating it when missing. The
    // folder is never created.
    virtual void acrescentaLinha(const QString& caminho, const QString& linha) = 0;

    // Creates the file, replacing one of the same name (a link of that name is
    // replaced, never written through), with the given lines, each followed by CR
    // LF. `antesDeFechar` runs once the lines are written, while the file is open.
    virtual void criaTexto(const QString& caminho, const QStringList& linhas,
                           const std::function<void()>& antesDeFechar) = 0;
    void criaTexto(const QString& caminho, const QStringList& linhas) {
        criaTexto(caminho, linhas, {});
    }

    // Puts these bytes under the name in one step (written aside, then renamed over
    // the old file), readable by every user. For a small file others read often;
    // not synced to the disk.
    virtual void substitui(const QString& caminho, const QByteArray& bytes) = 0;

    // Whole file as bytes; raises when it cannot be read.
    virtual QByteArray le(const QString& caminho) const = 0;

    // `forcado` also removes a read-only file.
    virtual void apaga(const QString& caminho, bool forcado) = 0;

    // Renames without replacing: raises "file already exists" when the target is there.
    virtual void move(const QString& origem, const QString& destino) = 0;

    // The entries of `pasta` whose names match `padrao` regardless of letter case,
    // of every kind, sorted by name; no more than `maximo` of them (the first the
    // system hands over), so that a flooded folder costs a bounded amount.
    virtual QList<EntradaPasta> entradas(const QString& pasta, const QString& padrao,
                                         int maximo) const = 0;

    // The entry at `caminho` as it stands, a link not followed; nothing when there is none.
    virtual std::optional<EntradaPasta> entrada(const QString& caminho) const = 0;

    // A regular file read whole, once, never more than `limite` bytes: opened
    // without following a link and without blocking, and judged on what was
    // opened. Raises when it is no regular file or holds more than `limite`.
    virtual QByteArray leRegular(const QString& caminho, qint64 limite) const = 0;
};

} // namespace talvero
