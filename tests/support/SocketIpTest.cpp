#include "support/SocketIp.h"
#include "comum/Ajuda.h"
#include "ensaio/HostFixo.h"
#include "ensaio/OperadorRoteirizado.h"

#include <functional>

using namespace talvero;

// A failure shows one box (OK only, no icon, default title) and gives ""; a start
// that failed is never cleaned up, a failing clean-up keeps the result.
TEST(SocketIp, NomeAteONulPrimeiroIpv4OuUmaCaixaPorFalha) {
    using Consulta = QString (SocketIp::*)();
    const auto semNome = [](HostFixo& h) {
        h.nome.reset();
        h.erro = 10093;
    };
    const struct {
        const char* nome;
        std::function<void(HostFixo&)> prepara;
        Consulta consulta;
        const char* resultado;
        const char* caixa; // part of the one box's text; null: no box
        int encerramentos;
    } casos[] = {
        {"nome", [](HostFixo& h) { h.nome = QByteArray(" CAIXA01 \0lixo", 14); },
         &SocketIp::NomeDoHost, " CAIXA01 ", nullptr, 1},
        {"primeiro IPv4",
         [](HostFixo& h) {
             h.enderecosDoHost = QList<QByteArray>{
                 QByteArray(16, '\1'), HostFixo::ipv4(10, 0, 0, 5), HostFixo::ipv4(192, 168, 0, 1)};
         },
         &SocketIp::IpDoHost, "10.0.0.5", nullptr, 1},
        {"início recusado", [](HostFixo& h) { h.inicio.resultado = 10091; }, &SocketIp::IpDoHost,
         "", "", 0},
        {"nenhum socket", [](HostFixo& h) { h.inicio.maxSockets = 0; }, &SocketIp::NomeDoHost, "",
         "", 0},
        {"versão 1.0", [](HostFixo& h) { h.inicio.versao = 0x0001; }, &SocketIp::NomeDoHost, "",
         "1.0", 0},
        {"sem nome", semNome, &SocketIp::NomeDoHost, "", "10093", 1},
        {"sem nome para o IP", semNome, &SocketIp::IpDoHost, "", "10093", 1},
        {"sem entrada", [](HostFixo& h) { h.enderecosDoHost.reset(); }, &SocketIp::IpDoHost, "", "",
         1},
        {"entrada sem IPv4",
         [](HostFixo& h) { h.enderecosDoHost = QList<QByteArray>{QByteArray(16, '\1')}; },
         &SocketIp::IpDoHost, "", "", 1},
        {"limpeza falha", [](HostFixo& h) { h.resultadoEncerra = 10093; }, &SocketIp::NomeDoHost,
         "CAIXA01", "", 1},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        HostFixo host;
        OperadorRoteirizado operador;
        SocketIp socket(host, operador);
        c.prepara(host);
        EXPECT_EQ((socket.*c.consulta)(), QString::fromLatin1(c.resultado));
        EXPECT_EQ(host.chamadasEncerra, c.encerramentos);
        ASSERT_EQ(operador.exibidas.size(), c.caixa ? 1u : 0u);
        if (!c.caixa) continue;
        const auto& caixa = operador.exibidas[0];
        EXPECT_EQ(std::tuple(caixa.icone, caixa.titulo), std::tuple(Icone::Nenhum, QString()));
        EXPECT_TRUE(caixa.texto.contains(QString::fromLatin1(c.caixa)))
            << caixa.texto.toStdString();
    }
}
