#include "comum/Ajuda.h"
#include "platform/CanalTcpQt.h"
#include "platform/FabricaCanaisQt.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <memory>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

using namespace talvero;
using namespace talvero::teste;

namespace {

// A pseudo-terminal as the concentrator's serial line: the channel opens its
// device as COM3 under a root, the test talks through the other end.
struct TerminalVirtual {
    TerminalVirtual() {
        char nome[128] = {};
        ligado = mestre >= 0 && grantpt(mestre) == 0 && unlockpt(mestre) == 0 &&
                 ptsname_r(mestre, nome, sizeof nome) == 0 && QDir().mkpath(raiz.filePath("dev")) &&
                 QFile::link(QString::fromLocal8Bit(nome), raiz.filePath("dev/COM3"));
    }
    ~TerminalVirtual() { ::close(mestre); }
    bool escreve(const QByteArray& b) const {
        return ::write(mestre, b.constData(), size_t(b.size())) == b.size();
    }

    int mestre = posix_openpt(O_RDWR | O_NOCTTY);
    QTemporaryDir raiz;
    bool ligado = false;
};

} // namespace

TEST(CanalSerialQt, RecebePelaPortaMapeadaSemLacoDeEventosEFalhaComoPorta) {
    TerminalVirtual terminal;
    ASSERT_TRUE(terminal.ligado);
    MapaCaminhos caminhos(terminal.raiz.path());
    FabricaCanaisQt fabrica(caminhos);
    auto canal = fabrica.serial("COM3");
    canal->abre();
    ASSERT_TRUE(terminal.escreve("(0)"));
    EXPECT_TRUE(canal->aguardaDados(2000));
    // Counted without any event loop: the stream asks the device itself.
    ASSERT_TRUE(terminal.escreve("(&H)"));
    for (const QDeadlineTimer limite(2000); canal->disponiveis() < 7 && !limite.hasExpired();) {
    }
    EXPECT_EQ(canal->le(), QByteArray("(0)(&H)"));
    EXPECT_FALSE(canal->aguardaDados(20));

    auto ocupada = fabrica.serial("COM3");
    EXPECT_EQ(erroDe([&] { ocupada->abre(); }), erros::PortaEmUso);
    EXPECT_EQ(erroDe([&] { ocupada->escreve("(&V)"); }), erros::PortaFechada);
    QFile::link(terminal.raiz.filePath("nada"), terminal.raiz.filePath("dev/COM5"));
    for (const char* porta : {"COM5", "COM0", "COMX"})
        EXPECT_EQ(erroDe([&] { fabrica.serial(porta)->abre(); }), erros::PortaInvalida) << porta;
    canal->fecha();
    EXPECT_FALSE(canal->aberto());
}

TEST(CanalTcpQt, TrocaBytesEGuardaOQueChegouAntesDaQueda) {
    QTcpServer servidor;
    ASSERT_TRUE(servidor.listen(QHostAddress::LocalHost, 0));
    CanalTcpQt canal(QStringLiteral("127.0.0.1"), servidor.serverPort());
    canal.abre();
    ASSERT_TRUE(servidor.waitForNewConnection(2000));
    std::unique_ptr<QTcpSocket> concentrador(servidor.nextPendingConnection());

    canal.escreve(QByteArray("(&A67)\xE9"));
    QByteArray recebido;
    while (recebido.size() < 7 && concentrador->waitForReadyRead(2000))
        recebido += concentrador->readAll();
    EXPECT_EQ(recebido, QByteArray("(&A67)\xE9"));

    // Answers and hangs up before anyone reads.
    concentrador->write("(&V01)");
    concentrador->waitForBytesWritten(2000);
    concentrador->disconnectFromHost();
    EXPECT_TRUE(canal.aguardaDados(2000));
    for (const QDeadlineTimer limite(2000); canal.aberto() && !limite.hasExpired();)
        canal.disponiveis();
    EXPECT_FALSE(canal.aberto());
    EXPECT_EQ(canal.le(), QByteArray("(&V01)"));
    EXPECT_THROW(canal.escreve("(&I)"), Erro);

    const quint16 porta = servidor.serverPort();
    servidor.close();
    CanalTcpQt recusado(QStringLiteral("127.0.0.1"), porta);
    EXPECT_EQ(erroDe([&] { recusado.abre(); }), erros::CaminhoNaoEncontrado);
    EXPECT_FALSE(recusado.aberto());
}
