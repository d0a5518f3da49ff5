#include "platform/CanalTcpQt.h"
#include "platform/Erro.h"

#include <QDeadlineTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <memory>

using namespace talvero;

namespace {

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
        ADD_FAILURE() << "a closed port must refuse";
    } catch (const Erro& e) {
        EXPECT_EQ(e.numero(), erros::CaminhoNaoEncontrado);
        EXPECT_EQ(e.descricao(), "Não foi possível conectar ao concentrador em 127.0.0.1:" + QString::number(porta) +
                                     ": conexão recusada");
    }
    EXPECT_FALSE(canal.aberto());
}

} // namespace
