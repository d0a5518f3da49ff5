#include "store/Conexao.h"

#include "platform/Erro.h"
#include "store/Esquema.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <atomic>
#include <utility>

namespace talvero {

namespace {

QString novoNome() {
    static std::atomic<int> contador{0};
    return QStringLiteral("talvero-%1").arg(++contador);
}

QString textoDe(const QSqlError& erro) {
    QString t = erro.text().trimmed();
    t.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return t.isEmpty() ? QStringLiteral("erro desconhecido") : t;
}

// SQLite writes its journal beside the file: the folder must exist and be
// writable. Empty when nothing of the kind is seen.
QString causaNoArquivo(const QString& arquivo) {
    const QFileInfo info(arquivo);
    const QString pasta = QDir::toNativeSeparators(info.absolutePath());
    if (!QFileInfo(info.absolutePath()).isDir())
        return QStringLiteral("a pasta %1 não existe").arg(pasta);
    if (!QFileInfo(info.absolutePath()).isWritable())
        return QStringLiteral("sem permissão de escrita na pasta %1").arg(pasta);
    if (info.exists() && !info.isWritable())
        return QStringLiteral("sem permissão de escrita no arquivo");
    return {};
}

QString arquivoInacessivel(const QString& arquivo, QString causa, const QString& erro) {
    if (causa.isEmpty())
        causa = QStringLiteral("a pasta %1 e o arquivo precisam aceitar escrita de quem roda o "
                               "programa (no serviço, "
                               "o usuário autotalvero)")
                    .arg(QDir::toNativeSeparators(QFileInfo(arquivo).absolutePath()));
    return QStringLiteral("não foi possível abrir o arquivo do banco de dados %1: %2 (%3)")
        .arg(QDir::toNativeSeparators(arquivo), causa, erro);
}

const QString kTransacaoDesfeita = QStringLiteral("transação desfeita por uma falha anterior");

ErroBanco erroBanco(const QString& operacao, const QString& motivo) {
    return ErroBanco(QStringLiteral("Falha no banco de dados (%1): %2").arg(operacao, motivo));
}

QString pontoDeSalvamento(int profundidade) {
    return QStringLiteral("talvero_%1").arg(profundidade);
}

QString identificador(const QString& nome) {
    QString n = nome;
    return QLatin1Char('"') + n.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

} // namespace

Conexao::Conexao(OpcoesBanco opcoes) : opcoes_(std::move(opcoes)), nome_(novoNome()) {}

Conexao::~Conexao() {
    if (db_.isValid()) db_.close();
    db_ = QSqlDatabase();
    if (QSqlDatabase::contains(nome_)) QSqlDatabase::removeDatabase(nome_);
}

bool Conexao::Conecta() {
    ultimoErro_.clear();
    abandonaTransacao();
    esquemaPronto_ = false;
    try {
        garanteAberta(QStringLiteral("Conexao.Conecta"));
        return true;
    } catch (const Erro& e) {
        ultimoErro_ = e.descricao();
        if (db_.isValid()) db_.close();
        return false;
    }
}

bool Conexao::abre(QString& motivo) {
    if (!opcoes_.erroConfiguracao.isEmpty()) {
        motivo = opcoes_.erroConfiguracao;
        return false;
    }
    const QString driver = postgres() ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE");
    if (!QSqlDatabase::isDriverAvailable(driver)) {
        motivo = QStringLiteral("driver %1 do Qt não está instalado").arg(driver);
        return false;
    }
    if (!db_.isValid()) db_ = QSqlDatabase::addDatabase(driver, nome_);
    if (postgres() ? abrePostgres(motivo) : abreSqlite(motivo)) return true;
    db_.close();
    return false;
}

// WAL with synchronous FULL: a committed fueling survives a killed process and a
// power cut; readers (the station's other programs) never block the agent.
bool Conexao::abreSqlite(QString& motivo) {
    db_.setDatabaseName(opcoes_.arquivo);
    db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    if (!db_.open()) {
        motivo = arquivoInacessivel(opcoes_.arquivo, causaNoArquivo(opcoes_.arquivo),
                                    textoDe(db_.lastError()));
        return false;
    }
    QSqlQuery q(db_);
    // The first statement that writes: a file or folder that refuses it shows here.
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !q.next()) {
        const QString causa = causaNoArquivo(opcoes_.arquivo);
        motivo = causa.isEmpty()
                     ? textoDe(q.lastError())
                     : arquivoInacessivel(opcoes_.arquivo, causa, textoDe(q.lastError()));
        return false;
    }
    const QString modo = q.value(0).toString().toLower();
    if (modo != QLatin1String("wal") && opcoes_.arquivo != QLatin1String(":memory:")) {
        motivo = QStringLiteral("o arquivo não aceita o modo WAL (modo %1) [%2]")
                     .arg(modo, opcoes_.arquivo);
        return false;
    }
    QSqlError erro;
    if (!comandoDireto(QStringLiteral("PRAGMA synchronous=FULL"), &erro)) {
        motivo = textoDe(erro);
        return false;
    }
    return true;
}

// The password comes from libpq itself (PGPASSWORD, ~/.pgpass, PGSERVICE).
bool Conexao::abrePostgres(QString& motivo) {
    db_.setHostName(opcoes_.servidor);
    db_.setPort(opcoes_.porta);
    db_.setDatabaseName(opcoes_.banco);
    db_.setUserName(opcoes_.usuario);
    db_.setConnectOptions(
        QStringLiteral("connect_timeout=10") +
        (opcoes_.opcoesConexao.isEmpty() ? QString() : QLatin1Char(';') + opcoes_.opcoesConexao));
    if (!db_.open()) {
        motivo =
            textoDe(db_.lastError()) + QStringLiteral(" [") + opcoes_.destino() + QLatin1Char(']');
        return false;
    }
    QSqlError erro;
    // "already exists, skipping" notices of the schema check are no news.
    if (!comandoDireto(QStringLiteral("SET client_min_messages TO warning"), &erro)) {
        motivo = textoDe(erro);
        return false;
    }
    if (!opcoes_.esquema.isEmpty() &&
        !comandoDireto(QStringLiteral("SET search_path TO ") + identificador(opcoes_.esquema),
                       &erro)) {
        motivo = textoDe(erro);
        return false;
    }
    return true;
}

void Conexao::garanteAberta(const QString& operacao) {
    if (transacaoDesfeita_) throw erroBanco(operacao, kTransacaoDesfeita);
    if (db_.isValid() && db_.isOpen() && !perdida_ && esquemaPronto_) return;
    if (emTransacao()) throw erroBanco(operacao, kTransacaoDesfeita);
    if (db_.isValid()) db_.close();
    QString motivo;
    if (!abre(motivo)) throw erroBanco(operacao, motivo);
    perdida_ = false;
    esquemaPronto_ = esquemaPronto_ || opcoes_.semEsquema;
    if (!esquemaPronto_) preparaEsquema();
}

// Several programs may connect at once to a fresh database: the schema is made
// under a write lock (SQLite) or an advisory lock (PostgreSQL).
void Conexao::preparaEsquema() {
    const QString operacao = QStringLiteral("Conexao.Conecta");
    QSqlError erro;
    if (!comandoDireto(postgres() ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"),
                       &erro))
        falha(operacao, erro);
    profundidade_ = 1;
    esquemaPronto_ = true;
    try {
        criaOuAtualiza();
        confirmaTransacao();
    } catch (...) {
        esquemaPronto_ = false;
        desfazTransacao();
        throw;
    }
}

void Conexao::criaOuAtualiza() {
    const QString op = QStringLiteral("Conexao.Conecta");
    if (postgres()) {
        executa(op, QStringLiteral("SELECT pg_advisory_xact_lock(4042026)"));
        if (!opcoes_.esquema.isEmpty())
            executa(op, QStringLiteral("CREATE SCHEMA IF NOT EXISTS ") +
                            identificador(opcoes_.esquema));
    }
    executa(op,
            QStringLiteral("CREATE TABLE IF NOT EXISTS VersaoEsquema (Versao INTEGER NOT NULL)"));
    QSqlQuery q = executa(op, QStringLiteral("SELECT MAX(Versao) FROM VersaoEsquema"));
    const int versao = q.next() ? q.value(0).toInt() : 0;
    q.finish();
    if (versao > esquema::kVersao)
        throw erroBanco(
            op, QStringLiteral(
                    "o banco tem o esquema versão %1, mais novo que o deste programa (versão %2)")
                    .arg(versao)
                    .arg(esquema::kVersao));
    if (versao == esquema::kVersao) return;
    const auto dialeto = postgres() ? esquema::Dialeto::PostgreSQL : esquema::Dialeto::SQLite;
    for (const QString& comando : esquema::criacao(dialeto))
        executa(op, comando);
    // An older database gets the columns added since its version.
    for (int v = versao + 1; versao > 0 && v <= esquema::kVersao; ++v)
        for (const QString& comando : esquema::atualizacao(v, dialeto))
            executa(op, comando);
    for (const QString& comando : esquema::indices())
        executa(op, comando);
    executa(op, QStringLiteral("DELETE FROM VersaoEsquema"));
    executa(op, QStringLiteral("INSERT INTO VersaoEsquema (Versao) VALUES (?)"),
            {esquema::kVersao});
}

void Conexao::iniciaTransacao() {
    const QString op = QStringLiteral("Conexao.iniciaTransacao");
    garanteAberta(op);
    QSqlError erro;
    const QString comando =
        emTransacao() ? QStringLiteral("SAVEPOINT ") + pontoDeSalvamento(profundidade_ + 1)
        : postgres()  ? QStringLiteral("BEGIN")
                      : QStringLiteral("BEGIN IMMEDIATE");
    if (!comandoDireto(comando, &erro)) falha(op, erro);
    ++profundidade_;
}

void Conexao::confirmaTransacao() {
    const QString op = QStringLiteral("Conexao.confirmaTransacao");
    if (!emTransacao()) throw erroBanco(op, QStringLiteral("nenhuma transação iniciada"));
    if (transacaoDesfeita_) {
        desfazTransacao();
        throw erroBanco(op, kTransacaoDesfeita);
    }
    QSqlError erro;
    if (profundidade_ > 1) {
        const QString ponto = pontoDeSalvamento(profundidade_--);
        const bool liberado = comandoDireto(QStringLiteral("RELEASE SAVEPOINT ") + ponto, &erro);
        if (!liberado) falha(op, erro);
        return;
    }
    if (!comandoDireto(QStringLiteral("COMMIT"), &erro)) {
        desfazTransacao();
        falha(op, erro);
    }
    profundidade_ = 0;
}

// An inner transaction that cannot be undone alone takes the outer ones with it.
void Conexao::desfazTransacao() noexcept {
    if (!emTransacao()) return;
    if (profundidade_ > 1) {
        const QString ponto = pontoDeSalvamento(profundidade_--);
        if (!transacaoDesfeita_ &&
            !(comandoDireto(QStringLiteral("ROLLBACK TO SAVEPOINT ") + ponto) &&
              comandoDireto(QStringLiteral("RELEASE SAVEPOINT ") + ponto))) {
            comandoDireto(QStringLiteral("ROLLBACK"));
            transacaoDesfeita_ = true;
        }
        return;
    }
    profundidade_ = 0;
    const bool desfeita =
        std::exchange(transacaoDesfeita_, false) || comandoDireto(QStringLiteral("ROLLBACK"));
    perdida_ = !(desfeita && responde());
}

void Conexao::abandonaTransacao() noexcept {
    if (emTransacao() && !transacaoDesfeita_) comandoDireto(QStringLiteral("ROLLBACK"));
    profundidade_ = 0;
    transacaoDesfeita_ = false;
}

QSqlQuery Conexao::executa(const QString& operacao, const QString& sql,
                           const QVariantList& valores) {
    garanteAberta(operacao);
    if (observador_) observador_(operacao, sql, valores);
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    // PostgreSQL prepares no DDL: statements without values run as they are.
    bool ok = valores.isEmpty() ? q.exec(sql) : q.prepare(sql);
    if (ok && !valores.isEmpty()) {
        for (const QVariant& v : valores)
            q.addBindValue(v);
        ok = q.exec();
    }
    if (!ok) falha(operacao, q.lastError());
    return q;
}

void Conexao::conclui(const QString& operacao, QSqlQuery& consulta) {
    while (consulta.next()) {
    }
    if (consulta.lastError().isValid()) falha(operacao, consulta.lastError());
    consulta.finish();
}

bool Conexao::comandoDireto(const QString& sql, QSqlError* erro) {
    if (!db_.isValid() || !db_.isOpen()) return false;
    QSqlQuery q(db_);
    if (q.exec(sql)) return true;
    if (erro) *erro = q.lastError();
    return false;
}

bool Conexao::responde() {
    if (!db_.isValid() || !db_.isOpen()) return false;
    QSqlQuery q(db_);
    return q.exec(QStringLiteral("SELECT 1")) && q.next();
}

// A failure inside a transaction undoes it at once, in both backends: PostgreSQL
// would answer nothing more until the rollback and then take a COMMIT as a
// ROLLBACK without a word. The caller still ends it with desfazTransacao.
void Conexao::falha(const QString& operacao, const QSqlError& erro) {
    if (emTransacao() && !transacaoDesfeita_) {
        comandoDireto(QStringLiteral("ROLLBACK")); // a dead connection has rolled back by itself
        transacaoDesfeita_ = true;
    }
    if (erro.type() == QSqlError::ConnectionError || !responde()) perdida_ = true;
    throw erroBanco(operacao, textoDe(erro));
}

Transacao::Transacao(Conexao& conexao) : conexao_(conexao) {
    conexao_.iniciaTransacao();
}

Transacao::~Transacao() {
    if (aberta_) conexao_.desfazTransacao();
}

void Transacao::confirma() {
    aberta_ = false;
    conexao_.confirmaTransacao();
}

} // namespace talvero
