#pragma once

#include "platform/Moeda.h"
#include "store/Conexao.h"
#include "store/Esquema.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

// The stored rows of a table as text, for the technicians' tool: money and volume
// with a decimal point and at least two decimals ("5.79", "12.345"), dates and
// times in ISO form.
namespace talvero::listagem {

QString textoMoeda(Moeda valor);

// Header row (column names) followed by one row per record, by key. `colunas`
// picks and orders the columns (names of the table); empty means all.
// Rows whose column `coluna` equals `valor` only, when given.
struct Filtro {
    QString coluna;
    QVariant valor;
};
QList<QStringList> linhas(Conexao& conexao, const esquema::Tabela& tabela,
                          const QStringList& colunas = {},
                          const std::optional<Filtro>& filtro = std::nullopt);

// RFC 4180 CSV with CR LF line ends.
QString comoCsv(const QList<QStringList>& linhas);

// Columns padded to their widest value; numbers aligned to the right.
QString comoTabela(const QList<QStringList>& linhas, const esquema::Tabela& tabela);

} // namespace talvero::listagem
