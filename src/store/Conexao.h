#pragma once

#include "store/OpcoesBanco.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <functional>

class QSqlError;

namespace talvero {

// The connection to the station database (SQLite file or PostgreSQL server).
// Each object owns a connection of its own. The record classes run their
// statements through it; every failure raises talvero::Erro (description and
// erros::BancoDeDados) as ErroBanco into the caller. A connection found dead is reopened by
// the next call.
class Conexao {
public:
    explicit Conexao(OpcoesBanco opcoes);
    ~Conexao();
    Conexao(const Conexao&) = delete;
    Conexao& operator=(const Conexao&) = delete;

    // Opens the database and creates or upgrades its schema. Never raises: false
    // when it cannot, with the reason in ultimoErro().
    bool Conecta();
    const QString& ultimoErro() const { return ultimoErro_; }

    const OpcoesBanco& opcoes() const { return opcoes_; }
    bool postgres() const { return opcoes_.driver == OpcoesBanco::Driver::PostgreSQL; }

    // For callers that must store several rows atomically (see also Transacao).
    // Transactions nest: an inner one is a savepoint, confirmed or undone alone,
    // and kept only when the outer one is confirmed. A failed call undoes the
    // whole transaction, outer ones included; further calls raise until the
    // outermost desfazTransacao ends it.
    void iniciaTransacao();
    void confirmaTransacao();
    void desfazTransacao() noexcept;
    bool emTransacao() const { return profundidade_ > 0; }
    // The server went away; the next call tries to reconnect.
    bool perdida() const { return perdida_; }

    // One statement with positional '?' values. `operacao` names the call in the
    // error description ("Abastecimento.Inclui").
    QSqlQuery executa(const QString& operacao, const QString& sql,
                      const QVariantList& valores = {});

    // Reads the rest of a statement that returned rows (INSERT ... RETURNING) to its
    // end: SQLite commits it only then, and a failing commit must raise, not pass.
    void conclui(const QString& operacao, QSqlQuery& consulta);

    // Sees every statement of executa before it runs, with its values (the
    // benchmark checks their query plans).
    using Observador = std::function<void(const QString& operacao, const QString& sql,
                                          const QVariantList& valores)>;
    void observa(Observador observador) { observador_ = std::move(observador); }

private:
    bool abre(QString& motivo);
    bool abreSqlite(QString& motivo);
    bool abrePostgres(QString& motivo);
    void garanteAberta(const QString& operacao);
    void preparaEsquema();
    void criaOuAtualiza();
    bool comandoDireto(const QString& sql, QSqlError* erro = nullptr);
    void abandonaTransacao() noexcept;
    bool responde();
    [[noreturn]] void falha(const QString& operacao, const QSqlError& erro);

    OpcoesBanco opcoes_;
    QString nome_;
    QSqlDatabase db_;
    QString ultimoErro_;
    bool esquemaPronto_ = false;
    bool perdida_ = false;
    int profundidade_ = 0; // 1 = a transaction, more = savepoints inside it
    bool transacaoDesfeita_ = false;
    Observador observador_;
};

// Rolls back on scope exit unless confirmed.
class Transacao {
public:
    explicit Transacao(Conexao& conexao);
    ~Transacao();
    Transacao(const Transacao&) = delete;
    Transacao& operator=(const Transacao&) = delete;
    void confirma();

private:
    Conexao& conexao_;
    bool aberta_ = true;
};

} // namespace talvero
