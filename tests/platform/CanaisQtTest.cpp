#include "CanalTerminalVirtual.h"
#include "comum/Ajuda.h"
#include "platform/CanalTcpQt.h"
#include "platform/FabricaCanaisQt.h"

#include <QDeadlineTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <memory>

using namespace talvero;
using namespace talvero::teste;

TEST(CanalSerialQt, TrocaBytesPelaPortaMapeadaEFalhaComoPorta) {
    TerminalVirtual terminal;
    QTemporaryDir raiz;
    ASSERT_TRUE(terminal.ligaComo(raiz.path(), 3));
    MapaCaminhos caminhos(raiz.path());
    FabricaCanaisQt fabrica(caminhos);
    auto canal = fabrica.serial(3);
    canal->abre();

    canal->escreve(QByteArray("(&H051830)\xE9"));
    EXPECT_EQ(terminal.le(11), QByteArray("(&H051830)\xE9"));
    ASSERT_TRUE(terminal.escreve("(0)"));
    EXPECT_TRUE(canal->aguardaDados(2000));
    // Counted without any event loop: the stream asks the device itself.
    ASSERT_TRUE(terminal.escreve("(&H)"));
    for (const QDeadlineTimer limite(2000); canal->disponiveis() < 7 && !limite.hasExpired();) {
    }
    EXPECT_EQ(canal->le(), QByteArray("(0)(&H)"));
    EXPECT_FALSE(canal->aguardaDados(20));

    auto ocupada = fabrica.serial(3);
    EXPECT_EQ(erroDe([&] { ocupada->abre(); }), erros::PortaEmUso);
    EXPECT_THROW(ocupada->escreve("(&V)"), Erro);
    QFile::link(raiz.path() + "/nada", raiz.path() + "/dev/COM5");
    EXPECT_EQ(erroDe([&] { fabrica.serial(5)->abre(); }), erros::PortaInvalida);
    EXPECT_EQ(erroDe([&] { fabrica.serial(0)->abre(); }), erros::PortaInvalida);
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
    while (recebido.size() < 7 && concentrador->waitForReadyRead(2000)) recebido += concentrador->readAll();
    EXPECT_EQ(recebido, QByteArray("(&A67)\xE9"));

    // Answers and hangs up before anyone reads.
    concentrador->write("(&V01)");
    concentrador->waitForBytesWritten(2000);
    concentrador->disconnectFromHost();
    EXPECT_TRUE(canal.aguardaDados(2000));
    for (const QDeadlineTimer limite(2000); canal.aberto() && !limite.hasExpired();) canal.disponiveis();
    EXPECT_FALSE(canal.aberto());
    EXPECT_EQ(canal.le(), QByteArray("(&V01)"));
    EXPECT_THROW(canal.escreve("(&I)"), Erro);

    // A port nobody listens on any more refuses, in Portuguese.
    const quint16 porta = servidor.serverPort();
    servidor.close();
    CanalTcpQt recusado(QStringLiteral("127.0.0.1"), porta);
    EXPECT_EQ(falhaDe([&] { recusado.abre(); }),
              std::pair(erros::CaminhoNaoEncontrado, "Não foi possível conectar ao concentrador em 127.0.0.1:" +
                                                         QString::number(porta) + ": conexão recusada"));
    EXPECT_FALSE(recusado.aberto());
}
