#pragma once

#include "store/Conexao.h"
#include "store/Esquema.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Loading the station's registers from CSV files, one file per table named after
// it (Bico.csv, BicoAutomacao.csv, ...):
// - lines that begin with "#" are comments (the set-up templates' example rows);
// - the header row names the columns (any letter case); the key columns are
//   required, a missing other column keeps its stored value (or its default);
// - fields are separated by ';' when the header holds one, by ',' otherwise, and
//   may be quoted with '"' ("" inside quotes is one quote);
// - text is UTF-8 (a BOM is dropped) or, when the bytes are not valid UTF-8,
//   Windows-1252, as the station's spreadsheets save it;
// - money and volume use a decimal point ("5.79", at most four decimals), dates
//   YYYY-MM-DD, times HH:MM:SS, flags 1/0 or SIM/NAO;
// - a row whose key is already stored replaces the columns given (upsert).
// All files go in one transaction: a bad value anywhere imports nothing.
namespace talvero::importacao {

struct ArquivoCsv {
    QString nome; // file name, "Bico.csv"
    QByteArray conteudo;
};

struct Resultado {
    QString tabela;
    int registros = 0;
};

struct LinhaCsv {
    int numero = 0; // the file's line it starts on, for messages
    QStringList campos;
};

// Rows of the file; a line that begins with "#" is a comment and is skipped.
QList<LinhaCsv> leCsv(const QByteArray& conteudo);

// Raises Erro naming file, line and column for bad input, or a database failure.
QList<Resultado> importa(Conexao& conexao, const QList<ArquivoCsv>& arquivos);

} // namespace talvero::importacao
