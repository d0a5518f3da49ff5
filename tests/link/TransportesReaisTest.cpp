#include "comum/Ajuda.h"
#include "link/BibliotecaPropria.h"
#include "link/TransportesConcentrador.h"
#include "platform/CanalTerminalVirtual.h"
#include "platform/FabricaCanaisQt.h"
#include "platform/TempoReal.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <future>
#include <memory>
#include <thread>

using namespace talvero;
using namespace talvero::teste;

// The agent's composition over the real devices: a pseudo-terminal as COM3 and a
// concentrator listening on loopback.
class TransportesReaisTest : public ::testing::Test {
protected:
    QTemporaryDir raiz;
    MapaCaminhos caminhos{raiz.path()};
    FabricaCanaisQt fabrica{caminhos};
    RelogioSistema relogio;
    TransportesConcentrador transportes{fabrica, relogio};
};

TEST_F(TransportesReaisTest, BibliotecaPelaPortaSerial) {
    TerminalVirtual terminal;
    ASSERT_TRUE(terminal.ligaComo(raiz.path(), 3));
    BibliotecaConcentrador& biblioteca = transportes.biblioteca();
    ASSERT_EQ(biblioteca.VB_OpenSerial(3), 1);

    std::thread concentrador([&] {
        if (terminal.le(4) != "(&V)") return;
        terminal.escreve("(&V0");
        terminal.escreve("1)");
    });
    QString texto = QStringLiteral("(&V)");
    EXPECT_EQ(biblioteca.VB_SendReceiveText(texto, 3000), 1);
    concentrador.join();
    EXPECT_EQ(texto, QStringLiteral("(&V01)"));
    EXPECT_EQ(biblioteca.VB_CloseSerial(), 1);
}

TEST_F(TransportesReaisTest, BibliotecaPelaRedeRefazAConexaoPerdida) {
    std::promise<quint16> porta;
    std::promise<void> desligou;
    std::promise<QByteArray> depoisDaQueda;
    std::thread concentrador([&] {
        QTcpServer servidor;
        servidor.listen(QHostAddress::LocalHost, 0);
        porta.set_value(servidor.serverPort());
        auto aceita = [&] {
            return servidor.waitForNewConnection(3000) ? std::unique_ptr<QTcpSocket>(servidor.nextPendingConnection())
                                                       : nullptr;
        };
        auto leFrame = [](QTcpSocket& s) {
            QByteArray lido;
            while (!lido.endsWith(')') && s.waitForReadyRead(3000)) lido += s.readAll();
            return lido;
        };
        auto primeira = aceita();
        if (primeira && leFrame(*primeira) == "(&V)") {
            primeira->write("(&V0");
            primeira->waitForBytesWritten(3000);
            primeira->write("2)");
            primeira->waitForBytesWritten(3000);
            primeira->disconnectFromHost();
        }
        desligou.set_value();
        auto segunda = aceita();
        depoisDaQueda.set_value(segunda ? leFrame(*segunda) : QByteArray());
    });

    BibliotecaConcentrador& biblioteca = transportes.biblioteca();
    const QString endereco = QStringLiteral("127.0.0.1:") + QString::number(porta.get_future().get());
    EXPECT_EQ(biblioteca.VB_OpenSocket(endereco), 1);
    QString texto = QStringLiteral("(&V)");
    EXPECT_EQ(biblioteca.VB_SendReceiveText(texto, 3000), 1);
    EXPECT_EQ(texto, QStringLiteral("(&V02)"));

    desligou.get_future().wait();
    EXPECT_EQ(biblioteca.VB_SendText(QStringLiteral("(&I)")), 1);
    auto frame = depoisDaQueda.get_future();
    EXPECT_EQ(frame.get(), QByteArray("(&I)"));
    concentrador.join();
    EXPECT_EQ(biblioteca.VB_CloseSocket(), 1);
}
