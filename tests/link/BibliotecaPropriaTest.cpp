#include "CanalRoteirizado.h"
#include "link/BibliotecaPropria.h"
#include "link/BibliotecaSobDemanda.h"

#include <gtest/gtest.h>

using namespace talvero;
using namespace talvero::teste;

namespace {

class BibliotecaPropriaTest : public ::testing::Test {
protected:
    std::int64_t decorrido() const { return relogio.ms() - inicio; }

    RelogioVirtual relogio{QDateTime(QDate(2026, 12, 5), QTime(18, 0))};
    std::int64_t inicio = relogio.ms();
    FabricaRoteirizada fabrica{relogio};
    BibliotecaPropria biblioteca{fabrica, relogio};
};

TEST_F(BibliotecaPropriaTest, AbreSerialOuSocketPeloEndereco) {
    EXPECT_EQ(biblioteca.VB_OpenSerial(3), 1);
    EXPECT_EQ(fabrica.portasSeriais, std::vector<int>{3});

    EXPECT_EQ(biblioteca.VB_OpenSocket(QStringLiteral("192.168.0.10")), 1);
    EXPECT_EQ(biblioteca.VB_OpenSocket(QStringLiteral("concentrador:5000")), 1);
    EXPECT_EQ(biblioteca.VB_OpenSocket(QStringLiteral("[::1]:4002")), 1);
    EXPECT_EQ(biblioteca.VB_OpenSocket(QStringLiteral("fe80::1")), 1);
    EXPECT_EQ(fabrica.enderecos, (std::vector<QString>{"192.168.0.10:4001", "concentrador:5000", "::1:4002",
                                                       "fe80::1:4001"}));
    // Opening again closed the link opened before.
    EXPECT_FALSE(fabrica.criados.front()->aberto());

    for (const char* invalido : {"", "   ", "host:", "host:0", "host:70000", "host:abc", ":4001", "[::1", "[::1]x"})
        EXPECT_EQ(biblioteca.VB_OpenSocket(QString::fromLatin1(invalido)), -1) << invalido;
    EXPECT_EQ(biblioteca.VB_OpenSerial(0), -1);

    fabrica.falhaAoAbrir = true;
    EXPECT_EQ(biblioteca.VB_OpenSerial(4), -2);
    EXPECT_EQ(biblioteca.VB_OpenSocket(QStringLiteral("10.0.0.1")), -2);
}

TEST_F(BibliotecaPropriaTest, SemLigacaoAbertaNadaAconteceECodigoEZero) {
    QString texto = QStringLiteral("(&V)");
    EXPECT_EQ(biblioteca.VB_SendText(texto), 0);
    EXPECT_EQ(biblioteca.VB_ReceiveText(texto), 0);
    EXPECT_EQ(biblioteca.VB_SendReceiveText(texto, 500), 0);
    EXPECT_EQ(texto, QString());
    EXPECT_EQ(biblioteca.VB_CloseSerial(), 0);

    ASSERT_EQ(biblioteca.VB_OpenSerial(1), 1);
    EXPECT_EQ(biblioteca.VB_CloseSocket(), 0);  // the open link is not a socket
    EXPECT_EQ(biblioteca.VB_CloseSerial(), 1);
    EXPECT_FALSE(fabrica.ultimo().aberto());
    EXPECT_EQ(biblioteca.VB_SendText(QStringLiteral("(&I)")), 0);
}

TEST_F(BibliotecaPropriaTest, EnviaOFrameExatoERecebeOQueChegouSemEsperar) {
    ASSERT_EQ(biblioteca.VB_OpenSocket(QStringLiteral("127.0.0.1")), 1);
    CanalRoteirizado& linha = fabrica.ultimo();
    EXPECT_EQ(biblioteca.VB_SendText(QString::fromUtf8("(?F27Gééééééééééééééé0000000000000000A1)")), 1);
    EXPECT_EQ(linha.escrito, QByteArray("(?F27G") + QByteArray(15, '\xE9') + QByteArray(16, '0') + "A1)");

    linha.chega(0, "(0)\xA3");
    linha.chega(100, "(&I)");
    QString texto = QStringLiteral("lixo");
    EXPECT_EQ(biblioteca.VB_ReceiveText(texto), 1);
    EXPECT_EQ(texto, QString::fromUtf8("(0)£"));
    EXPECT_EQ(decorrido(), 0);
    relogio.avancaMs(100);
    biblioteca.VB_ReceiveText(texto);
    EXPECT_EQ(texto, QStringLiteral("(&I)"));
}

TEST_F(BibliotecaPropriaTest, TrocaDescartaOAntigoEEsperaAteARespostaCompleta) {
    ASSERT_EQ(biblioteca.VB_OpenSerial(1), 1);
    CanalRoteirizado& linha = fabrica.ultimo();
    linha.chegado = "(&V0101)";  // stale answer of an earlier exchange
    linha.aoEscrever = [&](const QByteArray&) {
        linha.chega(40, "(&V0");
        linha.chega(120, "2(x)0");
        linha.chega(250, "3)");
        linha.chega(260, "(0)");
    };
    QString texto = QStringLiteral("(&V)");
    EXPECT_EQ(biblioteca.VB_SendReceiveText(texto, 500), 1);
    EXPECT_EQ(linha.escrito, QByteArray("(&V)"));
    EXPECT_EQ(texto, QStringLiteral("(&V02(x)03)"));
    EXPECT_EQ(decorrido(), 250);
}

TEST_F(BibliotecaPropriaTest, RespostaDuplaChegandoEmPartesEhEsperadaInteira) {
    ASSERT_EQ(biblioteca.VB_OpenSerial(1), 1);
    CanalRoteirizado& linha = fabrica.ultimo();
    linha.aoEscrever = [&](const QByteArray&) {
        linha.chega(10, QByteArray("\xFF\x00" "(0)(&", 7));
        linha.chega(30, "H)");
    };
    QString texto = QStringLiteral("(&H051800)");
    biblioteca.VB_SendReceiveText(texto, 1000);
    EXPECT_EQ(texto, QString::fromLatin1("\xFF\x00(0)(&H)", 9));
    EXPECT_EQ(decorrido(), 30);
}

TEST_F(BibliotecaPropriaTest, SemRespostaCompletaDevolveOQueChegouNoPrazoEORestoDepois) {
    ASSERT_EQ(biblioteca.VB_OpenSerial(1), 1);
    CanalRoteirizado& linha = fabrica.ultimo();
    linha.aoEscrever = [&](const QByteArray&) {
        linha.chega(300, "(&V01");
        linha.chega(700, "02)");
    };
    QString texto = QStringLiteral("(&V)");
    EXPECT_EQ(biblioteca.VB_SendReceiveText(texto, 500), 1);
    EXPECT_EQ(texto, QStringLiteral("(&V01"));
    EXPECT_EQ(decorrido(), 500);

    relogio.avancaMs(300);
    biblioteca.VB_ReceiveText(texto);
    EXPECT_EQ(texto, QStringLiteral("02)"));

    linha.aoEscrever = nullptr;
    texto = QStringLiteral("(?V95)");
    biblioteca.VB_SendReceiveText(texto, 1000);
    EXPECT_EQ(texto, QString());
    EXPECT_EQ(decorrido(), 1800);
}

TEST_F(BibliotecaPropriaTest, LigacaoPerdidaEhRefeitaAntesDoProximoEnvio) {
    ASSERT_EQ(biblioteca.VB_OpenSocket(QStringLiteral("10.0.0.7:4001")), 1);
    CanalRoteirizado& linha = fabrica.ultimo();
    linha.chega(0, "(0)");
    linha.cai();
    QString texto;
    biblioteca.VB_ReceiveText(texto);
    EXPECT_EQ(texto, QStringLiteral("(0)"));  // what came before the drop is not lost

    EXPECT_EQ(biblioteca.VB_SendText(QStringLiteral("(&I)")), 1);
    EXPECT_EQ(linha.aberturas, 2);
    EXPECT_EQ(linha.escrito, QByteArray("(&I)"));

    linha.cai();
    linha.falhaAoAbrir = true;
    EXPECT_EQ(biblioteca.VB_SendText(QStringLiteral("(&I)")), -3);
    texto = QStringLiteral("(&V)");
    EXPECT_EQ(biblioteca.VB_SendReceiveText(texto, 500), -3);
    EXPECT_EQ(texto, QString());
}

TEST(RespostaCompleta, ParentesesFechadosEFimEmParentese) {
    EXPECT_TRUE(RespostaCompleta("(0)"));
    EXPECT_TRUE(RespostaCompleta("(0)(&H)"));
    EXPECT_TRUE(RespostaCompleta("ru\xED" "do(0)"));
    EXPECT_TRUE(RespostaCompleta(")(0)"));
    EXPECT_FALSE(RespostaCompleta(""));
    EXPECT_FALSE(RespostaCompleta(")"));
    EXPECT_FALSE(RespostaCompleta("(0)(&H"));
    EXPECT_FALSE(RespostaCompleta("((0)"));
    EXPECT_FALSE(RespostaCompleta("(0)x"));
}

TEST(BibliotecaSobDemanda, CarregaNaPrimeiraChamadaETentaDeNovoAposFalha) {
    int tentativas = 0;
    bool falha = true;
    RelogioVirtual relogio{QDateTime(QDate(2026, 12, 5), QTime(18, 0))};
    FabricaRoteirizada fabrica{relogio};
    BibliotecaSobDemanda biblioteca([&]() -> std::unique_ptr<BibliotecaConcentrador> {
        ++tentativas;
        if (falha) throw ErroBibliotecaAusente();
        return std::make_unique<BibliotecaPropria>(fabrica, relogio);
    });
    EXPECT_EQ(tentativas, 0);
    try {
        biblioteca.VB_OpenSerial(1);
        FAIL() << "a library that cannot be loaded must raise";
    } catch (const Erro& e) {
        EXPECT_EQ(e.descricao(), QStringLiteral("Arquivo não encontrado: c:\\Talvero\\AutoTalvero\\concentrador.dll"));
        EXPECT_EQ(e.numero(), 53);
    }
    EXPECT_FALSE(biblioteca.carregada());
    falha = false;
    EXPECT_EQ(biblioteca.VB_OpenSerial(1), 1);
    EXPECT_EQ(biblioteca.VB_CloseSerial(), 1);
    EXPECT_EQ(tentativas, 2);
    EXPECT_TRUE(biblioteca.carregada());
}

} // namespace
