#include "link/ControleSerialCanal.h"
#include "comum/Ajuda.h"
#include "ensaio/FabricaCanaisSimulador.h"

using namespace talvero;
using namespace talvero::teste;

class ControleSerialCanalTest : public ::testing::Test {
protected:
    ControleSerialCanalTest() {
        fabrica.permiteSerial(3);
        controle.setNumeroPorta(3);
    }

    RelogioVirtual relogio{QDateTime(QDate(2026, 12, 5), QTime(18, 0))};
    sim::NucleoConcentrador nucleo{relogio};
    sim::FabricaCanaisSimulador fabrica{nucleo, relogio};
    ControleSerialCanal controle{fabrica};
};

// The count takes in what reached the line without any event running; the
// buffer holds 1024 characters.
TEST_F(ControleSerialCanalTest, ContaSemEventosEGuardaAte1024Caracteres) {
    controle.setPortaAberta(true);
    nucleo.enfileiraResposta(QStringLiteral("(é") + QString(1100, QLatin1Char('7')) +
                             QLatin1Char(')'));
    controle.envia(QStringLiteral("(&A)"));
    EXPECT_EQ(controle.quantidadeRecebida(), 0);
    relogio.avancaMs(2000);
    EXPECT_EQ(controle.quantidadeRecebida(), 1024);
    EXPECT_EQ(controle.leEntrada(), QStringLiteral("(é") + QString(1022, QLatin1Char('7')));
    EXPECT_EQ(controle.quantidadeRecebida(), 0);
}

TEST_F(ControleSerialCanalTest, PortaZeroJaAbertaOuPerdidaFalha) {
    const std::function<void()> operacoes[] = {
        [&] { controle.envia(QStringLiteral("(&V)")); }, [&] { controle.quantidadeRecebida(); },
        [&] { controle.descartaEntrada(); }, [&] { controle.leEntrada(); }};
    for (const auto& operacao : operacoes)
        EXPECT_EQ(erroDe(operacao), erros::PortaFechada);
    controle.setPortaAberta(false); // closing a closed port is no error

    controle.setNumeroPorta(0);
    EXPECT_EQ(erroDe([&] { controle.setPortaAberta(true); }), erros::PortaInvalida);
    controle.setNumeroPorta(3);
    controle.setPortaAberta(true);
    EXPECT_EQ(erroDe([&] { controle.setPortaAberta(true); }), erros::PortaEmUso);
    EXPECT_EQ(erroDe([&] { controle.setNumeroPorta(4); }), erros::PortaEmUso);

    // Pause and resume; then the concentrator goes away.
    controle.setPortaAberta(false);
    controle.setPortaAberta(true);
    fabrica.desconectaTodas();
    EXPECT_FALSE(controle.portaAberta());
    for (const auto& operacao : operacoes)
        EXPECT_EQ(erroDe(operacao), erros::PortaFechada);
}
