// The built programs together, as on a station: the agent against the
// concentrator simulator over a pseudo-terminal and over TCP, the SQLite file on
// disk. Every acknowledgement the simulator reports is checked against the
// database at that moment, so a fueling acknowledged before it was stored shows;
// the simulator's ledger then proves what was handed over and acknowledged.

#include "platform/CodecAnsi.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QHostInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace talvero;

namespace {

constexpr int kLimiteMs = 60'000;
constexpr int kParadaMs = 20'000;
const QString kConexao = QStringLiteral("processo-real");

// TALVERO_BIN names the build's src/ folder; without it, the one beside tests/.
QString binario(const char* relativo) {
    const QString bin = qEnvironmentVariable("TALVERO_BIN");
    return (bin.isEmpty() ? QCoreApplication::applicationDirPath() + "/../../src" : bin) + '/' + QLatin1String(relativo);
}

void para(QProcess& p) {
    if (p.state() == QProcess::NotRunning) return;
    p.terminate();
    if (!p.waitForFinished(kParadaMs)) p.kill(), p.waitForFinished();
}

class ProcessoReal : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFile::exists(binario("shell/autotalvero"))) {
            if (qEnvironmentVariable("CI") == QLatin1String("true")) FAIL() << "sem " << binario("shell/autotalvero").toStdString();
            GTEST_SKIP() << "programas não compilados";
        }
        for (const char* p : {"C/Talvero/AutoTalvero", "C/Automacao", "dev", "cadastros"}) ASSERT_TRUE(QDir(raiz_.path()).mkpath(p));
    }

    void TearDown() override {
        para(agente_);
        para(simulador_);
        QSqlDatabase::database(kConexao, false).close();
        QSqlDatabase::removeDatabase(kConexao);
    }

    // N fuelings waiting at start, none arriving: the agent must store and
    // acknowledge exactly those N, each once, none before it is stored.
    void coleta(bool dllCompany, int layout, int n) {
        ASSERT_NO_FATAL_FAILURE(cadastra());
        const QString pronto = dllCompany ? "Escutando em " : "Pseudo-terminal ";
        simulador_.start(binario("simulator/concentrador-sim"),
                         QStringList{"--layout", QString::number(layout), "--taxa", "0", "--iniciais", QString::number(n),
                                     "--ledger", raiz_.filePath("livro.jsonl")} +
                             (dllCompany ? QStringList{"--tcp", "127.0.0.1:0"} : QStringList{"--pty", raiz_.filePath("dev/COM3")}));
        QString endereco;  // "127.0.0.1:PORTA" or "/dev/pts/N em LINK"
        ASSERT_TRUE(esperaAte([&] {
            for (const QString& l : linhas_)
                if (l.startsWith(pronto)) endereco = l.mid(pronto.size());
            return !endereco.isEmpty();
        })) << relato();
        if (!dllCompany) {
            EXPECT_EQ(QFileInfo(raiz_.filePath("dev/COM3")).symLinkTarget(), endereco.section(QLatin1Char(0x20), 0, 0));
        }
        escreveIni(dllCompany ? "SIM" : "NAO", dllCompany ? endereco : "COM3");

        agente_.setProcessChannelMode(QProcess::MergedChannels);
        agente_.start(binario("shell/autotalvero"), {"--root", raiz_.path(), "--headless"});
        ASSERT_TRUE(esperaAte([&] { return confirmacoes_ >= n; })) << "confirmados " << confirmacoes_ << " de " << n << relato();
        agente_.terminate();
        ASSERT_TRUE(agente_.waitForFinished(kParadaMs)) << relato();
        EXPECT_EQ(agente_.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(agente_.exitCode(), 0) << relato();
        para(simulador_);
        EXPECT_FALSE(QFileInfo(raiz_.filePath("dev/COM3")).isSymLink()) << "o link do pseudo-terminal ficou";
        confere(n);
    }

private:
    void escreveIni(const QString& sim, const QString& porta) {
        escreve("C/Talvero/AutoTalvero/AutoTalvero.INI",
                ansi::codifica("[OUTRAS]\r\nQuantidade de Bicos=4\r\nCodigo da Empresa=1\r\nNome da Empresa=POSTO DE TESTE\r\n"
                               "Criar Log Timer=SIM\r\n[EMAIL]\r\nNumero do Email=0\r\nConcluido=NAO\r\n[AUTOMACAO]\r\n"
                               "Usar Dll da Company=" + sim + "\r\nUsar IdentFID=" + sim + "\r\nCasas decimais da litragem=3\r\n"
                               "Casas decimais do valor=3\r\nPorta de Comunicacao=" + porta + "\r\n[LOCALIZACAO]\r\n"
                               "Pasta da automacao=Automacao\r\nComputador com automacao=" + QHostInfo::localHostName() +
                               "\r\n[BANCO DE DADOS]\r\nDriver=SQLITE\r\n"));
    }

    void escreve(const char* relativo, const QByteArray& conteudo) {
        QFile f(raiz_.filePath(relativo));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(conteudo);
    }

    void cadastra() {
        escreve("cadastros/BicoAutomacao.csv", "Codigo,Bico\n01,1\n02,2\n03,3\n04,4\n");
        escreve("cadastros/Bico.csv", "Empresa,Bico,Produto,Complemento\n1,1,1,ILHA 1\n1,2,2,ILHA 1\n1,3,3,ILHA 2\n1,4,1,ILHA 2\n");
        escreve("cadastros/Produto.csv", "Produto,PrecoVenda\n1,5.79\n2,3.89\n3,5.99\n");
        escreve("cadastros/Estoque.csv", "Empresa,Produto,PrecoVenda\n1,1,5.79\n1,2,3.89\n1,3,5.99\n");
        escreve("cadastros/EncerranteAtual.csv", "Empresa,Bico,Encerrante\n1,1,0\n1,2,0\n1,3,0\n1,4,0\n");
        for (const QStringList& args : {QStringList{"criar"}, QStringList{"importar", raiz_.filePath("cadastros")}}) {
            QProcess p;
            p.setProcessChannelMode(QProcess::MergedChannels);
            p.start(binario("store/talvero-dados"), QStringList{"--root", raiz_.path()} + args);
            ASSERT_TRUE(p.waitForFinished(kParadaMs));
            ASSERT_EQ(p.exitCode(), 0) << p.readAll().toStdString();
        }
    }

    // Waits for the simulator's next output, the end of either program or the
    // deadline, whichever comes first; never a fixed pause.
    bool esperaAte(const std::function<bool()>& pronto) {
        const QDeadlineTimer prazo(kLimiteMs);
        while (!pronto()) {
            if (prazo.hasExpired() || simulador_.state() == QProcess::NotRunning) return false;
            if (agente_.processId() != 0 && agente_.state() == QProcess::NotRunning) return false;
            QEventLoop laco;
            for (QProcess* p : {&simulador_, &agente_}) QObject::connect(p, &QProcess::finished, &laco, &QEventLoop::quit);
            QObject::connect(&simulador_, &QProcess::readyReadStandardOutput, &laco, &QEventLoop::quit);
            QTimer::singleShot(int(std::max<qint64>(1, prazo.remainingTime())), &laco, &QEventLoop::quit);
            if (!simulador_.canReadLine()) laco.exec();
            while (simulador_.canReadLine()) trataEvento(QString::fromLocal8Bit(simulador_.readLine()).chopped(1));
        }
        return true;
    }

    // "entregue 3: (…)" and "confirmado 3: " as the simulator prints them.
    void trataEvento(const QString& linha) {
        linhas_ << linha;
        const QStringList cabeca = linha.section(": ", 0, 0).split(' ');
        if (!linha.contains(": ") || cabeca.size() < 2) return;
        const qint64 id = cabeca[1].toLongLong();
        if (cabeca[0] == "entregue") entregues_[id] = linha.section(": ", 1);
        if (cabeca[0] != "confirmado") return;
        ++confirmacoes_;
        if (id == 0 || !gravados().contains(entregues_[id])) confirmadosSemGravar_ << id;
    }

    QStringList gravados() {
        QSqlDatabase db = QSqlDatabase::contains(kConexao) ? QSqlDatabase::database(kConexao, false)
                                                           : QSqlDatabase::addDatabase("QSQLITE", kConexao);
        if (!db.isOpen()) {
            db.setDatabaseName(raiz_.filePath("C/Talvero/AutoTalvero/Talvero.db"));
            db.setConnectOptions("QSQLITE_OPEN_READONLY");
            if (!db.open()) ADD_FAILURE() << db.lastError().text().toStdString();
        }
        QSqlQuery q(db);
        if (!q.exec("SELECT RegistroAutomacao FROM Abastecimento")) ADD_FAILURE() << q.lastError().text().toStdString();
        QStringList r;
        while (q.next()) r << q.value(0).toString();
        return r;
    }

    void confere(int n) {
        EXPECT_TRUE(confirmadosSemGravar_.isEmpty()) << "confirmados antes de gravados: " << confirmadosSemGravar_.size() << relato();
        std::map<qint64, int> criados, confirmados;
        QStringList entregues;
        QFile f(raiz_.filePath("livro.jsonl"));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        for (const QByteArray& l : f.readAll().split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(l).object();
            const QString evento = o.value("evento").toString();
            if (evento == "criado") ++criados[o.value("id").toInteger()];
            if (evento == "confirmado") ++confirmados[o.value("id").toInteger()];
            if (evento == "entregue") entregues << o.value("resposta").toString();
        }
        EXPECT_EQ(int(criados.size()), n);
        EXPECT_EQ(confirmados.count(0), 0u) << "confirmação sem abastecimento à espera";
        for (const auto& [id, vezes] : criados) EXPECT_EQ(confirmados[id], 1) << "abastecimento " << id;

        const QStringList g = gravados();
        EXPECT_EQ(g.size(), n) << g.join('\n').toStdString();
        EXPECT_EQ(g.size(), QSet<QString>(g.begin(), g.end()).size()) << "gravado duas vezes";
        for (const QString& r : g) EXPECT_TRUE(entregues.contains(r)) << "não entregue: " << r.toStdString();
    }

    std::string relato() {
        QString t = "\n--- agente:\n" + QString::fromLocal8Bit(agente_.readAll());
        for (const QFileInfo& log : QDir(raiz_.filePath("C/Talvero/AutoTalvero")).entryInfoList({"AUTOMACAO_*.LOG"}, QDir::Files)) {
            QFile f(log.filePath());
            if (f.open(QIODevice::ReadOnly)) t += "--- " + log.fileName() + '\n' + ansi::decodifica(f.readAll());
        }
        return (t + "--- simulador:\n" + linhas_.join('\n') + '\n' + simulador_.readAllStandardError()).toStdString();
    }

    QTemporaryDir raiz_;
    QProcess simulador_;
    QProcess agente_;
    QStringList linhas_;
    std::map<qint64, QString> entregues_;
    int confirmacoes_ = 0;
    QList<qint64> confirmadosSemGravar_;
};

TEST_F(ProcessoReal, ControleSerialNumPseudoTerminalGravaEConfirmaCadaAbastecimentoUmaVez) { coleta(false, 52, 4); }

TEST_F(ProcessoReal, BibliotecaDoFornecedorPorTcpGravaEConfirmaCadaAbastecimentoUmaVez) { coleta(true, 75, 3); }

} // namespace
