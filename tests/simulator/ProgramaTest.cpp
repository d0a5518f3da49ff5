#include "comum/Ajuda.h"
#include "simulator/OpcoesSimulador.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using namespace talvero;
using namespace talvero::sim;
using namespace talvero::teste;

namespace {

constexpr int kPrazoMs = 10000;

QString programa() {
    const QString bin = qEnvironmentVariable("TALVERO_BIN");
    const QString base = bin.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/../../src") : bin;
    return base + QStringLiteral("/simulator/concentrador-sim");
}

// The built program, stopped (as a service manager stops it) when the test ends.
struct Simulador {
    explicit Simulador(const QStringList& argumentos) {
        processo.start(programa(), argumentos);
        processo.waitForStarted(kPrazoMs);
    }
    ~Simulador() { encerra(); }

    QRegularExpressionMatch aguardaLinha(const QString& padrao) {
        const QRegularExpression re(padrao);
        QDeadlineTimer prazo(kPrazoMs);
        for (;;) {
            saida += QString::fromUtf8(processo.readAllStandardOutput());
            const auto m = re.match(saida);
            if (m.hasMatch() || prazo.hasExpired() || !processo.waitForReadyRead(int(prazo.remainingTime()))) return m;
        }
    }
    void encerra() {
        if (processo.state() == QProcess::NotRunning) return;
        processo.terminate();
        if (!processo.waitForFinished(kPrazoMs)) processo.kill();
        processo.waitForFinished(kPrazoMs);
    }

    QProcess processo;
    QString saida;
};

QByteArray troca(QTcpSocket& s, const QByteArray& frame, int tamanho) {
    s.write(frame);
    s.waitForBytesWritten(kPrazoMs);
    QByteArray r;
    QDeadlineTimer prazo(kPrazoMs);
    while (r.size() < tamanho && !prazo.hasExpired()) {
        if (s.bytesAvailable() == 0 && !s.waitForReadyRead(int(prazo.remainingTime()))) break;
        r += s.readAll();
    }
    return r;
}

QByteArray trocaFd(int fd, const QByteArray& frame, int tamanho) {
    if (::write(fd, frame.constData(), std::size_t(frame.size())) != frame.size()) return {};
    QByteArray r;
    QDeadlineTimer prazo(kPrazoMs);
    while (r.size() < tamanho && !prazo.hasExpired()) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, int(prazo.remainingTime())) <= 0) break;
        char buf[256];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) r.append(buf, qsizetype(n));
    }
    return r;
}

} // namespace

TEST(Programa, AjudaEErrosEmPortugues) {
    QProcess p;
    p.start(programa(), {QStringLiteral("--help")});
    ASSERT_TRUE(p.waitForFinished(kPrazoMs));
    EXPECT_EQ(p.exitCode(), 0);
    const QString ajuda = QString::fromUtf8(p.readAllStandardOutput());
    for (const char* opcao : {"--pty LINK", "--tcp HOST:PORTA", "--layout 52|75|34", "--ledger ARQUIVO", "--falha-desconexao"})
        EXPECT_TRUE(ajuda.contains(QLatin1String(opcao))) << opcao;

    p.start(programa(), {QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--layout"), QStringLiteral("99")});
    ASSERT_TRUE(p.waitForFinished(kPrazoMs));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("Valor inválido para --layout")));
}

TEST(Programa, AtendeVersaoEAbastecimentoPorTcp) {
    QTemporaryDir dir;
    const QString livro = dir.filePath(QStringLiteral("livro.csv"));
    Simulador s({QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--iniciais"), QStringLiteral("1"),
                 QStringLiteral("--taxa"), QStringLiteral("0"), QStringLiteral("--ledger"), livro});
    const auto m = s.aguardaLinha(QStringLiteral("Escutando em 127\\.0\\.0\\.1:(\\d+)"));
    ASSERT_TRUE(m.hasMatch()) << s.saida.toStdString();
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, m.captured(1).toUShort());
    ASSERT_TRUE(socket.waitForConnected(kPrazoMs));

    const QByteArray versao = troca(socket, "(&S)", 51);
    ASSERT_EQ(versao.size(), 51);
    EXPECT_EQ(versao.mid(39, 4), "0412");
    const QByteArray abastecimento = troca(socket, "(&A)", 52);
    EXPECT_EQ(abastecimento.size(), 52);
    socket.write("(&I)");
    EXPECT_EQ(troca(socket, "(&A)", 3), "(0)");

    s.encerra();
    EXPECT_EQ(s.processo.exitCode(), 0);
    QFile f(livro);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray conteudo = f.readAll();
    EXPECT_TRUE(conteudo.contains("entregue,1,"));
    EXPECT_TRUE(conteudo.contains("confirmado,1,"));
    EXPECT_TRUE(conteudo.contains(abastecimento));
}

TEST(Programa, AtendeNumPseudoTerminalCruPeloLink) {
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("dev/COM3"));
    Simulador s({QStringLiteral("--pty"), link, QStringLiteral("--taxa"), QStringLiteral("0"), QStringLiteral("--iniciais"),
                 QStringLiteral("1")});
    const auto m = s.aguardaLinha(QStringLiteral("Pseudo-terminal (\\S+) em"));
    ASSERT_TRUE(m.hasMatch()) << s.saida.toStdString();
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), m.captured(1));

    const int fd = ::open(QFile::encodeName(link).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(trocaFd(fd, "(&S)", 51).size(), 51);  // no line ending needed: raw mode
    EXPECT_EQ(trocaFd(fd, "(&A67)", 52).size(), 52);
    ::close(fd);

    s.encerra();
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

QStringList argumentos(const char* linha) { return QString::fromUtf8(linha).split(QLatin1Char(' ')); }

TEST(Programa, OpcoesViramConfiguracaoOuErroQueNomeiaAOpcao) {
    const OpcoesSimulador o = leOpcoes({"--tcp", "0.0.0.0:4001", "--layout=75", "--bicos", "01:1:5.79:100.5, 0a:2:3.89",
                                        "--rollover", "--falha-adulterada", "0,25", "--so-abastecimentos", "--ledger", "x.JSONL"});
    EXPECT_EQ(*o.tcpHost, u"0.0.0.0");
    EXPECT_EQ(o.tcpPorta, 4001);
    EXPECT_EQ(o.cfg.layout, Layout::IdentFid);
    ASSERT_EQ(o.cfg.bicos.size(), 2u);
    EXPECT_EQ(o.cfg.bicos[1].codigo, u"0A");
    EXPECT_EQ(o.cfg.bicos[0].encerrante, Moeda::deTexto(u"100.5"));
    EXPECT_EQ(o.cfg.bicos[1].encerrante, Moeda::deInteiro(999900));
    EXPECT_DOUBLE_EQ(o.falhas.adulterada.probabilidade, 0.25);
    EXPECT_TRUE(o.falhas.silencio.soAbastecimentos);
    EXPECT_EQ(o.formatoLedger, FormatoLivro::JsonLinhas);

    const std::pair<const char*, const char*> ruins[] = {
        {"--taxa 2", "--pty LINK ou --tcp"}, {"--pty x --taxa abc", "--taxa"}, {"--pty x --nada", "--nada"},
        {"--pty", "Falta o valor de --pty"}, {"--pty x --rollover=1", "não leva valor"}, {"--pty x --bicos 01:1", "--bicos"},
        {"--pty x --falha-ruido 1.5", "--falha-ruido"}, {"--tcp 4001", "HOST:PORTA"}};
    for (const auto& [linha, trecho] : ruins)
        EXPECT_TRUE(descricaoDe([&] { leOpcoes(argumentos(linha)); }).contains(QString::fromUtf8(trecho))) << linha;
}

TEST(Programa, RoteiroDeRespostasBrutas) {
    const auto linhas = leRoteiro(QStringLiteral("# comentario\r\n(0001)\r\n\r\n  2.5   (0002 X)\n"));
    ASSERT_EQ(linhas.size(), 2u);
    EXPECT_EQ(std::pair(linhas[0].aposMs, linhas[0].resposta), std::pair(std::int64_t(0), QString("(0001)")));
    EXPECT_EQ(std::pair(linhas[1].aposMs, linhas[1].resposta), std::pair(std::int64_t(2500), QString("(0002 X)")));
    EXPECT_TRUE(descricaoDe([] { leRoteiro(QStringLiteral("(1)\n3\n")); }).contains(QStringLiteral("Linha 2")));
}
