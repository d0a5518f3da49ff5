#include "store/ReplicacaoCentral.h"

#include "platform/Erro.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>

namespace talvero::central {

namespace {

const QString kOp = QStringLiteral("central");
// Deletions and truncations stay at the station: at the central server a TRUNCATE would
// empty every station's rows, and the head office keeps what it received.
const QString kOperacoes = QStringLiteral("'insert, update'");

QString literal(QString texto) {
    return QLatin1Char('\'') + texto.replace(QLatin1Char('\''), QLatin1String("''")) +
           QLatin1Char('\'');
}

QVariant valor(Conexao& c, const QString& sql, const QVariantList& valores = {}) {
    QSqlQuery q = c.executa(kOp, sql, valores);
    return q.next() ? q.value(0) : QVariant();
}

bool casa(const QString& texto, const char* padrao) {
    return QRegularExpression(QLatin1String(padrao)).match(texto).hasMatch();
}

QString senhaAleatoria() {
    static const char kLetras[] = "ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz23456789";
    QString senha;
    for (int i = 0; i < 32; ++i)
        senha += QLatin1Char(kLetras[QRandomGenerator::system()->bounded(int(sizeof kLetras - 1))]);
    return senha;
}

QByteArray hmac(const QByteArray& chave, const QByteArray& mensagem) {
    return QMessageAuthenticationCode::hash(mensagem, chave, QCryptographicHash::Sha256);
}

// The server keeps only this (RFC 5803), so the password itself never travels in the
// statement, where the server's log or its statement statistics would keep it; and a
// server whose default is still md5 could not check the scram-sha-256 line we print.
QString verificadorScram(const QString& senha) {
    constexpr int kIteracoes = 4096;
    QByteArray sal(16, '\0');
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(sal.data()), 4);
    QByteArray u = hmac(senha.toUtf8(), sal + QByteArray::fromHex("00000001"));
    QByteArray salgada = u;
    for (int i = 1; i < kIteracoes; ++i) {
        u = hmac(senha.toUtf8(), u);
        for (qsizetype j = 0; j < salgada.size(); ++j)
            salgada[j] = char(salgada[j] ^ u[j]);
    }
    const QByteArray guardada =
        QCryptographicHash::hash(hmac(salgada, "Client Key"), QCryptographicHash::Sha256);
    return QStringLiteral("SCRAM-SHA-256$%1:%2$%3:%4")
        .arg(kIteracoes)
        .arg(QString::fromLatin1(sal.toBase64()), QString::fromLatin1(guardada.toBase64()),
             QString::fromLatin1(hmac(salgada, "Server Key").toBase64()));
}

Passo exigeWalLogico(Conexao& admin) {
    const QString nivel = valor(admin, QStringLiteral("SHOW wal_level")).toString();
    if (nivel != QLatin1String("logical"))
        throw Erro(
            QStringLiteral("o servidor da estação tem wal_level = %1, e a central precisa de "
                           "wal_level = logical. Como superusuário: ALTER SYSTEM SET "
                           "wal_level = logical; e reinicie o PostgreSQL (por exemplo "
                           "systemctl restart postgresql); depois rode de novo")
                .arg(nivel),
            erros::BancoDeDados);
    return {QStringLiteral("wal_level = logical: ok")};
}

// Once set, a cap is the technician's: only an explicit one replaces it.
Passo limitaWal(Conexao& admin, const QString& pedido) {
    const QString atual = valor(admin, QStringLiteral("SHOW max_slot_wal_keep_size")).toString();
    const bool semLimite = atual == QLatin1String("-1");
    const QString novo = !pedido.isEmpty() ? pedido : semLimite ? kLimiteWalPadrao : QString();
    const bool igual =
        novo.isEmpty() ||
        valor(admin, QStringLiteral("SELECT pg_size_bytes(?) = pg_size_bytes(?)"), {novo, atual})
            .toBool();
    if (igual) return {QStringLiteral("max_slot_wal_keep_size = %1: mantido").arg(atual)};
    admin.executa(kOp,
                  QStringLiteral("ALTER SYSTEM SET max_slot_wal_keep_size = ") + literal(novo));
    admin.executa(kOp, QStringLiteral("SELECT pg_reload_conf()"));
    return {QStringLiteral("max_slot_wal_keep_size = %1: definido (antes: %2); vale para "
                           "todo slot deste servidor: um slot que passar disso é descartado, e o "
                           "disco da estação não enche")
                .arg(novo, semLimite ? QStringLiteral("sem limite") : atual),
            true};
}

Passo criaPapel(Conexao& admin, std::optional<QString>& senhaNova) {
    const QVariant replicacao = valor(
        admin, QStringLiteral("SELECT rolreplication FROM pg_roles WHERE rolname = ?"), {kPapel});
    if (replicacao.isNull()) {
        senhaNova = senhaAleatoria();
        admin.executa(kOp, QStringLiteral("CREATE ROLE %1 LOGIN REPLICATION PASSWORD %2")
                               .arg(kPapel, literal(verificadorScram(*senhaNova))));
        return {QStringLiteral("papel %1: criado, com replicação e a senha abaixo").arg(kPapel),
                true};
    }
    if (replicacao.toBool())
        return {QStringLiteral("papel %1: já existe (a senha não muda)").arg(kPapel)};
    admin.executa(kOp, QStringLiteral("ALTER ROLE %1 LOGIN REPLICATION").arg(kPapel));
    return {QStringLiteral("papel %1: recebeu o direito de replicação").arg(kPapel), true};
}

// Read access to the published tables only: nothing of the agent's own role.
Passo concedeLeitura(Conexao& admin) {
    QStringList faltam;
    for (const QString& t : tabelasPublicadas())
        if (!valor(admin, QStringLiteral("SELECT has_table_privilege(?, ?, 'SELECT')"), {kPapel, t})
                 .toBool())
            faltam << t;
    const bool semEsquema =
        !valor(admin, QStringLiteral("SELECT has_schema_privilege(?, current_schema(), 'USAGE')"),
               {kPapel})
             .toBool();
    if (semEsquema)
        admin.executa(
            kOp,
            QStringLiteral("GRANT USAGE ON SCHEMA ") +
                valor(admin, QStringLiteral("SELECT quote_ident(current_schema())")).toString() +
                QStringLiteral(" TO ") + kPapel);
    if (!faltam.isEmpty())
        admin.executa(kOp, QStringLiteral("GRANT SELECT ON %1 TO %2")
                               .arg(faltam.join(QStringLiteral(", ")), kPapel));
    const QString tabelas = tabelasPublicadas().join(QStringLiteral(", "));
    if (faltam.isEmpty() && !semEsquema)
        return {QStringLiteral("leitura de %1 por %2: ok").arg(tabelas, kPapel)};
    return {QStringLiteral("leitura de %1 por %2: concedida").arg(tabelas, kPapel), true};
}

Passo criaPublicacao(Conexao& admin) {
    const QString lista = tabelasPublicadas().join(QStringLiteral(", "));
    if (!valor(admin, QStringLiteral("SELECT 1 FROM pg_publication WHERE pubname = ?"),
               {kPublicacao})
             .isValid()) {
        admin.executa(kOp, QStringLiteral("CREATE PUBLICATION %1 FOR TABLE %2 WITH (publish = %3)")
                               .arg(kPublicacao, lista, kOperacoes));
        return {QStringLiteral("publicação %1 de %2: criada").arg(kPublicacao, lista), true};
    }
    QSqlQuery q = admin.executa(kOp,
                                QStringLiteral("SELECT tablename FROM pg_publication_tables WHERE "
                                               "pubname = ? AND schemaname = current_schema()"),
                                {kPublicacao});
    QSet<QString> tem;
    while (q.next())
        tem.insert(q.value(0).toString().toLower());
    QSet<QString> quer;
    for (const QString& t : tabelasPublicadas())
        quer.insert(t.toLower());
    const bool soInclusoesEAlteracoes =
        valor(admin,
              QStringLiteral("SELECT pubinsert AND pubupdate AND NOT pubdelete AND NOT pubtruncate "
                             "FROM pg_publication WHERE pubname = ?"),
              {kPublicacao})
            .toBool();
    if (tem == quer && soInclusoesEAlteracoes)
        return {QStringLiteral("publicação %1 de %2: ok").arg(kPublicacao, lista)};
    admin.executa(kOp, QStringLiteral("ALTER PUBLICATION %1 SET TABLE %2").arg(kPublicacao, lista));
    admin.executa(
        kOp,
        QStringLiteral("ALTER PUBLICATION %1 SET (publish = %2)").arg(kPublicacao, kOperacoes));
    return {QStringLiteral("publicação %1: agora de %2").arg(kPublicacao, lista), true};
}

// A connection-string value: quoted, since a path may hold spaces.
QString valorConexao(const QString& v) {
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

std::optional<int> empresaDoComentario(const QString& comentario) {
    const auto m = QRegularExpression(QStringLiteral("^empresa=(-?\\d+)\\z")).match(comentario);
    if (!m.hasMatch()) return std::nullopt;
    return m.captured(1).toInt();
}

} // namespace

bool existe(Conexao& admin, const QString& assinatura) {
    return valor(admin,
                 QStringLiteral("SELECT 1 FROM pg_subscription s JOIN pg_database d ON d.oid = "
                                "s.subdbid WHERE d.datname = current_database() AND s.subname = ?"),
                 {assinatura})
        .isValid();
}

Passo reativa(Conexao& admin, const QString& assinatura) {
    if (valor(admin, QStringLiteral("SELECT subenabled FROM pg_subscription WHERE subname = ?"),
              {assinatura})
            .toBool())
        return {QStringLiteral("assinatura %1: já existe e está ativa").arg(assinatura)};
    admin.executa(kOp, QStringLiteral("ALTER SUBSCRIPTION %1 ENABLE").arg(assinatura));
    return {QStringLiteral("assinatura %1: reativada").arg(assinatura), true};
}

const QStringList& tabelasPublicadas() {
    static const QStringList t{QStringLiteral("Abastecimento"), QStringLiteral("EncerranteAtual"),
                               QStringLiteral("AbastecimentoRejeitado")};
    return t;
}

void exigeSuperusuario(Conexao& admin, const QString& comando) {
    if (valor(admin, QStringLiteral("SELECT rolsuper FROM pg_roles WHERE rolname = current_user"))
            .toBool())
        return;
    throw Erro(QStringLiteral("%1 precisa de um superusuário do PostgreSQL, e o papel %2 não é: "
                              "use --como postgres (a senha dele vem do .pgpass ou de PGPASSWORD)")
                   .arg(comando, admin.opcoes().usuario),
               erros::PermissaoNegada);
}

Publicacao publica(Conexao& admin, const QString& limiteWal) {
    exigeSuperusuario(admin, QStringLiteral("central publicar"));
    Publicacao p;
    p.passos << exigeWalLogico(admin) << limitaWal(admin, limiteWal)
             << criaPapel(admin, p.senhaNova) << concedeLeitura(admin) << criaPublicacao(admin);
    return p;
}

std::optional<SlotCentral> slotMaisCheio(Conexao& conexao) {
    QSqlQuery q = conexao.executa(
        kOp,
        QStringLiteral(
            "SELECT slot_name, pg_wal_lsn_diff(pg_current_wal_lsn(), restart_lsn)::BIGINT, "
            "COALESCE(pg_size_bytes(current_setting('max_slot_wal_keep_size', true)), -1) FROM "
            "pg_replication_slots WHERE slot_name LIKE 'talvero\\_%' AND database = "
            "current_database() ORDER BY restart_lsn IS NOT NULL, 2 DESC LIMIT 1"));
    if (!q.next()) return std::nullopt;
    SlotCentral s{q.value(0).toString(), std::nullopt, q.value(2).toLongLong()};
    if (!q.value(1).isNull()) s.retidoBytes = q.value(1).toLongLong();
    return s;
}

bool nomeValido(const QString& nome) {
    return casa(nome, "^[a-z0-9_]{1,40}\\z");
}

QString confere(const Estacao& e) {
    if (!nomeValido(e.nome))
        return QStringLiteral("nome de estação inválido: use de 1 a 40 letras minúsculas sem "
                              "acento, algarismos e _ (por exemplo posto_centro)");
    if (!casa(e.servidor, "^[A-Za-z0-9][A-Za-z0-9.:_-]{0,252}\\z"))
        return QStringLiteral("--servidor precisa do nome ou do endereço da estação");
    if (e.porta < 1 || e.porta > 65535)
        return QStringLiteral("--porta precisa de um número de 1 a 65535");
    if (!casa(e.banco, "^[A-Za-z0-9_][A-Za-z0-9_.-]{0,62}\\z"))
        return QStringLiteral("--banco precisa do nome do banco da estação (letras, algarismos, "
                              "_ . -)");
    if (!casa(e.usuario, "^[A-Za-z0-9_][A-Za-z0-9_.-]{0,62}\\z"))
        return QStringLiteral("--usuario precisa do papel que a estação criou para a central "
                              "(%1)")
            .arg(kPapel);
    if (!e.arquivoSenhas.startsWith(QLatin1Char('/')) ||
        casa(e.arquivoSenhas, "[\\x00-\\x1f\\x7f'\\\\;]"))
        return QStringLiteral("--arquivo-senhas precisa de um caminho absoluto, sem aspas, "
                              "barra invertida nem ponto e vírgula");
    if (!QStringList{"require", "verify-ca", "verify-full"}.contains(e.sslmode))
        return QStringLiteral("--sslmode aceita require, verify-ca ou verify-full");
    return {};
}

QString Estacao::conexao() const {
    return QStringLiteral("host=%1 port=%2 dbname=%3 user=%4 passfile=%5 sslmode=%6 "
                          "connect_timeout=10")
        .arg(servidor)
        .arg(porta)
        .arg(banco, usuario, valorConexao(arquivoSenhas), sslmode);
}

OpcoesBanco Estacao::opcoes() const {
    OpcoesBanco o;
    o.driver = OpcoesBanco::Driver::PostgreSQL;
    o.servidor = servidor;
    o.porta = porta;
    o.banco = banco;
    o.usuario = usuario;
    o.opcoesConexao =
        QStringLiteral("passfile=%1;sslmode=%2").arg(valorConexao(arquivoSenhas), sslmode);
    o.semEsquema = true;
    return o;
}

std::int16_t empresaDaEstacao(Conexao& estacao) {
    QSqlQuery q = estacao.executa(kOp, QStringLiteral("SELECT Empresa FROM EncerranteAtual UNION "
                                                      "SELECT Empresa FROM Abastecimento"));
    QList<int> empresas;
    while (q.next())
        empresas << q.value(0).toInt();
    if (empresas.size() == 1) return std::int16_t(empresas.first());
    QStringList nomes;
    for (int e : empresas)
        nomes << QString::number(e);
    throw Erro(empresas.isEmpty()
                   ? QStringLiteral("a estação não tem empresa em EncerranteAtual nem em "
                                    "Abastecimento: importe os cadastros dela primeiro")
                   : QStringLiteral("a estação tem mais de uma empresa (%1) em EncerranteAtual e "
                                    "Abastecimento: a central precisa de uma só por estação")
                         .arg(nomes.join(QStringLiteral(", "))),
               erros::ArgumentoInvalido);
}

QList<Passo> assina(Conexao& admin, const Estacao& e, std::int16_t empresa) {
    const QString nome = e.assinatura();
    for (const Assinatura& a : assinaturas(admin))
        if (a.empresa == empresa)
            throw Erro(QStringLiteral("a empresa %1 já vem da assinatura %2: cada posto da rede "
                                      "precisa do seu próprio Codigo da Empresa")
                           .arg(empresa)
                           .arg(a.nome),
                       erros::ChaveDuplicada);
    qint64 linhas = 0;
    for (const QString& t : tabelasPublicadas())
        linhas += valor(admin, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE Empresa = ?").arg(t),
                        {empresa})
                      .toLongLong();
    const bool copia = linhas == 0;
    // Not disable_on_error: a connection cut mid-stream (the station's server restarted)
    // counts as an error too, and would stop the subscription for good.
    admin.executa(kOp, QStringLiteral("CREATE SUBSCRIPTION %1 CONNECTION %2 PUBLICATION %3 WITH "
                                      "(copy_data = %4)")
                           .arg(nome, literal(e.conexao()), kPublicacao,
                                copia ? QStringLiteral("true") : QStringLiteral("false")));
    admin.executa(kOp, QStringLiteral("COMMENT ON SUBSCRIPTION %1 IS %2")
                           .arg(nome, literal(QStringLiteral("empresa=%1").arg(empresa))));
    return {{QStringLiteral("assinatura %1 da empresa %2: criada").arg(nome).arg(empresa), true},
            {copia ? QStringLiteral("os registros que a estação já tem vêm junto")
                   : QStringLiteral("a central já tem %1 registro(s) da empresa %2: só o que a "
                                    "estação gravar daqui em diante vem")
                         .arg(linhas)
                         .arg(empresa),
             copia}};
}

QList<Passo> remove(Conexao& admin, const QString& nome, bool semEstacao) {
    const QString assinatura = QStringLiteral("talvero_") + nome;
    if (!existe(admin, assinatura))
        throw Erro(QStringLiteral("não há assinatura %1 nesta central").arg(assinatura),
                   erros::ArgumentoInvalido);
    if (!semEstacao) {
        admin.executa(kOp, QStringLiteral("DROP SUBSCRIPTION %1").arg(assinatura));
        return {{QStringLiteral("assinatura %1 removida, e o slot dela na estação também")
                     .arg(assinatura),
                 true}};
    }
    admin.executa(kOp, QStringLiteral("ALTER SUBSCRIPTION %1 DISABLE").arg(assinatura));
    admin.executa(kOp,
                  QStringLiteral("ALTER SUBSCRIPTION %1 SET (slot_name = NONE)").arg(assinatura));
    admin.executa(kOp, QStringLiteral("DROP SUBSCRIPTION %1").arg(assinatura));
    return {{QStringLiteral("assinatura %1 removida só aqui").arg(assinatura), true},
            {QStringLiteral("na estação, como superusuário, descarte o slot que ficou lá: SELECT "
                            "pg_drop_replication_slot('%1');")
                 .arg(assinatura),
             true}};
}

int intervaloNovaTentativaMs(Conexao& central) {
    return valor(central, QStringLiteral("SELECT setting::INTEGER FROM pg_settings WHERE name = "
                                         "'wal_retrieve_retry_interval'"))
        .toInt();
}

QList<Assinatura> assinaturas(Conexao& central) {
    QSqlQuery q = central.executa(
        kOp, QStringLiteral(
                 "SELECT s.subname, obj_description(s.oid, 'pg_subscription'), s.subenabled, "
                 "w.pid IS NOT NULL AND isfinite(w.last_msg_receipt_time), "
                 "CASE WHEN isfinite(w.last_msg_receipt_time) THEN EXTRACT(EPOCH FROM now() - "
                 "w.last_msg_receipt_time)::BIGINT END, "
                 "pg_wal_lsn_diff(w.received_lsn, w.latest_end_lsn)::BIGINT, "
                 "COALESCE(e.apply_error_count + e.sync_error_count, 0), "
                 "EXISTS (SELECT 1 FROM pg_subscription_rel r WHERE r.srsubid = s.oid AND "
                 "r.srsubstate <> 'r') "
                 "FROM pg_subscription s JOIN pg_database d ON d.oid = s.subdbid "
                 "LEFT JOIN pg_stat_subscription w ON w.subid = s.oid AND w.relid IS NULL "
                 "LEFT JOIN pg_stat_subscription_stats e ON e.subid = s.oid "
                 "WHERE d.datname = current_database() AND s.subname LIKE 'talvero\\_%' "
                 "ORDER BY s.subname"));
    QList<Assinatura> r;
    while (q.next()) {
        Assinatura a;
        a.nome = q.value(0).toString();
        a.empresa = empresaDoComentario(q.value(1).toString());
        a.ativa = q.value(2).toBool();
        a.conectada = q.value(3).toBool();
        if (!q.value(4).isNull()) a.ultimaMensagemS = q.value(4).toLongLong();
        if (!q.value(5).isNull()) a.pendenteBytes = q.value(5).toLongLong();
        a.erros = q.value(6).toLongLong();
        a.copiando = q.value(7).toBool();
        r << a;
    }
    return r;
}

} // namespace talvero::central
