#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The tables of the station database. The station's other programs read and fill
// them, so table and column names are fixed. One description serves the schema,
// the CSV import and the listings.
namespace talvero::esquema {

enum class Tipo {
    Int16,
    Int32,
    Moeda, // BIGINT counting ten-thousandths
    Texto,
    Data,     // ISO date YYYY-MM-DD
    Hora,     // ISO time HH:MM:SS
    DataHora, // ISO date and time YYYY-MM-DD HH:MM:SS
    Logico,
    Identidade, // number given by the database
};

struct Coluna {
    QString nome;
    Tipo tipo;
    bool chave = false;
    int tamanho = 0; // texts: exact length required on import, 0 = free
    // The schema version that added it. Rows older than their column hold NULL
    // there, so a column added later may be NULL.
    int versao = 1;
};

struct Tabela {
    QString nome;
    QList<Coluna> colunas;
    // Secondary indexes, each a list of columns: the searches that the key alone
    // would answer by reading the whole table.
    QList<QStringList> indices = {};
    // On PostgreSQL since version 4, the key of a table numbered by the database: a
    // central server gathers several stations' rows in one table, and the number
    // alone is each station's own.
    QStringList chaveEntreEstacoes = {};

    QStringList chaves() const;
    QStringList nomes() const;
    const Coluna* coluna(const QString& nome) const; // any letter case
};

enum class Dialeto { SQLite, PostgreSQL };

constexpr int kVersao = 4;

const QList<Tabela>& tabelas();
const Tabela* tabela(const QString& nome); // any letter case; nullptr when unknown

// CREATE TABLE IF NOT EXISTS statements of the current version.
QStringList criacao(Dialeto dialeto);

// CREATE INDEX IF NOT EXISTS statements of the current version; they come after
// the columns an older database lacks, since they may index them.
QStringList indices();

// The statements that bring a database of version `versao` - 1 to `versao`.
QStringList atualizacao(int versao, Dialeto dialeto);

} // namespace talvero::esquema
