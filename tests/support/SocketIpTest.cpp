#include "platform/HostFixo.h"
#include "platform/OperadorRoteirizado.h"
#include "support/SocketIp.h"

#include <gtest/gtest.h>

using namespace talvero;

namespace {

struct Identidade : ::testing::Test {
    HostFixo host;
    OperadorRoteirizado operador;
    SocketIp socket{host, operador};

    // Every box of these routines: OK only, no icon, default title.
    std::vector<QString> caixas() const {
        for (const auto& e : operador.exibidas) {
            EXPECT_EQ(e.icone, Icone::Nenhum);
            EXPECT_EQ(e.titulo, "");
        }
        return operador.textos();
    }
};

TEST_F(Identidade, PrimeiroEnderecoIpv4SemPontoFinal) {
    host.nome = QByteArray("CAIXA01\0\0\0", 10);
    host.enderecosDoHost = QList<QByteArray>{QByteArray(16, '\1'), HostFixo::ipv4(10, 0, 0, 5),
                                             HostFixo::ipv4(192, 168, 0, 10)};
    EXPECT_EQ(socket.IpDoHost(), "10.0.0.5");
    EXPECT_EQ(host.ultimoNomeConsultado, "CAIXA01");
    EXPECT_EQ(socket.NomeDoHost(), "CAIXA01");
    EXPECT_EQ(host.versaoPedida, 0x0101);
    EXPECT_EQ(host.chamadasInicia, 2);
    EXPECT_EQ(host.chamadasEncerra, 2);
    EXPECT_TRUE(caixas().empty());
}

TEST_F(Identidade, VersaoAbaixoDe11Recusada) {
    host.inicio.versao = 0x0001;  // 1.0
    EXPECT_EQ(socket.NomeDoHost(), "");
    EXPECT_EQ(socket.IpDoHost(), "");
    const QString recusa = QStringLiteral("A versao Sockets 1.0 não é suportada por 32-bit Windows Sockets.");
    EXPECT_EQ(caixas(), std::vector<QString>({recusa, recusa}));
    EXPECT_EQ(host.chamadasEncerra, 0);

    host.inicio.versao = 0x0202;
    EXPECT_TRUE(socket.IniciaSockets());
    EXPECT_EQ(SocketIp::ByteBaixo(0x0A02), 2);
    EXPECT_EQ(SocketIp::ByteAlto(0x0A02), 10);
}

TEST_F(Identidade, FalhasDeInicioUmaCaixaESemLimpeza) {
    host.inicio.resultado = 10091;
    EXPECT_EQ(socket.IpDoHost(), "");
    host.inicio = {0, 0, 0x0101};
    EXPECT_EQ(socket.NomeDoHost(), "");
    EXPECT_EQ(caixas(), std::vector<QString>({"32-bit Windows Socket não esta respondendo.",
                                              " Esta aplicação requer um minimo de 1 sockets suportados."}));
    EXPECT_EQ(host.chamadasEncerra, 0);
}

TEST_F(Identidade, FalhasDeConsultaAvisamELimpam) {
    host.nome.reset();
    host.erro = 10093;
    EXPECT_EQ(socket.NomeDoHost(), "");
    EXPECT_EQ(socket.IpDoHost(), "");
    host.nome = QByteArray("CAIXA01");
    host.enderecosDoHost.reset();
    EXPECT_EQ(socket.IpDoHost(), "");
    host.enderecosDoHost = QList<QByteArray>{};
    EXPECT_EQ(socket.IpDoHost(), "");
    const QString semResposta = QStringLiteral("Windows Sockets não esta respondendo. não é possivel obter nome do Host");
    EXPECT_EQ(caixas(), std::vector<QString>({"Windows Sockets error 10093 não é possivel obter nome do Host.",
                                              "Ocorre um erro de Socket : 10093 , não é possivel obter nome do Host.",
                                              semResposta, semResposta}));
    EXPECT_EQ(host.chamadasEncerra, 4);
}

TEST_F(Identidade, LimpezaQueFalhaAvisaMasMantemOResultado) {
    host.resultadoEncerra = 10093;
    EXPECT_EQ(socket.NomeDoHost(), "CAIXA01");
    EXPECT_EQ(caixas(), std::vector<QString>({" Erro de Socket."}));
}

} // namespace
