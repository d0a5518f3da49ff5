#include "platform/CanalTcpQt.h"
#include "platform/Erro.h"

#include <QDeadlineTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <memory>

using namespace talvero;

namespace {

TEST(CanalTcpQt, TrocaBytesComOConcentradorEGuardaOQueChegouAntesDoFim) {
    QTcpServer servidor;
    ASSERT_TRUE(servidor.listen(QHostAddress::LocalHost, 0));
    CanalTcpQt canal(QStringLiteral("127.0.0.1"), servidor.serverPort());
    canal.abre();
    ASSERT_TRUE(canal.aberto());
    ASSERT_TRUE(servidor.waitForNewConnection(2000));
    std::unique_ptr<QTcpSocket> outroLado(servidor.nextPendingConnection());

    canal.escreve(QByteArray("(&A67)\xE9"));
    QByteArray recebido;
    while (recebido.size() < 7 && outroLado->waitForReadyRead(2000)) recebido += outroLado->readAll();
    EXPECT_EQ(recebido, QByteArray("(&A67)\xE9"));

    outroLado->write("(0)");
    outroLado->waitForBytesWritten(2000);
    EXPECT_TRUE(canal.aguardaDados(2000));
    EXPECT_EQ(canal.le(), QByteArray("(0)"));

    // The concentrator answers and hangs up before anyone reads.
    outroLado->write("(&V01)");
    outroLado->waitForBytesWritten(2000);
    outroLado->disconnectFromHost();
    const QDeadlineTimer limite(2000);
    while (canal.aberto() && !limite.hasExpired()) canal.disponiveis();
    EXPECT_FALSE(canal.aberto());
    EXPECT_EQ(canal.le(), QByteArray("(&V01)"));
    EXPECT_THROW(canal.escreve("(&I)"), Erro);
}

TEST(CanalTcpQt, ConexaoRecusadaFalhaComDescricaoEmPortugues) {
    quint16 porta = 0;
    {
        QTcpServer fechado;
        ASSERT_TRUE(fechado.listen(QHostAddress::LocalHost, 0));
        porta = fechado.serverPort();
    }
    CanalTcpQt canal(QStringLiteral("127.0.0.1"), porta);
    try {
        canal.abre();
        FAIL() << "connecting to a closed port must fail";
    } catch (const Erro& e) {
        EXPECT_EQ(e.numero(), erros::CaminhoNaoEncontrado);
        EXPECT_EQ(e.descricao(), QStringLiteral("Não foi possível conectar ao concentrador em 127.0.0.1:") +
                                     QString::number(porta) + QStringLiteral(": conexão recusada"));
    }
    EXPECT_FALSE(canal.aberto());
}

} // namespace
