#pragma once

#include <QMap>
#include <QStringList>
#include <functional>

namespace talvero::linhaComando {

// The command a talvero-dados command line (program name first) names: its first
// word that is neither an option nor an option's value. Empty when there is none
// or when help is asked for, since the help stays talvero-dados' own.
QString comando(const QStringList& argumentos);

// An option followed by its value; `exigencia` is the complaint when the value is
// missing or `aceita` refuses it.
struct OpcaoComValor {
    QString nome;
    QString exigencia;
    std::function<bool(const QString&)> aceita = {};
};

// What one command takes besides --root (which every command takes): options with
// a value, flags, and at most `livres` free words (a file name and the like).
struct FormaComando {
    QString nome;
    QList<OpcaoComValor> comValor;
    QStringList marcas;
    qsizetype livres = 0;
};

struct LinhaLida {
    QMap<QString, QString> valores; // by option, --root among them
    QStringList marcadas;
    QStringList livres;
    QString erroUso; // the first thing wrong; the rest is not read
};

LinhaLida le(const QStringList& argumentos, const FormaComando& forma);

} // namespace talvero::linhaComando
