#include "comum/Ajuda.h"
#include "link/BibliotecaPropria.h"
#include "link/BibliotecaSobDemanda.h"
#include "link/ControleSerialCanal.h"
#include "link/MontaComando.h"
#include "simulator/FabricaCanaisSimulador.h"

using namespace talvero;
using namespace talvero::teste;

class BibliotecaPropriaTest : public ::testing::Test {
protected:
    BibliotecaPropriaTest() { fabrica.permiteSerial(3); }

    std::int64_t decorrido() const { return relogio.ms() - inicio; }
    QString troca(const QString& frame, int esperaMs) {
        QString texto = frame;
        EXPECT_EQ(biblioteca.VB_SendReceiveText(texto, esperaMs), 1);
        return texto;
    }

    RelogioVirtual relogio{QDateTime(QDate(2026, 12, 5), QTime(18, 0))};
    std::int64_t inicio = relogio.ms();
    sim::NucleoConcentrador nucleo{relogio};
    sim::FabricaCanaisSimulador fabrica{nucleo, relogio};
    BibliotecaPropria biblioteca{fabrica, relogio};
};

TEST_F(BibliotecaPropriaTest, AbreSerialOuSocketPeloEndereco) {
    for (auto [host, porta] : {std::pair{"192.168.0.10", 4001}, {"concentrador", 5000}, {"::1", 4002}, {"fe80::1", 4001}})
        fabrica.permiteTcp(QString::fromLatin1(host), quint16(porta));
    EXPECT_EQ(biblioteca.VB_OpenSerial(3), 1);
    for (const char* endereco : {"192.168.0.10", "concentrador:5000", "[::1]:4002", "fe80::1"})
        EXPECT_EQ(biblioteca.VB_OpenSocket(QString::fromLatin1(endereco)), 1) << endereco;
    EXPECT_EQ(biblioteca.VB_OpenSerial(3), 1);  // the port was let go when the socket opened

    for (const char* invalido : {"", "   ", "host:", "host:0", "host:70000", "host:abc", ":4001", "[::1", "[::1]x"})
        EXPECT_EQ(biblioteca.VB_OpenSocket(QString::fromLatin1(invalido)), -1) << invalido;
    EXPECT_EQ(biblioteca.VB_OpenSerial(0), -1);
    EXPECT_EQ(biblioteca.VB_OpenSerial(4), -2);
    EXPECT_EQ(biblioteca.VB_OpenSocket(QStringLiteral("192.168.0.11")), -2);
}

TEST_F(BibliotecaPropriaTest, SemLigacaoAbertaOCodigoEhZero) {
    QString texto = QStringLiteral("(&V)");
    EXPECT_EQ(biblioteca.VB_SendText(texto), 0);
    EXPECT_EQ(biblioteca.VB_ReceiveText(texto), 0);
    EXPECT_EQ(biblioteca.VB_SendReceiveText(texto, 500), 0);
    EXPECT_EQ(texto, QString());
    EXPECT_EQ(biblioteca.VB_CloseSerial(), 0);

    ASSERT_EQ(biblioteca.VB_OpenSerial(3), 1);
    EXPECT_EQ(biblioteca.VB_CloseSocket(), 0);  // the open link is not a socket
    EXPECT_EQ(biblioteca.VB_CloseSerial(), 1);
    EXPECT_EQ(biblioteca.VB_SendText(QStringLiteral("(&I)")), 0);
}

TEST_F(BibliotecaPropriaTest, EnviaOFrameExatoERecebeSemEsperar) {
    ASSERT_EQ(biblioteca.VB_OpenSerial(3), 1);
    const QString gravaCartao = MontaComando(QStringLiteral("(?F27G") + QString(16, QChar(0xE9)) + QString(16, QLatin1Char('0')));
    EXPECT_EQ(biblioteca.VB_SendText(gravaCartao), 1);
    EXPECT_EQ(fabrica.linhas().back()->escrito(), QByteArray("(?F27G") + QByteArray(16, '\xE9') + QByteArray(16, '0') +
                                                      gravaCartao.right(3).toLatin1());

    relogio.avancaMs(1000);
    QString texto = QStringLiteral("antigo");
    biblioteca.VB_ReceiveText(texto);
    EXPECT_TRUE(texto.startsWith(QStringLiteral("(?G")));
    biblioteca.VB_SendText(QStringLiteral("(&A67)"));
    inicio = relogio.ms();
    EXPECT_EQ(biblioteca.VB_ReceiveText(texto), 1);
    EXPECT_EQ(texto, QString());
    EXPECT_EQ(decorrido(), 0);
    relogio.avancaMs(2000);
    biblioteca.VB_ReceiveText(texto);
    EXPECT_EQ(texto, QStringLiteral("(0)"));
}

TEST_F(BibliotecaPropriaTest, TrocaEsperaARespostaInteiraMesmoPartidaOuComRuidoEDevolveAIncompletaNoPrazo) {
    ASSERT_EQ(biblioteca.VB_OpenSerial(3), 1);
    const QString versao = troca(QStringLiteral("(&S)"), 500);
    ASSERT_TRUE(versao.startsWith(QStringLiteral("(&SCONCENTRADOR SIMULADO")) && versao.endsWith(QLatin1Char(')')));

    biblioteca.VB_SendText(QStringLiteral("(&A67)"));
    relogio.avancaMs(500);  // its "(0)" is stale by now and is dropped
    nucleo.falhas().partida.proximas = 1;
    inicio = relogio.ms();
    EXPECT_EQ(troca(QStringLiteral("(&S)"), 1000), versao);
    EXPECT_GT(decorrido(), 600);
    EXPECT_LT(decorrido(), 1000);

    nucleo.falhas().ruido.proximas = 1;
    const QString comRuido = troca(QStringLiteral("(&S)"), 500);
    EXPECT_EQ(comRuido.size(), versao.size() + 3);
    EXPECT_TRUE(comRuido.endsWith(versao));

    // An accepted clock setting, "(0)" then "(&H)" a moment later, is one answer.
    nucleo.falhas().partida.proximas = 1;
    nucleo.falhas().intervaloPedacosMs = 10;
    EXPECT_EQ(troca(QStringLiteral("(&H051800)"), 1000), QStringLiteral("(0)(&H)"));

    // Incomplete when the wait ends: handed back as it came, the rest on the next read.
    nucleo.falhas().intervaloPedacosMs = 600;
    nucleo.falhas().partida.proximas = 1;
    inicio = relogio.ms();
    const QString parte = troca(QStringLiteral("(&S)"), 500);
    EXPECT_EQ(decorrido(), 500);
    EXPECT_EQ(parte, versao.left(parte.size()));
    EXPECT_LT(parte.size(), versao.size());
    relogio.avancaMs(500);
    QString resto;
    biblioteca.VB_ReceiveText(resto);
    EXPECT_EQ(parte + resto, versao);

    nucleo.falhas().silencio.proximas = 1;
    inicio = relogio.ms();
    EXPECT_EQ(troca(QStringLiteral("(&V)"), 1000), QString());
    EXPECT_EQ(decorrido(), 1000);
}

TEST_F(BibliotecaPropriaTest, LigacaoPerdidaEhRefeitaAntesDoProximoEnvio) {
    fabrica.permiteTcp(QStringLiteral("10.0.0.7"), 4001);
    ASSERT_EQ(biblioteca.VB_OpenSocket(QStringLiteral("10.0.0.7")), 1);
    fabrica.desconectaTodas();
    EXPECT_EQ(biblioteca.VB_SendText(QStringLiteral("(&A67)")), 1);
    EXPECT_EQ(fabrica.aberturas(), 2);
    relogio.avancaMs(500);
    QString texto;
    biblioteca.VB_ReceiveText(texto);
    EXPECT_EQ(texto, QStringLiteral("(0)"));

    nucleo.falhas().desconexao.proximas = 1;
    EXPECT_EQ(troca(QStringLiteral("(&V)"), 500), QString());

    // Back on the serial port, which another program takes while the line is down.
    ASSERT_EQ(biblioteca.VB_OpenSerial(3), 1);
    fabrica.desconectaTodas();
    ControleSerialCanal outroPrograma(fabrica);
    outroPrograma.setNumeroPorta(3);
    outroPrograma.setPortaAberta(true);
    EXPECT_EQ(biblioteca.VB_SendText(QStringLiteral("(&I)")), -3);
    texto = QStringLiteral("(&V)");
    EXPECT_EQ(biblioteca.VB_SendReceiveText(texto, 500), -3);
    EXPECT_EQ(texto, QString());
}

TEST(RespostaCompleta, ParentesesFechadosEFimEmParentese) {
    for (const char* completa : {"(0)", "(0)(&H)", "ru\xED" "do(0)", ")(0)"})
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
    EXPECT_EQ(falhaDe([&] { sobDemanda.VB_OpenSerial(3); }),
              std::pair(erros::ArquivoNaoEncontrado, QStringLiteral("Arquivo não encontrado: c:\\Talvero\\AutoTalvero\\concentrador.dll")));
    EXPECT_FALSE(sobDemanda.carregada());
    EXPECT_EQ(sobDemanda.VB_OpenSerial(3), 1);
    EXPECT_EQ(sobDemanda.VB_CloseSerial(), 1);
    EXPECT_EQ(tentativas, 2);
}
