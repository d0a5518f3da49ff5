// A chain's central database on real servers: two station agents on a station cluster
// with logical replication, each against its simulator, and a central cluster that
// subscribes to both through talvero-dados. The central copy is compared with each
// simulator's ledger: every fueling once, whatever the central server went through.

#include "ensaio/ProgramasReais.h"
#include "estacao/ServidorPgDeTeste.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHostInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <unistd.h>

namespace talvero::teste {
namespace {

constexpr int kLimiteMs = 120'000;

QString env(const QString& prefixo, const char* nome) {
    return qEnvironmentVariable(
        QStringLiteral("TALVERO_TESTE_PG_%1_%2").arg(prefixo, QLatin1String(nome)).toUtf8());
}

QString binario(const char* relativo) {
    return pastaProgramas(QStringLiteral("/../../src")) + '/' + QLatin1String(relativo);
}

// One of the two clusters that ./scripts/test starts besides the shared server.
struct Cluster {
    QString prefixo;
    QString porta() const { return env(prefixo, "PORTA"); }

    // Plain SQL as the cluster's superuser.
    QSqlQuery sql(const QString& banco, const QString& comando) const {
        const QString nome = prefixo + banco;
        QSqlDatabase db = QSqlDatabase::contains(nome) ? QSqlDatabase::database(nome, false)
                                                       : QSqlDatabase::addDatabase("QPSQL", nome);
        if (!db.isOpen()) {
            db.setHostName(env(prefixo, "HOST"));
            db.setPort(porta().toInt());
            db.setUserName("postgres");
            db.setDatabaseName(banco);
            db.open();
        }
        QSqlQuery q(db);
        if (q.exec(comando)) return q;
        // A server restarted under an open connection: once more on a new one.
        db.close();
        db.open();
        q = QSqlQuery(db);
        if (!q.exec(comando))
            ADD_FAILURE() << comando.toStdString() << ": " << q.lastError().text().toStdString();
        return q;
    }
    qint64 numero(const QString& banco, const QString& comando) const {
        QSqlQuery q = sql(banco, comando);
        return q.next() ? q.value(0).toLongLong() : -1;
    }

    bool pgCtl(const QStringList& acao) const { return teste::pgCtl(env(prefixo, "DADOS"), acao); }
};

struct Saida {
    int codigo = -1;
    QString texto;
};

Saida talveroDados(const QString& raiz, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(binario("tools/talvero-dados"), QStringList{"--root", raiz} + args);
    if (!p.waitForFinished(60'000)) {
        p.kill();
        p.waitForFinished();
        return {-1, QStringLiteral("não terminou em 60 s")};
    }
    return {p.exitCode(), QString::fromUtf8(p.readAll())};
}

void escreve(const QString& caminho, const QByteArray& conteudo) {
    QFile f(caminho);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << caminho.toStdString();
    f.write(conteudo);
}

QByteArray iniBanco(const Cluster& c, const QString& banco) {
    return QStringLiteral(
               "[BANCO DE DADOS]\r\nDriver=POSTGRESQL\r\nServidor=127.0.0.1\r\nPorta=%1\r\n"
               "Banco=%2\r\nUsuario=talvero_teste\r\n")
        .arg(c.porta(), banco)
        .toLatin1();
}

// A station: its root, its database on the station cluster, its simulator and agent.
struct Posto {
    int empresa = 0;
    QString banco;
    QTemporaryDir raiz;
    QProcess simulador, agente;
    QString livro;

    ~Posto() {
        encerra(agente, 20'000);
        encerra(simulador, 20'000);
    }
    QString pasta() const { return raiz.filePath("C/Talvero/AutoTalvero"); }

    void monta(const Cluster& c) {
        ASSERT_TRUE(QDir(raiz.path()).mkpath("C/Talvero/AutoTalvero"));
        ASSERT_TRUE(QDir(raiz.path()).mkpath("C/Automacao"));
        ASSERT_TRUE(QDir(raiz.path()).mkpath("cadastros"));
        c.sql("postgres", QStringLiteral("CREATE DATABASE %1 OWNER talvero_teste").arg(banco));
        escreveCadastros(raiz.filePath("cadastros"), empresa);
        livro = raiz.filePath("livro.jsonl");
        simulador.start(binario("simulator/concentrador-sim"),
                        {"--tcp", "127.0.0.1:0", "--layout", "75", "--taxa", "120", "--iniciais",
                         "4", "--semente", QString::number(empresa), "--livro", livro});
        QString porta;
        ASSERT_TRUE(aguardaAte(
            [&] {
                while (porta.isEmpty() && simulador.canReadLine()) {
                    const QString linha = QString::fromUtf8(simulador.readLine()).trimmed();
                    if (linha.startsWith("Escutando em ")) porta = linha.section(':', -1);
                }
                return !porta.isEmpty() || simulador.state() == QProcess::NotRunning;
            },
            kLimiteMs));
        ASSERT_FALSE(porta.isEmpty());
        escreve(pasta() + "/AutoTalvero.INI",
                QStringLiteral(
                    "[OUTRAS]\r\nQuantidade de Bicos=4\r\nCodigo da Empresa=%1\r\n"
                    "Criar Log Timer=NAO\r\n[EMAIL]\r\nNumero do Email=0\r\nConcluido=NAO\r\n"
                    "[AUTOMACAO]\r\nUsar Dll da Company=SIM\r\nUsar IdentFID=SIM\r\n"
                    "Casas decimais da litragem=3\r\n"
                    "Casas decimais do valor=3\r\n"
                    "Porta de Comunicacao=127.0.0.1:%2\r\n[LOCALIZACAO]\r\nPasta da "
                    "automacao=Automacao\r\nComputador com automacao=%3\r\n")
                        .arg(empresa)
                        .arg(porta, QHostInfo::localHostName())
                        .toLatin1() +
                    iniBanco(c, banco));
        for (const QStringList& args :
             {QStringList{"criar"}, QStringList{"importar", raiz.filePath("cadastros")}}) {
            const Saida s = talveroDados(raiz.path(), args);
            ASSERT_EQ(s.codigo, 0) << s.texto.toStdString();
        }
        inicia();
    }
    std::string relato() {
        return ("--- agente " + QString::number(empresa) + ":\n" +
                QString::fromLocal8Bit(agente.readAll()))
            .toStdString();
    }
    void inicia() {
        agente.setProcessChannelMode(QProcess::MergedChannels);
        agente.start(binario("shell/autotalvero"), {"--root", raiz.path(), "--headless"});
        ASSERT_TRUE(agente.waitForStarted());
    }

    // What the simulator handed over and had acknowledged, each answer once.
    QStringList confirmados() const {
        std::map<qint64, QString> entregue;
        QStringList r;
        QFile f(livro);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        for (const QByteArray& l : f.readAll().split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(l).object();
            const qint64 id = o.value("id").toInteger();
            if (o.value("evento") == "entregue") entregue[id] = o.value("resposta").toString();
            if (o.value("evento") == "confirmado") r << entregue[id];
        }
        return r;
    }
};

class Central : public ::testing::Test {
protected:
    void SetUp() override {
        if (env("ESTACAO", "PORTA").isEmpty() || env("CENTRAL", "PORTA").isEmpty()) {
            if (qEnvironmentVariable("CI") == QLatin1String("true"))
                FAIL() << "TALVERO_TESTE_PG_ESTACAO_* e _CENTRAL_* ausentes no CI";
            GTEST_SKIP() << "sem os servidores de replicação (scripts/postgres-teste start DIR "
                            "--replicacao --prefixo ESTACAO|CENTRAL)";
        }
    }

    // Whatever happened, the clusters keep no subscription, slot or database of this run.
    void TearDown() override {
        if (env("CENTRAL", "PORTA").isEmpty()) return;
        if (!central_.pgCtl({"status"}))
            central_.pgCtl({"-l", env("CENTRAL", "DADOS") + "/servidor.log", "start"});
        QStringList assinaturas;
        for (QSqlQuery q = central_.sql(bancoCentral_, "SELECT subname FROM pg_subscription s JOIN "
                                                       "pg_database d ON d.oid = s.subdbid WHERE "
                                                       "d.datname = current_database()");
             q.next();)
            assinaturas << q.value(0).toString();
        for (const QString& a : assinaturas) {
            central_.sql(bancoCentral_, "ALTER SUBSCRIPTION " + a + " DISABLE");
            central_.sql(bancoCentral_, "ALTER SUBSCRIPTION " + a + " SET (slot_name = NONE)");
            central_.sql(bancoCentral_, "DROP SUBSCRIPTION " + a);
        }
        QSqlDatabase::removeDatabase(central_.prefixo + bancoCentral_);
        central_.sql("postgres", "DROP DATABASE IF EXISTS " + bancoCentral_ + " WITH (FORCE)");
        for (const QString& banco : bancos_) {
            estacao_.sql("postgres", "SELECT pg_terminate_backend(active_pid, 10000) FROM "
                                     "pg_replication_slots WHERE database = '" +
                                         banco + "'");
            estacao_.sql("postgres", "SELECT pg_drop_replication_slot(slot_name) FROM "
                                     "pg_replication_slots WHERE database = '" +
                                         banco + "'");
            QSqlDatabase::removeDatabase(estacao_.prefixo + banco);
            estacao_.sql("postgres", "DROP DATABASE IF EXISTS " + banco + " WITH (FORCE)");
        }
    }

    const Cluster estacao_{QStringLiteral("ESTACAO")}, central_{QStringLiteral("CENTRAL")};
    QStringList bancos_;
    const QString sufixo_ = QString::number(QCoreApplication::applicationPid());
    const QString bancoCentral_ = "central_" + sufixo_;
    QTemporaryDir raizCentral_;

    // Every fueling the station stored, and no other row of its company, at the central server.
    bool emDia(const Posto& p) const {
        const QString conta =
            QStringLiteral("SELECT COUNT(*) FROM Abastecimento WHERE Empresa = %1").arg(p.empresa);
        return central_.numero(bancoCentral_, conta) == estacao_.numero(p.banco, conta);
    }
    // Slots are the station cluster's: each run names its own.
    QString nome(const Posto& p) const { return p.banco; }
    int situacaoCentral() const {
        const Saida s = talveroDados(raizCentral_.path(), {"central", "situacao"});
        ultimaSituacao_ = s.texto.toStdString();
        return s.codigo;
    }
    mutable std::string ultimaSituacao_;
    Saida assina(const Posto& p, const QString& nome, const QString& arquivoSenhas) const {
        return talveroDados(raizCentral_.path(),
                            {"central", "assinar", nome, "--servidor", "127.0.0.1", "--porta",
                             estacao_.porta(), "--banco", p.banco, "--arquivo-senhas",
                             arquivoSenhas, "--como", "postgres"});
    }

    // Milliseconds from the commit at the station to the row at the central server (a
    // column of the central's own: an applied change keeps the station's commit time), for
    // the fuelings stored at the station between `de` and `ate` (ms since the epoch).
    QList<qint64> atrasos(const Posto& p, qint64 de, qint64 ate) const {
        const QString sql =
            QStringLiteral("SELECT Data || ' ' || Hora || ' ' || Bico, (EXTRACT(EPOCH FROM %1) * "
                           "1000)::BIGINT FROM Abastecimento WHERE Empresa = %2");
        std::map<QString, qint64> naEstacao;
        for (QSqlQuery q =
                 estacao_.sql(p.banco, sql.arg("pg_xact_commit_timestamp(xmin)").arg(p.empresa));
             q.next();)
            naEstacao[q.value(0).toString()] = q.value(1).toLongLong();
        QList<qint64> r;
        for (QSqlQuery q = central_.sql(bancoCentral_, sql.arg("ChegadaCentral").arg(p.empresa));
             q.next();) {
            const qint64 gravado = naEstacao[q.value(0).toString()];
            if (gravado > de && gravado < ate) r << q.value(1).toLongLong() - gravado;
        }
        return r;
    }
};

TEST_F(Central, DuasEstacoesChegamUmaVezCadaPassandoPorQuedasDaCentralEDaEstacao) {
    std::vector<std::unique_ptr<Posto>> postos;
    for (int empresa : {1, 2}) {
        auto& p = postos.emplace_back(std::make_unique<Posto>());
        p->empresa = empresa;
        p->banco = QStringLiteral("posto%1_%2").arg(empresa).arg(sufixo_);
        bancos_ << p->banco;
        ASSERT_NO_FATAL_FAILURE(p->monta(estacao_));
    }
    central_.sql("postgres", "CREATE DATABASE " + bancoCentral_ + " OWNER talvero_teste");
    ASSERT_TRUE(QDir(raizCentral_.path()).mkpath("C/Talvero/AutoTalvero"));
    escreve(raizCentral_.filePath("C/Talvero/AutoTalvero/AutoTalvero.INI"),
            iniBanco(central_, bancoCentral_));

    // The role is the cluster's: the first station's publishing makes it and says its password.
    QString senha;
    for (const auto& p : postos) {
        const Saida s = talveroDados(p->raiz.path(), {"central", "publicar", "--como", "postgres"});
        ASSERT_EQ(s.codigo, 0) << s.texto.toStdString();
        const auto m = QRegularExpression("de novo\\): (\\S+)").match(s.texto);
        if (m.hasMatch()) senha = m.captured(1);
    }
    if (senha.isEmpty()) { // the cluster outlived an earlier run
        senha = QStringLiteral("senha_%1").arg(sufixo_);
        estacao_.sql("postgres", "ALTER ROLE talvero_central PASSWORD '" + senha + "'");
    }
    const Saida denovo =
        talveroDados(postos[0]->raiz.path(), {"central", "publicar", "--como", "postgres"});
    EXPECT_TRUE(denovo.codigo == 0 && denovo.texto.contains("Nada mudou"))
        << denovo.texto.toStdString();

    // The password only in a file the central server's own user reads, never in its catalogue.
    QTemporaryDir senhas;
    QFile::setPermissions(senhas.path(), QFile::permissions(senhas.path()) | QFile::ExeOther);
    const QString arquivoSenhas = senhas.filePath("pgpass");
    QByteArray linhas;
    for (const auto& p : postos)
        linhas += QStringLiteral("127.0.0.1:%1:%2:talvero_central:%3\n")
                      .arg(estacao_.porta(), p->banco, senha)
                      .toUtf8();
    escreve(arquivoSenhas, linhas);
    QFile::setPermissions(arquivoSenhas, QFile::ReadOwner | QFile::WriteOwner);
    if (::geteuid() == 0) QProcess::execute("chown", {env("CENTRAL", "DONO"), arquivoSenhas});

    const auto todasEmDia = [&] {
        return std::all_of(postos.begin(), postos.end(), [&](const auto& p) { return emDia(*p); });
    };
    const auto armazenados = [&](int quantos) {
        return [&, quantos] {
            return std::all_of(postos.begin(), postos.end(), [&](const auto& p) {
                return estacao_.numero(p->banco, "SELECT COUNT(*) FROM Abastecimento") >= quantos;
            });
        };
    };
    // Fuelings stored before the subscription come by its first copy.
    ASSERT_TRUE(aguardaAte(armazenados(2), kLimiteMs));
    talveroDados(raizCentral_.path(), {"criar"});
    central_.sql(bancoCentral_, "ALTER TABLE Abastecimento ADD COLUMN ChegadaCentral TIMESTAMPTZ "
                                "DEFAULT clock_timestamp()");
    const qint64 assinado = QDateTime::currentMSecsSinceEpoch();
    for (const auto& p : postos) {
        const Saida s = assina(*p, nome(*p), arquivoSenhas);
        ASSERT_EQ(s.codigo, 0) << s.texto.toStdString();
    }
    const Saida dobrada = assina(*postos[0], "copia_" + sufixo_, arquivoSenhas);
    EXPECT_NE(dobrada.codigo, 0) << "a mesma empresa por duas assinaturas";
    EXPECT_EQ(central_.numero(bancoCentral_, "SELECT COUNT(*) FROM pg_subscription WHERE subname "
                                             "LIKE 'talvero_%' AND subconninfo LIKE '%password%'"),
              0);

    ASSERT_TRUE(aguardaAte(armazenados(6), kLimiteMs))
        << postos[0]->relato() << postos[1]->relato();
    ASSERT_TRUE(aguardaAte(todasEmDia, kLimiteMs));
    EXPECT_EQ(situacaoCentral(), 0);
    aguarda(qEnvironmentVariableIntValue("TALVERO_CENTRAL_NORMAL_S") * 1000); // for a measurement

    // The central server stopped while the stations go on collecting, then back.
    const qint64 naCentralAntes =
        central_.numero(bancoCentral_, "SELECT COUNT(*) FROM Abastecimento");
    const qint64 parada = QDateTime::currentMSecsSinceEpoch();
    ASSERT_TRUE(central_.pgCtl({"-m", "fast", "stop"}));
    EXPECT_EQ(situacaoCentral(), 3);
    const int paradaS = qEnvironmentVariableIntValue("TALVERO_CENTRAL_PARADA_S");
    const int antes = int(estacao_.numero(postos[1]->banco, "SELECT COUNT(*) FROM Abastecimento"));
    ASSERT_TRUE(aguardaAte(armazenados(antes + 3), kLimiteMs));
    aguarda(paradaS * 1000);
    std::map<int, qint64> naVolta;
    qint64 aAlcancar = -naCentralAntes;
    for (const auto& p : postos) {
        naVolta[p->empresa] = estacao_.numero(p->banco, "SELECT COUNT(*) FROM Abastecimento");
        aAlcancar += naVolta[p->empresa];
    }
    const qint64 volta = QDateTime::currentMSecsSinceEpoch();
    QElapsedTimer alcance;
    alcance.start();
    ASSERT_TRUE(central_.pgCtl({"-l", env("CENTRAL", "DADOS") + "/servidor.log", "start"}));
    ASSERT_TRUE(aguardaAte(
        [&] {
            return std::all_of(postos.begin(), postos.end(), [&](const auto& p) {
                return central_.numero(bancoCentral_,
                                       QStringLiteral("SELECT COUNT(*) FROM Abastecimento WHERE "
                                                      "Empresa = %1")
                                           .arg(p->empresa)) >= naVolta[p->empresa];
            });
        },
        kLimiteMs, 50));
    const qint64 alcanceMs = alcance.elapsed();

    // A station killed and started again; its status file then tells the slot's WAL.
    postos[0]->agente.kill();
    postos[0]->agente.waitForFinished();
    ASSERT_NO_FATAL_FAILURE(postos[0]->inicia());
    ASSERT_TRUE(aguardaAte(
        [&] {
            const Saida s = talveroDados(postos[0]->raiz.path(), {"situacao"});
            return s.codigo == 0 && s.texto.contains("WAL retido para a central");
        },
        kLimiteMs, 500));

    // The station refuses the central server for a while (its connection cut mid-stream
    // counts as an error): a warning, not a broken subscription.
    estacao_.sql("postgres", "ALTER ROLE talvero_central NOLOGIN");
    estacao_.sql("postgres", "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                             "usename = 'talvero_central'");
    EXPECT_TRUE(aguardaAte([&] { return situacaoCentral() == 1; }, kLimiteMs / 2, 500))
        << ultimaSituacao_;
    estacao_.sql("postgres", "ALTER ROLE talvero_central LOGIN");
    EXPECT_TRUE(aguardaAte([&] { return situacaoCentral() == 0; }, kLimiteMs / 2, 500))
        << ultimaSituacao_;

    // A station upgraded before the central server fails at its next fueling until the
    // central server gets the change too.
    const QString novaColuna = "ALTER TABLE Abastecimento ADD COLUMN Extra INTEGER DEFAULT 0";
    estacao_.sql(postos[1]->banco, novaColuna);
    EXPECT_TRUE(aguardaAte([&] { return situacaoCentral() == 2; }, kLimiteMs / 2, 500))
        << ultimaSituacao_;
    central_.sql(bancoCentral_, novaColuna);
    EXPECT_TRUE(aguardaAte([&] { return situacaoCentral() == 0; }, kLimiteMs / 2, 500))
        << ultimaSituacao_;

    // The stations stop collecting; the central copy then matches each ledger exactly.
    for (const auto& p : postos) {
        encerra(p->agente, 20'000);
        encerra(p->simulador, 20'000);
    }
    ASSERT_TRUE(aguardaAte(todasEmDia, kLimiteMs));
    for (const auto& p : postos) {
        QStringList naCentral;
        for (QSqlQuery q =
                 central_.sql(bancoCentral_, QStringLiteral("SELECT RegistroAutomacao FROM "
                                                            "Abastecimento WHERE Empresa = %1")
                                                 .arg(p->empresa));
             q.next();)
            naCentral << q.value(0).toString();
        QStringList livro = p->confirmados();
        naCentral.sort();
        livro.sort();
        EXPECT_EQ(naCentral, livro) << "empresa " << p->empresa;
        EXPECT_EQ(central_.numero(bancoCentral_,
                                  QStringLiteral("SELECT COUNT(*) FROM EncerranteAtual WHERE "
                                                 "Empresa = %1")
                                      .arg(p->empresa)),
                  4);
    }

    QList<qint64> delays;
    for (const auto& p : postos)
        delays += atrasos(*p, assinado, parada);
    std::sort(delays.begin(), delays.end());
    ASSERT_FALSE(delays.isEmpty());
    std::cout << "Atraso da replicação: mediana " << delays[delays.size() / 2] << " ms, pior "
              << delays.last() << " ms (" << delays.size() << " abastecimentos); a central parada "
              << (volta - parada) / 1000 << " s alcançou as estações (" << aAlcancar
              << " abastecimentos por receber) " << alcanceMs << " ms depois de partir\n";

    // Removed, the subscription takes its slot at the station with it.
    EXPECT_EQ(talveroDados(raizCentral_.path(),
                           {"central", "remover", nome(*postos[0]), "--como", "postgres"})
                  .codigo,
              0);
    EXPECT_EQ(estacao_.numero(postos[0]->banco,
                              "SELECT COUNT(*) FROM pg_replication_slots WHERE slot_name = "
                              "'talvero_" +
                                  nome(*postos[0]) + "'"),
              0);
}

} // namespace
} // namespace talvero::teste
