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

struct Transporte {
    bool dllCompany; // vendor library over TCP; otherwise the serial control on a pseudo-terminal
    int layout;
};

struct EventoDoLivro {
    QString evento;
    qint64 id = 0;
    QString resposta;
};

// TALVERO_BIN names the build's src/ folder; without it, the one beside tests/.
QString binario(const char* relativo) {
    const QString bin = qEnvironmentVariable("TALVERO_BIN");
    const QString base = bin.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/../../src") : bin;
    return base + QLatin1Char('/') + QLatin1String(relativo);
}

std::string texto(const QString& s) { return s.toStdString(); }

class ProcessoReal : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFile::exists(binario("shell/autotalvero"))) {
            if (qEnvironmentVariable("CI") == QLatin1String("true")) FAIL() << "sem " << texto(binario("shell/autotalvero"));
            GTEST_SKIP() << "programas não compilados: " << texto(binario("shell/autotalvero"));
        }
        ASSERT_TRUE(raiz_.isValid());
        for (const char* p : {"C/Talvero/AutoTalvero", "C/Automacao", "dev", "cadastros"})
            ASSERT_TRUE(QDir(raiz_.path()).mkpath(QLatin1String(p)));
    }

    void TearDown() override {
        para(agente_);
        para(simulador_);
        QSqlDatabase::database(kConexao, false).close();
        QSqlDatabase::removeDatabase(kConexao);
    }

    // N fuelings waiting at start, none arriving: the agent must store and
    // acknowledge exactly those N.
    void coleta(const Transporte& t, int n) {
        ASSERT_NO_FATAL_FAILURE(cadastra());
        const QString porta = iniciaSimulador(t, n);
        ASSERT_FALSE(porta.isEmpty()) << texto(relato());
        escreveIni(t, porta);
        agente_.setProcessChannelMode(QProcess::MergedChannels);
        agente_.start(binario("shell/autotalvero"), {QStringLiteral("--root"), raiz_.path(), QStringLiteral("--headless")});
        ASSERT_TRUE(agente_.waitForStarted()) << texto(agente_.errorString());
        ASSERT_TRUE(esperaAte([&] { return confirmacoes_ >= n; }))
            << "confirmados " << confirmacoes_ << " de " << n << "\n" << texto(relato());
        agente_.terminate();
        ASSERT_TRUE(agente_.waitForFinished(kParadaMs)) << texto(relato());
        EXPECT_EQ(agente_.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(agente_.exitCode(), 0) << texto(relato());
        para(simulador_);
        confere(n);
    }

private:
    QString caminho(const QString& relativo) const { return raiz_.filePath(relativo); }
    QString arquivoBanco() const { return caminho(QStringLiteral("C/Talvero/AutoTalvero/Talvero.db")); }
    QString livro() const { return caminho(QStringLiteral("livro.jsonl")); }

    void escreveIni(const Transporte& t, const QString& porta) {
        const QString sim = t.dllCompany ? QStringLiteral("SIM") : QStringLiteral("NAO");
        const QStringList linhas = {
            "[OUTRAS]", "Quantidade de Bicos=4", "Codigo da Empresa=1", "Nome da Empresa=POSTO DE TESTE",
            "Criar Log Timer=SIM", "[EMAIL]", "Numero do Email=0", "Concluido=NAO", "[AUTOMACAO]",
            "Usar Dll da Company=" + sim, "Usar IdentFID=" + sim, "Casas decimais da litragem=3",
            "Casas decimais do valor=3", "Porta de Comunicacao=" + porta, "[LOCALIZACAO]",
            "Pasta da automacao=Automacao", "Computador com automacao=" + QHostInfo::localHostName(),
            "[BANCO DE DADOS]", "Driver=SQLITE"};
        escreve(QStringLiteral("C/Talvero/AutoTalvero/AutoTalvero.INI"),
                ansi::codifica(linhas.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
    }

    void escreve(const QString& relativo, const QByteArray& conteudo) {
        QFile f(caminho(relativo));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << texto(f.errorString());
        f.write(conteudo);
    }

    void cadastra() {
        escreve("cadastros/BicoAutomacao.csv", "Codigo,Bico\n01,1\n02,2\n03,3\n04,4\n");
        escreve("cadastros/Bico.csv", "Empresa,Bico,Produto,Complemento\n1,1,1,ILHA 1\n1,2,2,ILHA 1\n1,3,3,ILHA 2\n1,4,1,ILHA 2\n");
        escreve("cadastros/Produto.csv", "Produto,PrecoVenda\n1,5.79\n2,3.89\n3,5.99\n");
        escreve("cadastros/Estoque.csv", "Empresa,Produto,PrecoVenda\n1,1,5.79\n1,2,3.89\n1,3,5.99\n");
        escreve("cadastros/EncerranteAtual.csv", "Empresa,Bico,Encerrante\n1,1,0\n1,2,0\n1,3,0\n1,4,0\n");
        ASSERT_NO_FATAL_FAILURE(dados({QStringLiteral("criar")}));
        ASSERT_NO_FATAL_FAILURE(dados({QStringLiteral("importar"), caminho(QStringLiteral("cadastros"))}));
    }

    void dados(QStringList argumentos) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(binario("store/talvero-dados"), QStringList{QStringLiteral("--root"), raiz_.path()} + argumentos);
        ASSERT_TRUE(p.waitForFinished(kParadaMs)) << texto(p.errorString());
        ASSERT_EQ(p.exitCode(), 0) << p.readAll().toStdString();
    }

    // The simulator's address as the INI file names it: "COM3" or "127.0.0.1:PORTA".
    QString iniciaSimulador(const Transporte& t, int n) {
        QStringList args = {QStringLiteral("--layout"), QString::number(t.layout), QStringLiteral("--taxa"),
                            QStringLiteral("0"), QStringLiteral("--iniciais"), QString::number(n),
                            QStringLiteral("--ledger"), livro()};
        args += t.dllCompany ? QStringList{QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:0")}
                             : QStringList{QStringLiteral("--pty"), caminho(QStringLiteral("dev/COM3"))};
        simulador_.start(binario("simulator/concentrador-sim"), args);
        if (!simulador_.waitForStarted()) return {};
        const QString pronto = t.dllCompany ? QStringLiteral("Escutando em ") : QStringLiteral("Pseudo-terminal ");
        QString linha;
        esperaAte([&] {
            for (const QString& l : linhasSimulador_)
                if (l.startsWith(pronto)) linha = l;
            return !linha.isEmpty();
        });
        if (linha.isEmpty()) return {};
        return t.dllCompany ? linha.mid(pronto.size()) : QStringLiteral("COM3");
    }

    // Waits for the simulator's next output, the end of either program or the
    // deadline, whichever comes first; never a fixed pause.
    bool esperaAte(const std::function<bool()>& pronto) {
        const QDeadlineTimer prazo(kLimiteMs);
        while (!pronto()) {
            if (prazo.hasExpired() || simulador_.state() == QProcess::NotRunning) return false;
            if (agente_.processId() != 0 && agente_.state() == QProcess::NotRunning) return false;
            QEventLoop laco;
            QObject::connect(&simulador_, &QProcess::readyReadStandardOutput, &laco, &QEventLoop::quit);
            QObject::connect(&simulador_, &QProcess::finished, &laco, &QEventLoop::quit);
            QObject::connect(&agente_, &QProcess::finished, &laco, &QEventLoop::quit);
            QTimer::singleShot(int(std::max<qint64>(1, prazo.remainingTime())), &laco, &QEventLoop::quit);
            if (simulador_.bytesAvailable() == 0) laco.exec();
            leSimulador();
        }
        return true;
    }

    void leSimulador() {
        pendente_ += simulador_.readAllStandardOutput();
        qsizetype fim;
        while ((fim = pendente_.indexOf('\n')) >= 0) {
            const QString linha = QString::fromLocal8Bit(pendente_.left(fim));
            pendente_.remove(0, fim + 1);
            linhasSimulador_ << linha;
            trataEvento(linha);
        }
    }

    // "entregue 3: (…)" and "confirmado 3: " as the simulator prints them.
    void trataEvento(const QString& linha) {
        const qsizetype doisPontos = linha.indexOf(QStringLiteral(": "));
        const QStringList cabeca = linha.left(doisPontos).split(QLatin1Char(' '));
        if (doisPontos < 0 || cabeca.size() < 2) return;
        const qint64 id = cabeca[1].toLongLong();
        if (cabeca[0] == QLatin1String("entregue")) entregues_[id] = linha.mid(doisPontos + 2);
        if (cabeca[0] != QLatin1String("confirmado")) return;
        ++confirmacoes_;
        if (id == 0 || !registrosGravados().contains(entregues_[id])) confirmadosSemGravar_ << id;
    }

    QStringList registrosGravados() {
        QSqlDatabase db = QSqlDatabase::contains(kConexao) ? QSqlDatabase::database(kConexao, false)
                                                           : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConexao);
        if (!db.isOpen()) {
            db.setDatabaseName(arquivoBanco());
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
            if (!db.open()) ADD_FAILURE() << texto(db.lastError().text());
        }
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("SELECT RegistroAutomacao FROM Abastecimento"))) ADD_FAILURE() << texto(q.lastError().text());
        QStringList r;
        while (q.next()) r << q.value(0).toString();
        return r;
    }

    std::vector<EventoDoLivro> leLivro() {
        QFile f(livro());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << texto(f.errorString());
        std::vector<EventoDoLivro> v;
        for (const QByteArray& l : f.readAll().split('\n')) {
            if (l.isEmpty()) continue;
            const QJsonObject o = QJsonDocument::fromJson(l).object();
            v.push_back({o.value("evento").toString(), o.value("id").toInteger(), o.value("resposta").toString()});
        }
        return v;
    }

    void confere(int n) {
        EXPECT_TRUE(confirmadosSemGravar_.isEmpty()) << "confirmados antes de gravados: "
                                                     << confirmadosSemGravar_.size() << "\n" << texto(relato());
        std::map<qint64, int> criados, confirmados;
        QStringList entregues;
        for (const EventoDoLivro& e : leLivro()) {
            if (e.evento == QLatin1String("criado")) ++criados[e.id];
            if (e.evento == QLatin1String("confirmado")) ++confirmados[e.id];
            if (e.evento == QLatin1String("entregue")) entregues << e.resposta;
        }
        EXPECT_EQ(int(criados.size()), n);
        EXPECT_EQ(confirmados.count(0), 0u) << "confirmação sem abastecimento à espera";
        for (const auto& [id, vezes] : criados) EXPECT_EQ(confirmados[id], 1) << "abastecimento " << id;

        const QStringList gravados = registrosGravados();
        EXPECT_EQ(gravados.size(), n) << texto(gravados.join('\n'));
        EXPECT_EQ(gravados.size(), QSet<QString>(gravados.begin(), gravados.end()).size()) << "gravado duas vezes";
        for (const QString& r : gravados) EXPECT_TRUE(entregues.contains(r)) << "não entregue: " << texto(r);
    }

    QString relato() {
        saidaAgente_ += QString::fromLocal8Bit(agente_.readAll());
        erroSimulador_ += QString::fromLocal8Bit(simulador_.readAllStandardError());
        QString t = QStringLiteral("--- agente:\n") + saidaAgente_;
        for (const QFileInfo& log : QDir(caminho(QStringLiteral("C/Talvero/AutoTalvero")))
                                        .entryInfoList({QStringLiteral("AUTOMACAO_*.LOG")}, QDir::Files, QDir::Name)) {
            QFile f(log.filePath());
            if (f.open(QIODevice::ReadOnly)) t += QStringLiteral("--- ") + log.fileName() + '\n' + ansi::decodifica(f.readAll());
        }
        return t + QStringLiteral("--- simulador:\n") + linhasSimulador_.join('\n') + '\n' + erroSimulador_;
    }

    static void para(QProcess& p) {
        if (p.state() == QProcess::NotRunning) return;
        p.terminate();
        if (!p.waitForFinished(kParadaMs)) {
            p.kill();
            p.waitForFinished();
        }
    }

    QTemporaryDir raiz_;
    QProcess simulador_;
    QProcess agente_;
    QByteArray pendente_;
    QString saidaAgente_;
    QString erroSimulador_;
    QStringList linhasSimulador_;
    std::map<qint64, QString> entregues_;
    int confirmacoes_ = 0;
    QList<qint64> confirmadosSemGravar_;
};

TEST_F(ProcessoReal, ControleSerialNumPseudoTerminalGravaEConfirmaCadaAbastecimentoUmaVez) {
    coleta({false, 52}, 4);
}

TEST_F(ProcessoReal, BibliotecaDoFornecedorPorTcpGravaEConfirmaCadaAbastecimentoUmaVez) {
    coleta({true, 75}, 3);
}

} // namespace
