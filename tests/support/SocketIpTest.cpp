#include "comum/Ajuda.h"
#include "platform/HostFixo.h"
#include "platform/OperadorRoteirizado.h"
#include "support/SocketIp.h"

using namespace talvero;

struct Identidade : ::testing::Test {
    HostFixo host;
    OperadorRoteirizado operador;
    SocketIp socket{host, operador};

    // Every box of these routines: OK only, no icon, default title.
    std::vector<QString> caixas() const {
        for (const auto& e : operador.exibidas) EXPECT_EQ(std::tuple(e.icone, e.titulo), std::tuple(Icone::Nenhum, QString()));
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
    EXPECT_EQ(std::pair(host.chamadasInicia, host.chamadasEncerra), std::pair(2, 2));
    EXPECT_TRUE(caixas().empty());
}

TEST_F(Identidade, FalhasDeInicioUmaCaixaESemLimpeza) {
    host.inicio.versao = 0x0001;  // 1.0
    EXPECT_EQ(socket.NomeDoHost(), "");
    EXPECT_EQ(socket.IpDoHost(), "");
    host.inicio.versao = 0x0202;
    EXPECT_TRUE(socket.IniciaSockets());
    host.inicio.resultado = 10091;
    EXPECT_EQ(socket.IpDoHost(), "");
    host.inicio = {0, 0, 0x0101};
    EXPECT_EQ(socket.NomeDoHost(), "");
    const QString recusa = QStringLiteral("A versao Sockets 1.0 não é suportada por 32-bit Windows Sockets.");
    EXPECT_EQ(caixas(), std::vector<QString>({recusa, recusa, "32-bit Windows Socket não esta respondendo.",
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

    // A cleanup that fails warns but keeps the result.
    host.resultadoEncerra = 10093;
    EXPECT_EQ(socket.NomeDoHost(), "CAIXA01");
    EXPECT_EQ(caixas().back(), " Erro de Socket.");
}
