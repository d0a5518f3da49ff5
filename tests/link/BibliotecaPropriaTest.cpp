#include "link/BibliotecaPropria.h"
#include "comum/Ajuda.h"
#include "ensaio/FabricaCanaisSimulador.h"
#include "link/BibliotecaSobDemanda.h"
#include "link/ControleSerialCanal.h"
#include "link/MontaComando.h"

using namespace talvero;
using namespace talvero::teste;

class BibliotecaPropriaTest : public ::testing::Test {
protected:
    BibliotecaPropriaTest() { fabrica.permiteSerial(3); }

    QString troca(const QString& quadro, int esperaMs) {
        QString texto = quadro;
        EXPECT_EQ(biblioteca.VB_SendReceiveText(texto, esperaMs), 1);
        return texto;
    }

    RelogioVirtual relogio{QDateTime(QDate(2026, 12, 5), QTime(18, 0))};
    sim::NucleoConcentrador nucleo{relogio};
    sim::FabricaCanaisSimulador fabrica{nucleo, relogio};
    BibliotecaPropria biblioteca{fabrica, relogio};
};

TEST_F(BibliotecaPropriaTest, AbreSerialOuSocketPeloEnderecoEFechaSoOTipoAberto) {
    QString texto = QStringLiteral("(&V)");
    EXPECT_EQ(biblioteca.VB_SendReceiveText(texto, 500), 0);
    EXPECT_EQ(texto, QString());
    EXPECT_EQ(biblioteca.VB_ReceiveText(texto), 0);

    for (auto [host, porta] : {std::pair{"192.168.0.10", 4001},
                               {"concentrador", 5000},
                               {"::1", 4002},
                               {"fe80::1", 4001}})
        fabrica.permiteTcp(QString::fromLatin1(host), quint16(porta));
    EXPECT_EQ(biblioteca.VB_OpenSerial(3), 1);
    for (const char* endereco : {"192.168.0.10", "concentrador:5000", "[::1]:4002", "fe80::1"})
        EXPECT_EQ(biblioteca.VB_OpenSocket(QString::fromLatin1(endereco)), 1) << endereco;
    EXPECT_EQ(biblioteca.VB_CloseSerial(), 0);
    EXPECT_EQ(biblioteca.VB_OpenSerial(3), 1); // the port was let go when the socket opened
    EXPECT_EQ(biblioteca.VB_CloseSocket(), 0);
    EXPECT_EQ(biblioteca.VB_CloseSerial(), 1);
    EXPECT_EQ(biblioteca.VB_SendText(QStringLiteral("(&I)")), 0);

    for (const char* invalido :
         {"", "   ", "host:", "host:0", "host:70000", "host:abc", ":4001", "[::1", "[::1]x"})
        EXPECT_EQ(biblioteca.VB_OpenSocket(QString::fromLatin1(invalido)), -1) << invalido;
    EXPECT_EQ(biblioteca.VB_OpenSerial(0), -1);
    EXPECT_EQ(biblioteca.VB_OpenSerial(4), -2);
    EXPECT_EQ(biblioteca.VB_OpenSocket(QStringLiteral("192.168.0.11")), -2);
}

TEST_F(BibliotecaPropriaTest, EnviaOFrameExatoERecebeSemEsperar) {
    ASSERT_EQ(biblioteca.VB_OpenSerial(3), 1);
    const QString gravaCartao = MontaComando(QStringLiteral("(?F27G") + QString(16, QChar(0xE9)) +
                                             QString(16, QLatin1Char('0')));
    EXPECT_EQ(biblioteca.VB_SendText(gravaCartao), 1);
    EXPECT_EQ(fabrica.linhas().back()->escrito(), QByteArray("(?F27G") + QByteArray(16, '\xE9') +
                                                      QByteArray(16, '0') +
                                                      gravaCartao.right(3).toLatin1());
    QString texto = QStringLiteral("antigo");
    const std::int64_t inicio = relogio.ms();
    EXPECT_EQ(biblioteca.VB_ReceiveText(texto), 1);
    EXPECT_EQ(std::pair(texto, relogio.ms()), std::pair(QString(), inicio));
    relogio.avancaMs(1000);
    biblioteca.VB_ReceiveText(texto);
    EXPECT_TRUE(texto.startsWith(QStringLiteral("(?G")));
}

// The exchange drops what came before, waits for the whole answer and what follows
// it at once, and hands back what arrived when the wait ends.
TEST_F(BibliotecaPropriaTest, TrocaEsperaARespostaInteiraEDevolveAIncompletaNoPrazo) {
    ASSERT_EQ(biblioteca.VB_OpenSerial(3), 1);
    const QString versao = troca(QStringLiteral("(&S)"), 500);
    ASSERT_TRUE(versao.startsWith(QStringLiteral("(&S")) && versao.endsWith(QLatin1Char(')')));

    biblioteca.VB_SendText(QStringLiteral("(&A67)"));
    relogio.avancaMs(500); // its "(0)" is stale by now
    nucleo.falhas().partida.proximas = 1;
    std::int64_t inicio = relogio.ms();
    EXPECT_EQ(troca(QStringLiteral("(&S)"), 1000), versao);
    EXPECT_GT(relogio.ms() - inicio, 600);
    EXPECT_LT(relogio.ms() - inicio, 1000);

    nucleo.falhas().partida.proximas = 1;
    nucleo.falhas().intervaloPedacosMs = 10;
    EXPECT_EQ(troca(QStringLiteral("(&H051800)"), 1000), QStringLiteral("(0)(&H)"));

    nucleo.falhas().intervaloPedacosMs = 600;
    nucleo.falhas().partida.proximas = 1;
    inicio = relogio.ms();
    const QString parte = troca(QStringLiteral("(&S)"), 500);
    EXPECT_EQ(relogio.ms() - inicio, 500);
    EXPECT_LT(parte.size(), versao.size());
    relogio.avancaMs(500);
    QString resto;
    biblioteca.VB_ReceiveText(resto);
    EXPECT_EQ(parte + resto, versao);

    nucleo.falhas().silencio.proximas = 1;
    inicio = relogio.ms();
    EXPECT_EQ(troca(QStringLiteral("(&V)"), 1000), QString());
    EXPECT_EQ(relogio.ms() - inicio, 1000);
}

TEST_F(BibliotecaPropriaTest, LigacaoPerdidaEhRefeitaAntesDoEnvioOuOEnvioFalha) {
    ASSERT_EQ(biblioteca.VB_OpenSerial(3), 1);
    fabrica.desconectaTodas();
    EXPECT_EQ(troca(QStringLiteral("(&V)"), 500), QStringLiteral("(0)"));
    EXPECT_EQ(fabrica.aberturas(), 2);

    fabrica.desconectaTodas();
    ControleSerialCanal outroPrograma(fabrica);
    outroPrograma.setNumeroPorta(3);
    outroPrograma.setPortaAberta(true);
    EXPECT_EQ(biblioteca.VB_SendText(QStringLiteral("(&I)")), -3);
    QString texto = QStringLiteral("(&V)");
    EXPECT_EQ(biblioteca.VB_SendReceiveText(texto, 500), -3);
    EXPECT_EQ(texto, QString());
}

TEST(RespostaCompleta, ParentesesFechadosEFimEmParentese) {
    for (const char* completa : {"(0)", "(0)(&H)",
                                 "ru\xED"
                                 "do(0)",
                                 ")(0)"})
        EXPECT_TRUE(RespostaCompleta(completa)) << completa;
    for (const char* incompleta : {"", ")", "(0)(&H", "((0)", "(0)x"})
        EXPECT_FALSE(RespostaCompleta(incompleta)) << incompleta;
}

TEST_F(BibliotecaPropriaTest, CarregadaNaPrimeiraChamadaETentadaDeNovoAposFalha) {
    int tentativas = 0;
    BibliotecaSobDemanda sobDemanda([&]() -> std::unique_ptr<BibliotecaConcentrador> {
        if (++tentativas == 1) throw ErroBibliotecaAusente();
        return std::make_unique<BibliotecaPropria>(fabrica, relogio);
    });
    EXPECT_EQ(tentativas, 0);
    EXPECT_EQ(erroDe([&] { sobDemanda.VB_OpenSerial(3); }), erros::ArquivoNaoEncontrado);
    EXPECT_EQ(sobDemanda.VB_OpenSerial(3), 1);
    EXPECT_EQ(sobDemanda.VB_CloseSerial(), 1);
    EXPECT_EQ(tentativas, 2);
}
