// The built programs together, as on a station: the agent against the
// concentrator simulator over a pseudo-terminal and over TCP, the SQLite file on
// a real disk, while the device goes away, the agent is killed or the disk fills
// up. Every acknowledgement the simulator reports is checked against the database
// at that moment, so a fueling acknowledged before it was stored shows; the
// simulator's ledger then proves what was handed over and acknowledged.

#include "ensaio/ProgramasReais.h"
#include "link/MontaComando.h"
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
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <list>
#include <map>
#include <poll.h>
#include <random>
#include <set>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using talvero::ansi::codifica;
using talvero::ansi::decodifica;

constexpr int kLimiteMs = 100'000;
constexpr int kParadaMs = 20'000;
const QString kGravados = QStringLiteral("SELECT RegistroAutomacao FROM Abastecimento UNION ALL "
                                         "SELECT RegistroAutomacao FROM AbastecimentoRejeitado");

QString binario(const char* relativo) {
    return talvero::pastaProgramas("/../../src") + '/' + QLatin1String(relativo);
}

void para(QProcess& p) {
    talvero::encerra(p, kParadaMs);
}

qint64 cpuMs(qint64 pid) {
    return qint64(talvero::leConsumo(pid).cpuS * 1000);
}

// The soft limit only: an unprivileged process can raise it again up to the hard one.
void limitaArquivos(qint64 pid, rlim_t bytes) {
    rlimit atual{};
    ASSERT_EQ(prlimit(pid_t(pid), RLIMIT_FSIZE, nullptr, &atual), 0);
    const rlimit novo{std::min(bytes, atual.rlim_max), atual.rlim_max};
    ASSERT_EQ(prlimit(pid_t(pid), RLIMIT_FSIZE, &novo, nullptr), 0);
}

// One station: its root folder, the simulator on one transport, the agent.
struct Estacao {
    bool dll = false;        // the vendor library; otherwise the serial control
    bool tcp = false;        // the library over TCP; otherwise a pseudo-terminal as COM3
    bool porCaminho = false; // the pseudo-terminal named by its path instead of COM3
    bool descarga = false;   // [AUTOMACAO] Descarga Rapida
    int leiaute = 52;
    QTemporaryDir raiz;
    QProcess simulador, agente;
    quint16 porta = 0;
    QStringList linhas, livros;
    std::map<qint64, QString> entregues;
    std::map<qint64, int> vezesEntregue;
    std::set<qint64> criados, confirmados;
    int confirmacoes = 0;
    QList<qint64> confirmadosSemGravar;
    bool esperaAgente = false, esperaSimulador = false; // a death not asked for ends the waits
    bool armada = false;
    std::function<void(qint64)> aoEntregar;
    QString saida; // the agent's standard output and error so far

    ~Estacao() {
        para(agente);
        para(simulador);
        QSqlDatabase::database(raiz.path(), false).close();
        QSqlDatabase::removeDatabase(raiz.path());
    }

    QString arquivo(const QString& relativo) const { return raiz.filePath(relativo); }
    QString programa(const QString& nome) const { return arquivo("C/Talvero/AutoTalvero/" + nome); }
    // The pseudo-terminal's link; by its path, named as a stable name of an adapter is.
    QString linha() const {
        return arquivo(porCaminho ? "dev/serial/by-id/usb-Talvero_Conc-if00:0" : "dev/COM3");
    }
    int pendentes() const { return int(criados.size() - confirmados.size()); }

    void iniciaSimulador(const QStringList& extras) {
        livros << arquivo(QStringLiteral("livro%1.jsonl").arg(livros.size()));
        const QStringList via =
            tcp ? QStringList{"--tcp", QStringLiteral("127.0.0.1:%1").arg(porta)}
                : QStringList{"--pty", linha()};
        simulador.start(binario("simulator/concentrador-sim"),
                        QStringList{"--layout", QString::number(leiaute), "--taxa", "0", "--ledger",
                                    livros.last()} +
                            via + extras);
        esperaSimulador = simulador.waitForStarted();
    }

    void iniciaAgente() {
        agente.setProcessChannelMode(QProcess::MergedChannels);
        agente.start(binario("shell/autotalvero"), {"--root", raiz.path(), "--headless"});
        esperaAgente = agente.waitForStarted();
    }

    bool pronta() const {
        for (const QString& l : linhas)
            if (l.startsWith("Escutando em ") || l.startsWith("Pseudo-terminal ")) return true;
        return false;
    }

    // "criado 3 bico …: (…)", "entregue 3: (…)" and "confirmado 3: " as the simulator prints them.
    void trataEvento(const QString& linha) {
        linhas << linha;
        if (linha.startsWith("Escutando em ")) porta = quint16(linha.section(':', -1).toUInt());
        const QStringList cabeca = linha.section(": ", 0, 0).split(' ');
        if (!linha.contains(": ") || cabeca.size() < 2) return;
        const qint64 id = cabeca[1].toLongLong();
        if (cabeca[0] == "criado") criados.insert(id);
        if (cabeca[0] == "entregue") {
            entregues[id] = linha.section(": ", 1);
            ++vezesEntregue[id];
            if (aoEntregar) aoEntregar(id);
        }
        if (cabeca[0] != "confirmado") return;
        ++confirmacoes;
        confirmados.insert(id);
        if (id == 0 || !gravados().contains(entregues[id])) confirmadosSemGravar << id;
    }

    QStringList gravados(const QString& sql = kGravados) const {
        const QString nome = raiz.path();
        QSqlDatabase db = QSqlDatabase::contains(nome) ? QSqlDatabase::database(nome, false)
                                                       : QSqlDatabase::addDatabase("QSQLITE", nome);
        if (!db.isOpen()) {
            db.setDatabaseName(programa("Talvero.db"));
            db.setConnectOptions("QSQLITE_OPEN_READONLY");
            if (!db.open()) ADD_FAILURE() << db.lastError().text().toStdString();
        }
        QSqlQuery q(db);
        if (!q.exec(sql)) ADD_FAILURE() << q.lastError().text().toStdString();
        QStringList r;
        while (q.next())
            r << q.value(0).toString();
        return r;
    }

    QString log() const {
        QString t;
        for (const QFileInfo& f :
             QDir(programa({})).entryInfoList({"AUTOMACAO_*.LOG"}, QDir::Files, QDir::Name)) {
            QFile arq(f.filePath());
            if (arq.open(QIODevice::ReadOnly)) t += decodifica(arq.readAll());
        }
        return t;
    }

    // Every fueling the simulators created acknowledged once and kept once, none before it was
    // kept.
    void confere() {
        EXPECT_TRUE(confirmadosSemGravar.isEmpty())
            << "confirmados antes de gravados: " << confirmadosSemGravar.size();
        int criadosNoLivro = 0;
        QStringList respostas;
        for (const QString& livro : livros) {
            std::map<qint64, int> criado, confirmado;
            QFile f(livro);
            EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << livro.toStdString();
            for (const QByteArray& l : f.readAll().split('\n')) {
                const QJsonObject o = QJsonDocument::fromJson(l).object();
                const QString evento = o.value("evento").toString();
                if (evento == "criado") ++criado[o.value("id").toInteger()];
                if (evento == "confirmado") ++confirmado[o.value("id").toInteger()];
                if (evento == "entregue") respostas << o.value("resposta").toString();
            }
            EXPECT_EQ(confirmado.count(0), 0u) << "confirmação sem abastecimento à espera";
            for (const auto& [id, vezes] : criado)
                EXPECT_EQ(confirmado[id], 1) << livro.toStdString() << ": " << id;
            criadosNoLivro += int(criado.size());
        }
        const QStringList g = gravados();
        EXPECT_EQ(g.size(), criadosNoLivro) << g.join('\n').toStdString();
        EXPECT_EQ(g.size(), QSet<QString>(g.begin(), g.end()).size()) << "gravado duas vezes";
        for (const QString& r : g)
            EXPECT_TRUE(respostas.contains(r)) << "não entregue: " << r.toStdString();
    }

    const QString& saidaAgente() {
        saida += QString::fromLocal8Bit(agente.readAll());
        return saida;
    }

    std::string relato() {
        return ("\n--- agente:\n" + saidaAgente() + "--- log:\n" + log() + "--- simulador:\n" +
                linhas.join('\n') + '\n' + simulador.readAllStandardError())
            .toStdString();
    }
};

class ProcessoReal : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFile::exists(binario("shell/autotalvero"))) {
            if (qEnvironmentVariable("CI") == QLatin1String("true"))
                FAIL() << "sem " << binario("shell/autotalvero").toStdString();
            GTEST_SKIP() << "programas não compilados";
        }
    }

    Estacao& estacao() { return estacoes_.emplace_back(); }

    // Registers and INI file in place, the simulator ready, the agent started.
    void monta(Estacao& e, bool dll, bool tcp, int leiaute, const QStringList& simulador) {
        e.dll = dll, e.tcp = tcp, e.leiaute = leiaute;
        for (const char* p :
             {"C/Talvero/AutoTalvero", "C/Automacao", "dev/serial/by-id", "cadastros"})
            ASSERT_TRUE(QDir(e.raiz.path()).mkpath(p));
        ASSERT_NO_THROW(talvero::escreveCadastros(e.arquivo("cadastros")));
        for (const QStringList& args :
             {QStringList{"criar"}, QStringList{"importar", e.arquivo("cadastros")}}) {
            QProcess p;
            p.setProcessChannelMode(QProcess::MergedChannels);
            p.start(binario("tools/talvero-dados"), QStringList{"--root", e.raiz.path()} + args);
            ASSERT_TRUE(p.waitForFinished(kParadaMs));
            ASSERT_EQ(p.exitCode(), 0) << p.readAll().toStdString();
        }
        ASSERT_NO_FATAL_FAILURE(iniciaSimulador(e, simulador));
        escreve(e, "C/Talvero/AutoTalvero/AutoTalvero.INI", codifica(ini(e)));
        if (!dll) { // the answer to a request of an earlier instance waits at the serial port
            QFile linha(e.linha());
            ASSERT_TRUE(linha.open(QIODevice::ReadWrite | QIODevice::Unbuffered));
            linha.write("(&A)");
            ASSERT_TRUE(esperaAte([&] { return !e.entregues.empty(); })) << e.relato();
        }
        e.iniciaAgente();
    }

    static QString ini(const Estacao& e) {
        const QString sim = e.dll ? "SIM" : "NAO";
        return "[OUTRAS]\r\nQuantidade de Bicos=4\r\nCodigo da Empresa=1\r\nNome da Empresa=POSTO "
               "DE TESTE\r\n"
               "Criar Log Timer=NAO\r\n[EMAIL]\r\nNumero do "
               "Email=0\r\nConcluido=NAO\r\n[AUTOMACAO]\r\n"
               "Usar Dll da Company=" +
               sim + "\r\nUsar IdentFID=" + sim +
               "\r\nDescarga Rapida=" + (e.descarga ? "SIM" : "NAO") +
               "\r\nCasas decimais da litragem=3\r\n"
               "Casas decimais do valor=3\r\nPorta de Comunicacao=" +
               (e.tcp          ? QStringLiteral("127.0.0.1:%1").arg(e.porta)
                : e.porCaminho ? e.linha()
                               : QStringLiteral("COM3")) +
               "\r\n[LOCALIZACAO]\r\nPasta da automacao=Automacao\r\nComputador com automacao=" +
               QHostInfo::localHostName() + "\r\n[BANCO DE DADOS]\r\nDriver=SQLITE\r\n";
    }

    void iniciaSimulador(Estacao& e, const QStringList& extras) {
        e.linhas.clear();
        e.iniciaSimulador(extras);
        ASSERT_TRUE(esperaAte([&] { return e.pronta(); })) << e.relato();
    }

    void escreve(Estacao& e, const char* relativo, const QByteArray& conteudo) {
        QFile f(e.arquivo(relativo));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(conteudo);
    }

    // A request of another station program through the client, answered or not.
    std::pair<int, QString> pede(Estacao& e, const QStringList& args) {
        QProcess p;
        p.start(binario("tools/talvero-pedido"),
                QStringList{"--root", e.raiz.path(), "--origem", "PC1"} + args);
        EXPECT_TRUE(p.waitForFinished(kParadaMs + 10'000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput())};
    }

    // `talvero-dados situacao` as a monitoring system runs it: its exit status and first line.
    std::pair<int, QString> situacao(Estacao& e, const QStringList& extras = {}) {
        QProcess p;
        p.start(binario("tools/talvero-dados"),
                QStringList{"--root", e.raiz.path(), "situacao"} + extras);
        EXPECT_TRUE(p.waitForFinished(kParadaMs));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()).section('\n', 0, 0)};
    }

    // The agent's own shutdown; the pseudo-terminal's link goes with the simulator.
    void encerra(Estacao& e) {
        e.esperaAgente = e.esperaSimulador = false;
        e.agente.terminate();
        ASSERT_TRUE(e.agente.waitForFinished(kParadaMs)) << e.relato();
        EXPECT_EQ(e.agente.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(e.agente.exitCode(), 0) << e.relato();
        para(e.simulador);
        EXPECT_FALSE(QFileInfo(e.linha()).isSymLink()) << "o link do pseudo-terminal ficou";
    }

    // Waits for the simulators' next output, a death not asked for or the
    // deadline, whichever comes first; never a fixed pause.
    bool esperaAte(const std::function<bool()>& pronto, int limiteMs = kLimiteMs) {
        const QDeadlineTimer prazo(limiteMs);
        while (!pronto()) {
            if (prazo.hasExpired()) return false;
            QEventLoop laco;
            for (Estacao& e : estacoes_) {
                if (e.esperaAgente && e.agente.state() == QProcess::NotRunning) return false;
                if (e.esperaSimulador && e.simulador.state() == QProcess::NotRunning) return false;
                for (QProcess* p : {&e.simulador, &e.agente})
                    QObject::connect(p, &QProcess::finished, &laco, &QEventLoop::quit);
                for (QProcess* p : {&e.simulador, &e.agente})
                    QObject::connect(p, &QProcess::readyReadStandardOutput, &laco,
                                     &QEventLoop::quit);
            }
            QTimer::singleShot(int(std::max<qint64>(1, prazo.remainingTime())), &laco,
                               &QEventLoop::quit);
            laco.exec();
            for (Estacao& e : estacoes_)
                while (e.simulador.canReadLine())
                    e.trataEvento(QString::fromLocal8Bit(e.simulador.readLine()).chopped(1));
        }
        return true;
    }

    // The device away for a few seconds, then back on the same link or port: the
    // agent stays idle meanwhile, logs the outage once and stores what waits.
    void dispositivoSome(bool dll, bool tcp) {
        Estacao& e = estacao();
        ASSERT_NO_FATAL_FAILURE(monta(e, dll, tcp, dll ? 75 : 52, {"--iniciais", "1"}));
        ASSERT_TRUE(esperaAte([&] { return e.confirmacoes >= 1; })) << e.relato();
        e.esperaSimulador = false;
        para(e.simulador);
        const qint64 antes = cpuMs(e.agente.processId());
        esperaAte([] { return false; }, 3000); // the measuring window
        EXPECT_LT(cpuMs(e.agente.processId()) - antes, 600)
            << "o agente gira sem o dispositivo" << e.relato();
        // Another totalizer: not the same answer as the fueling stored before.
        ASSERT_NO_FATAL_FAILURE(
            iniciaSimulador(e, {"--iniciais", "1", "--bicos", "01:1:5.79:500"}));
        ASSERT_TRUE(esperaAte([&] { return e.confirmacoes >= 2; })) << e.relato();
        ASSERT_NO_FATAL_FAILURE(encerra(e));
        EXPECT_EQ(e.log().count("automação perdida"), 1) << e.relato();
        EXPECT_EQ(e.log().count("automação restabelecida"), 1) << e.relato();
        // Standard error tells each change once, never each tick.
        const QString& saida = e.saidaAgente();
        for (const char* linha :
             {"autotalvero: iniciado: ", "autotalvero: concentrador respondendo\n",
              "autotalvero: comunicação com o concentrador perdida",
              "autotalvero: concentrador respondendo de novo", "autotalvero: encerrado (código 0)"})
            EXPECT_EQ(saida.count(QString::fromUtf8(linha)), 1) << linha << e.relato();
        e.confere();
    }

    void agenteMortoAVontade(bool descarga);

    std::list<Estacao> estacoes_;
};

TEST_F(ProcessoReal, ControleSerialSemPseudoTerminalFicaOciosoEVoltaSozinho) {
    dispositivoSome(false, false);
}

TEST_F(ProcessoReal, BibliotecaPelaSerialSemPseudoTerminalFicaOciosaEVoltaSozinha) {
    dispositivoSome(true, false);
}

TEST_F(ProcessoReal, BibliotecaPorTcpSemSimuladorFicaOciosaEVoltaSozinha) {
    dispositivoSome(true, true);
}

// Killed at random moments, mostly while a fueling it was handed is being
// stored and acknowledged, and started again each time.
void ProcessoReal::agenteMortoAVontade(bool descarga) {
    const unsigned semente = qEnvironmentVariableIsSet("TALVERO_SEMENTE_MORTES")
                                 ? qEnvironmentVariable("TALVERO_SEMENTE_MORTES").toUInt()
                                 : std::random_device{}();
    SCOPED_TRACE("semente " + std::to_string(semente) + " (TALVERO_SEMENTE_MORTES)");
    std::mt19937 sorteio(semente);
    constexpr int kMortes = 15;
    Estacao& serial = estacao();
    Estacao& biblioteca = estacao();
    serial.descarga = biblioteca.descarga = descarga;
    // Enough waiting for the drain to run through most of the deaths.
    const QStringList iniciais{"--iniciais", descarga ? "20" : "8"};
    ASSERT_NO_FATAL_FAILURE(monta(serial, false, false, 52, iniciais));
    ASSERT_NO_FATAL_FAILURE(monta(biblioteca, true, true, 75, iniciais));
    std::map<Estacao*, int> mortes;
    std::function<void(Estacao&)> arma;
    const auto mata = [&](Estacao& e) {
        e.esperaAgente = false;
        e.agente.kill();
        e.agente.waitForFinished();
        ++mortes[&e];
        e.iniciaAgente();
        arma(e);
    };
    // The serial answer is read half a second after it is handed over, the library's two seconds
    // after.
    const auto agenda = [&](Estacao& e) {
        e.armada = false;
        QTimer::singleShot(std::uniform_int_distribution(0, e.dll ? 3000 : 1000)(sorteio),
                           &e.agente, [&mata, &e] { mata(e); });
    };
    // With nothing left to hand over, any moment after the start.
    arma = [&](Estacao& e) {
        if (mortes[&e] >= kMortes) return;
        if (e.pendentes() > 0)
            e.armada = true;
        else
            agenda(e);
    };
    for (Estacao* e : {&serial, &biblioteca}) {
        e->aoEntregar = [&agenda, e](qint64) {
            if (e->armada) agenda(*e);
        };
        arma(*e);
    }
    ASSERT_TRUE(esperaAte(
        [&] {
            for (Estacao* e : {&serial, &biblioteca})
                if (mortes[e] < kMortes || e->pendentes() > 0) return false;
            return true;
        },
        240'000))
        << "mortes " << mortes[&serial] << " e " << mortes[&biblioteca] << serial.relato()
        << biblioteca.relato();
    for (Estacao* e : {&serial, &biblioteca}) {
        e->esperaAgente = e->esperaSimulador = false;
        para(e->agente);
        para(e->simulador);
        e->confere();
    }
}

TEST_F(ProcessoReal, AgenteMortoAVontadeNaoPerdeNemDuplicaNemConfirmaAntesDeGravar) {
    agenteMortoAVontade(false);
}

// The fast drain acknowledges and asks again within one tick: killed the same way.
TEST_F(ProcessoReal, AgenteMortoAVontadeComDescargaRapidaNaoPerdeNemDuplica) {
    agenteMortoAVontade(true);
}

// The database's volume full while fuelings arrive: the process may write no
// further than its files' present size, so the next COMMIT fails.
TEST_F(ProcessoReal, DiscoCheioNaoConfirmaNadaEDepoisGravaCadaAbastecimentoUmaVez) {
    Estacao& e = estacao();
    // Nozzle 05 is not registered: its fuelings go to quarantine, the others are stored.
    ASSERT_NO_FATAL_FAILURE(
        monta(e, false, false, 52, {"--iniciais", "4", "--bicos", "01:1:5.79,05:1:5.79"}));
    for (int fase = 1; fase <= 2; ++fase) {
        ASSERT_TRUE(esperaAte([&] { return e.confirmacoes >= fase; })) << e.relato();
        ASSERT_NO_FATAL_FAILURE(limitaArquivos(
            e.agente.processId(), rlim_t(QFileInfo(e.programa("Talvero.db-wal")).size())));
        const qsizetype logAntes = e.log().size();
        ASSERT_TRUE(esperaAte([&] { return e.vezesEntregue[fase + 1] >= 3; })) << e.relato();
        EXPECT_EQ(e.confirmacoes, fase) << "confirmado com o disco cheio" << e.relato();
        EXPECT_TRUE(e.log().mid(logAntes).contains("disk")) << e.relato();
        ASSERT_NO_FATAL_FAILURE(limitaArquivos(e.agente.processId(), RLIM_INFINITY));
    }
    ASSERT_TRUE(esperaAte([&] { return e.confirmacoes >= 4; })) << e.relato();
    ASSERT_NO_FATAL_FAILURE(encerra(e));
    e.confere();
    EXPECT_EQ(e.gravados("SELECT RegistroAutomacao FROM AbastecimentoRejeitado").size(), 2);
}

// Another station program asks through the request client: alive, a card
// written into the identifier, then the agent closed.
TEST_F(ProcessoReal, PedidosDoClienteRespondidosEFechaEncerraOAgente) {
    Estacao& e = estacao();
    ASSERT_NO_FATAL_FAILURE(monta(e, false, false, 52, {"--iniciais", "1"}));
    ASSERT_TRUE(QDir(e.raiz.path()).mkpath("UNC/PC1/Automacao"));
    ASSERT_TRUE(esperaAte([&] { return e.confirmacoes >= 1; })) << e.relato();
    auto [codigo, saida] = pede(e, {"AUTOMACAO ATIVADA"});
    EXPECT_EQ(codigo, 0) << saida.toStdString() << e.relato();
    std::tie(codigo, saida) = pede(e, {"AUTOMACAO INCLUI CARTAO", "0123456789ABCDEF"});
    EXPECT_EQ(codigo, 0);
    EXPECT_TRUE(saida.contains("Parametro: 000000|@|")) << saida.toStdString() << e.relato();
    // What a monitoring system sees: working, then a pause (a warning), then working again.
    EXPECT_EQ(situacao(e).first, 0) << situacao(e).second.toStdString();
    EXPECT_EQ(pede(e, {"AUTOMACAO PAUSA"}).first, 0);
    EXPECT_TRUE(esperaAte([&] { return situacao(e).first == 1; }, 10'000))
        << situacao(e).second.toStdString();
    EXPECT_EQ(pede(e, {"TIRA PAUSA AUTOMACAO"}).first, 0);
    EXPECT_TRUE(esperaAte([&] { return situacao(e).first == 0; }, 10'000))
        << situacao(e).second.toStdString();
    e.esperaAgente = false;
    EXPECT_EQ(pede(e, {"AUTOMACAO FECHA"}).first, 0);
    EXPECT_TRUE(e.agente.waitForFinished(kParadaMs)) << e.relato();
    EXPECT_EQ(e.agente.exitCode(), 20) << "um fim pedido não é um fim normal nem uma falha";
    para(e.simulador);
    e.confere();
}

// A port that already exists (here a pseudo-terminal the test holds, elsewhere
// one end of a null-modem pair): the simulator answers on it as on its own.
TEST_F(ProcessoReal, SimuladorServeNumaPortaSerialQueJaExiste) {
    const int mestre = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(mestre, 0);
    ASSERT_EQ(::grantpt(mestre) | ::unlockpt(mestre), 0);
    QProcess sim;
    sim.start(binario("simulator/concentrador-sim"),
              {"--serial", QString::fromLocal8Bit(::ptsname(mestre)), "--taxa", "0"});
    ASSERT_TRUE(sim.waitForReadyRead(kParadaMs)) << sim.readAllStandardError().toStdString();
    const QByteArray pedido = codifica(talvero::MontaComando("(&A"));
    ASSERT_EQ(::write(mestre, pedido.constData(), size_t(pedido.size())), pedido.size());
    QByteArray resposta;
    pollfd pf{mestre, POLLIN, 0};
    while (!resposta.endsWith(')') && ::poll(&pf, 1, kParadaMs) > 0) {
        char buf[256];
        const ssize_t n = ::read(mestre, buf, sizeof buf);
        if (n <= 0) break;
        resposta.append(buf, n);
    }
    EXPECT_TRUE(resposta.startsWith('(') && resposta.endsWith(')')) << resposta.toStdString();
    para(sim);
    ::close(mestre);
}

// As under a service manager: a second agent while the first lives ends at
// once; the first killed, the one started right after it runs and answers.
TEST_F(ProcessoReal, SegundoAgenteRecusadoEAgenteMortoVoltaNaHora) {
    Estacao& e = estacao();
    ASSERT_NO_FATAL_FAILURE(monta(e, false, false, 52, {"--iniciais", "1"}));
    ASSERT_TRUE(QDir(e.raiz.path()).mkpath("UNC/PC1/Automacao"));
    ASSERT_TRUE(esperaAte([&] { return e.confirmacoes >= 1; })) << e.relato();
    QProcess segundo;
    segundo.start(binario("shell/autotalvero"), {"--root", e.raiz.path(), "--headless"});
    ASSERT_TRUE(segundo.waitForFinished(kParadaMs)) << e.relato();
    EXPECT_EQ(segundo.exitCode(), 12);
    EXPECT_TRUE(segundo.readAllStandardError().contains("outro AutoTalvero"))
        << "o segundo não diz por que termina";
    EXPECT_EQ(e.log().count("existe outro aberto"), 1) << e.relato();
    e.esperaAgente = false;
    e.agente.kill();
    e.agente.waitForFinished();
    const auto [morto, linhaMorto] = situacao(e);
    EXPECT_EQ(morto, 2) << "um agente morto não pode parecer vivo: " << linhaMorto.toStdString();
    QFile linha(e.arquivo("dev/COM3")); // free for an agent without privileges too
    int exclusiva = -1;
    ASSERT_TRUE(linha.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    ASSERT_EQ(ioctl(linha.handle(), TIOCGEXCL, &exclusiva), 0);
    EXPECT_EQ(exclusiva, 0);
    linha.close();
    e.iniciaAgente();
    EXPECT_EQ(pede(e, {"--espera", "30", "AUTOMACAO ATIVADA"}).first, 0) << e.relato();
    EXPECT_EQ(e.log().count("existe outro aberto"), 1) << e.relato();
    ASSERT_NO_FATAL_FAILURE(encerra(e));
    e.confere();
}

// The port named by the device's path on either transport, taken whole.
TEST_F(ProcessoReal, PortaPeloCaminhoDoDispositivoNasDuasVias) {
    for (const bool dll : {false, true}) {
        Estacao& e = estacao();
        e.porCaminho = true;
        ASSERT_NO_FATAL_FAILURE(monta(e, dll, false, dll ? 75 : 52, {"--iniciais", "1"}));
        ASSERT_TRUE(esperaAte([&] { return e.confirmacoes >= 1; })) << e.relato();
        ASSERT_NO_FATAL_FAILURE(encerra(e));
        e.confere();
    }
}

// Every program finds the same root: the installed station's when its INI file is
// there (a folder left by a purged package is none), otherwise each refuses, and
// nothing is made in the current folder.
TEST_F(ProcessoReal, RaizInstaladaOuNenhumaIgualEmTodosOsProgramas) {
    Estacao& e = estacao();
    ASSERT_NO_FATAL_FAILURE(monta(e, false, false, 52, {"--iniciais", "1"}));
    ASSERT_TRUE(QDir(e.raiz.path()).mkpath("UNC/PC1/Automacao"));
    ASSERT_TRUE(esperaAte([&] { return e.confirmacoes >= 1; })) << e.relato();
    QTemporaryDir atual, purgada;
    ASSERT_TRUE(QDir(purgada.path()).mkpath("C/Talvero/AutoTalvero"));
    struct Programa {
        const char* caminho;
        QStringList argumentos;
        int semRaiz;
        QString saida; // proof the installed root was the one used
    };
    const Programa programas[] = {
        {"shell/autotalvero", {"--headless"}, 15, {}},
        {"tools/talvero-dados", {"abastecimentos"}, 2, "\n1 abastecimento(s)\n"},
        {"tools/talvero-pedido", {"--origem", "PC1", "AUTOMACAO ATIVADA"}, 3, "Retorno: OK"}};
    for (const QString& instalada : {purgada.path(), e.raiz.path()}) {
        for (const Programa& p : programas) {
            const QString nome = QFileInfo(p.caminho).fileName();
            SCOPED_TRACE(nome.toStdString() + " " + instalada.toStdString());
            QProcess processo;
            QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
            ambiente.insert("TALVERO_RAIZ_INSTALADA", instalada);
            processo.setProcessEnvironment(ambiente);
            processo.setWorkingDirectory(atual.path());
            processo.start(binario(p.caminho), p.argumentos);
            ASSERT_TRUE(processo.waitForFinished(kParadaMs + 10'000));
            const QString erro = QString::fromUtf8(processo.readAllStandardError());
            const QString saida = QString::fromUtf8(processo.readAllStandardOutput());
            if (instalada == purgada.path()) {
                EXPECT_EQ(processo.exitCode(), p.semRaiz);
                EXPECT_TRUE(erro.startsWith(nome + ": falta --root DIR") &&
                            erro.contains(instalada))
                    << erro.toStdString();
                continue;
            }
            EXPECT_TRUE(
                erro.startsWith(nome + ": usando a raiz " + instalada + " (estação instalada)\n"))
                << erro.toStdString();
            EXPECT_TRUE(saida.contains(p.saida)) << saida.toStdString() << erro.toStdString();
        }
    }
    EXPECT_TRUE(QDir(atual.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    ASSERT_NO_FATAL_FAILURE(encerra(e));
    e.confere();
}

} // namespace

namespace {

// A start-up that cannot work ends with its cause's status after saying why on
// standard error; none of them is left running.
TEST_F(ProcessoReal, PartidaQueNaoPodeFuncionarTerminaComACausa) {
    const struct {
        const char* nome;
        std::function<QString(QString)> ini; // the INI text, or empty for none
        int codigo;
        const char* causa;
    } casos[] = {
        {"sem arquivo de configuração", [](QString) { return QString(); }, 10,
         "Arquivo de configuração não encontrado"},
        {"sem a seção do e-mail",
         [](QString t) { return t.remove(QRegularExpression("\\[EMAIL\\][^\\[]*")); }, 10,
         "[EMAIL] \"Numero do Email\""},
        {"banco inacessível", [](QString t) { return t + "Arquivo=C:\\SemPasta\\Talvero.db\r\n"; },
         11, "banco de dados inacessível"},
        {"outro computador",
         [](QString t) { return t.replace(QHostInfo::localHostName() + "\r\n", "OUTROPC\r\n"); },
         13, "OUTROPC"},
        {"computador não informado",
         [](QString t) {
             return t.replace("Computador com automacao=" + QHostInfo::localHostName(), "");
         },
         13, "Computador com automacao"},
        {"porta que não existe", [](QString t) { return t.replace("=COM3", "=COM9"); }, 14,
         "Erro Grave de Comunicação!"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        Estacao& e = estacao();
        ASSERT_TRUE(QDir(e.raiz.path()).mkpath("C/Talvero/AutoTalvero"));
        QProcess criar;
        criar.start(binario("tools/talvero-dados"), {"--root", e.raiz.path(), "criar"});
        ASSERT_TRUE(criar.waitForFinished(kParadaMs) && criar.exitCode() == 0);
        const QString texto = c.ini(ini(e));
        if (!texto.isEmpty()) escreve(e, "C/Talvero/AutoTalvero/AutoTalvero.INI", codifica(texto));
        e.iniciaAgente();
        ASSERT_TRUE(e.agente.waitForFinished(kParadaMs)) << "ficou rodando" << e.relato();
        EXPECT_EQ(e.agente.exitCode(), c.codigo) << e.relato();
        const QString& saida = e.saidaAgente();
        EXPECT_TRUE(saida.contains("autotalvero: não pode funcionar: ") &&
                    saida.contains(QString::fromUtf8(c.causa)) &&
                    saida.contains(QStringLiteral("(código %1)").arg(c.codigo)))
            << saida.toStdString();
    }
}

// A concentrator that never answers (wrong cable, speed or power) is told once
// on standard error, not each tick.
TEST_F(ProcessoReal, ConcentradorMudoDitoUmaVez) {
    Estacao& e = estacao();
    const int mestre = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(mestre, 0);
    ASSERT_EQ(::grantpt(mestre) | ::unlockpt(mestre), 0);
    for (const char* p : {"C/Talvero/AutoTalvero", "C/Automacao", "dev"})
        ASSERT_TRUE(QDir(e.raiz.path()).mkpath(p));
    ASSERT_TRUE(QFile::link(QString::fromLocal8Bit(::ptsname(mestre)), e.arquivo("dev/COM3")));
    QProcess criar;
    criar.start(binario("tools/talvero-dados"), {"--root", e.raiz.path(), "criar"});
    ASSERT_TRUE(criar.waitForFinished(kParadaMs) && criar.exitCode() == 0);
    escreve(e, "C/Talvero/AutoTalvero/AutoTalvero.INI", codifica(ini(e)));
    e.iniciaAgente();
    ASSERT_TRUE(esperaAte([&] { return e.saidaAgente().contains("sem resposta desde"); }, 30'000))
        << e.relato();
    esperaAte([] { return false; }, 3000); // a few ticks more
    EXPECT_EQ(e.saidaAgente().count("concentrador sem resposta desde o início"), 1) << e.relato();
    EXPECT_FALSE(e.saidaAgente().contains("concentrador respondendo")) << e.relato();
    const auto [estado, linha] = situacao(e, {"--critico", "5"});
    EXPECT_EQ(estado, 2) << linha.toStdString();
    para(e.agente);
    ::close(mestre);
}

} // namespace
