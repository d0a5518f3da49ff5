#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace talvero {

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
    void criaTexto(const QString& caminho, const QStringList& linhas) { criaTexto(caminho, linhas, {}); }

    // Whole file as bytes; raises when it cannot be read.
    virtual QByteArray le(const QString& caminho) const = 0;

    // `forcado` also removes a read-only file.
    virtual void apaga(const QString& caminho, bool forcado) = 0;

    // Renames without replacing: raises "file already exists" when the target is there.
    virtual void move(const QString& origem, const QString& destino) = 0;

    // Names (not paths) of the files in `pasta` matching `padrao` regardless of
    // letter case, sorted by name.
    virtual QStringList lista(const QString& pasta, const QString& padrao) const = 0;
};

} // namespace talvero
