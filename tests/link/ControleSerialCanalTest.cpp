#include "CanalRoteirizado.h"
#include "link/ControleSerialCanal.h"
#include "platform/Erro.h"

#include <gtest/gtest.h>

using namespace talvero;
using namespace talvero::teste;

namespace {

class ControleSerialCanalTest : public ::testing::Test {
protected:
    int numeroDoErro(const std::function<void()>& operacao) {
        try {
            operacao();
        } catch (const Erro& e) {
            return e.numero();
        }
        return 0;
    }

    RelogioVirtual relogio{QDateTime(QDate(2026, 12, 5), QTime(18, 0))};
    FabricaRoteirizada fabrica{relogio};
    ControleSerialCanal controle{fabrica};
};

TEST_F(ControleSerialCanalTest, PortaFechadaRecusaOperacoesMasMostraTamanhos) {
    EXPECT_FALSE(controle.portaAberta());
    EXPECT_EQ(numeroDoErro([&] { controle.envia(QStringLiteral("(&V)")); }), erros::PortaFechada);
    EXPECT_EQ(numeroDoErro([&] { controle.quantidadeRecebida(); }), erros::PortaFechada);
    EXPECT_EQ(numeroDoErro([&] { controle.descartaEntrada(); }), erros::PortaFechada);
    EXPECT_EQ(numeroDoErro([&] { controle.leEntrada(); }), erros::PortaFechada);
    EXPECT_EQ(controle.tamanhoBufferEntrada(), 1024);
    EXPECT_EQ(controle.tamanhoLeitura(), 0);
    controle.setPortaAberta(false);  // closing a closed port is no error
}

TEST_F(ControleSerialCanalTest, AbreAPortaPedidaETrocaBytesWindows1252) {
    controle.setNumeroPorta(3);
    controle.setConfiguracao(QStringLiteral("9600,n,8,1"));
    controle.setPortaAberta(true);
    ASSERT_TRUE(controle.portaAberta());
    EXPECT_EQ(fabrica.portasSeriais, std::vector<int>{3});
    CanalRoteirizado& linha = fabrica.ultimo();

    controle.envia(QString::fromUtf8("(&Hé)"));
    EXPECT_EQ(linha.escrito, QByteArray("(&H\xE9)"));

    // Bytes that reached the line are counted without any event having run.
    linha.chegado = QByteArray("(0)\xE9");
    EXPECT_EQ(controle.quantidadeRecebida(), 4);
    EXPECT_EQ(controle.leEntrada(), QString::fromUtf8("(0)é"));
    EXPECT_EQ(controle.quantidadeRecebida(), 0);

    linha.chegado = QByteArray("(&V0)");
    controle.descartaEntrada();
    EXPECT_EQ(controle.quantidadeRecebida(), 0);
    EXPECT_EQ(controle.leEntrada(), QString());
}

TEST_F(ControleSerialCanalTest, PortaZeroPortaInexistenteEPortaJaAbertaFalham) {
    controle.setNumeroPorta(0);
    EXPECT_EQ(numeroDoErro([&] { controle.setPortaAberta(true); }), erros::PortaInvalida);
    EXPECT_TRUE(fabrica.portasSeriais.empty());

    fabrica.falhaAoAbrir = true;
    controle.setNumeroPorta(2);
    EXPECT_EQ(numeroDoErro([&] { controle.setPortaAberta(true); }), erros::PortaInvalida);
    EXPECT_FALSE(controle.portaAberta());

    fabrica.falhaAoAbrir = false;
    controle.setPortaAberta(true);
    EXPECT_EQ(numeroDoErro([&] { controle.setPortaAberta(true); }), erros::PortaEmUso);
    EXPECT_EQ(numeroDoErro([&] { controle.setNumeroPorta(4); }), erros::PortaEmUso);
    EXPECT_EQ(controle.numeroPorta(), 2);

    // Pause and resume: closed, reopened, nothing of the old input left.
    fabrica.ultimo().chegado = "(0)";
    controle.quantidadeRecebida();
    controle.setPortaAberta(false);
    EXPECT_FALSE(controle.portaAberta());
    controle.setPortaAberta(true);
    EXPECT_EQ(controle.quantidadeRecebida(), 0);
    EXPECT_EQ(fabrica.portasSeriais, (std::vector<int>{2, 2, 2}));
}

TEST_F(ControleSerialCanalTest, BufferDeEntradaGuardaNoMaximo1024Caracteres) {
    controle.setPortaAberta(true);
    fabrica.ultimo().chegado = QByteArray(1000, 'a');
    EXPECT_EQ(controle.quantidadeRecebida(), 1000);
    fabrica.ultimo().chegado = QByteArray(100, 'b');
    EXPECT_EQ(controle.quantidadeRecebida(), 1024);
    const QString lido = controle.leEntrada();
    EXPECT_EQ(lido, QString(1000, QLatin1Char('a')) + QString(24, QLatin1Char('b')));
}

TEST_F(ControleSerialCanalTest, LinhaPerdidaDeixaAPortaFechada) {
    controle.setPortaAberta(true);
    fabrica.ultimo().cai();
    EXPECT_FALSE(controle.portaAberta());
    EXPECT_EQ(numeroDoErro([&] { controle.envia(QStringLiteral("(&V)")); }), erros::PortaFechada);
    controle.setPortaAberta(true);
    EXPECT_TRUE(controle.portaAberta());
}

} // namespace
