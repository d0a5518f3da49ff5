#include "comum/Ajuda.h"
#include "link/BibliotecaPropria.h"
#include "link/BibliotecaSobDemanda.h"
#include "link/ControleSerialCanal.h"
#include "link/EnlaceConcentrador.h"
#include "platform/CodecAnsi.h"
#include "platform/PlataformaDeTeste.h"
#include "simulator/FabricaCanaisSimulador.h"
#include "support/Instalacao.h"

using namespace talvero;

const QString kErroInicio = QStringLiteral(" - Erro ao iniciar comunicação com o equipamento da automação. Erro: ");
const QString kRotina = QStringLiteral(" - Rotina: IniciaAutomacao");

// The link as the window composes it, on the simulator's lines.
class EnlaceConcentradorTest : public ::testing::Test {
protected:
    EnlaceConcentradorTest() {
        mundo.criaPastaPrograma();
        fabrica.permiteSerial(1);
        fabrica.permiteSerial(3);
        for (const char* host : {"10.0.0.1", "192.168.10.20", "com3"}) fabrica.permiteTcp(QString::fromLatin1(host), 4001);
    }

    bool inicia(const QString& porta, bool dll, const QString& litragem = {}, const QString& valor = {},
                EnlaceConcentrador* outro = nullptr) {
        configuracao.lUsarDllCompany = dll;
        mundo.arquivos.criaTexto(instalacao::kArquivoIni,
                                 {"[AUTOMACAO]", "Porta de Comunicacao=" + porta, "Casas decimais da litragem=" + litragem,
                                  "Casas decimais do valor=" + valor});
        return (outro ? *outro : enlace).IniciaAutomacao();
    }

    // Log lines without their time of day.
    QStringList log() {
        QStringList linhas = ansi::decodifica(mundo.arquivos.le(RegistroEventos::NomeArquivo(mundo.relogio.agora())))
                                 .split("\r\n", Qt::SkipEmptyParts);
        for (QString& l : linhas) l = l.mid(8);
        return linhas;
    }
    QString linhaAberta() { return fabrica.linhas().empty() ? QString() : fabrica.linhas().back()->nome(); }

    PlataformaDeTeste mundo;
    sim::NucleoConcentrador nucleo{mundo.relogio};
    sim::FabricaCanaisSimulador fabrica{nucleo, mundo.relogio};
    Configuracao configuracao;
    ControleSerialCanal serial{fabrica};
    BibliotecaPropria biblioteca{fabrica, mundo.relogio};
    RegistroEventos registro{mundo.relogio, mundo.arquivos, mundo.operador};
    int timerHabilitado = 0;
    std::int16_t lAutomacaoFlag = 11;

    EnlaceConcentrador::Dependencias dependencias(BibliotecaConcentrador& b) {
        return {configuracao, serial, b, registro, mundo.arquivos, mundo.relogio, mundo.agendador,
                [this] { ++timerHabilitado; }, [this] { lAutomacaoFlag = 0; }};
    }
    EnlaceConcentrador enlace{dependencias(biblioteca)};
};

TEST_F(EnlaceConcentradorTest, BibliotecaAbreCOMnPelaSerialEOutroTextoInteiroPeloSocket) {
    EXPECT_TRUE(inicia("COM3", true));
    EXPECT_EQ(linhaAberta(), QStringLiteral("COM3"));
    EXPECT_EQ(enlace.lRetDll, 1);
    EXPECT_EQ(log(), (QStringList{" - Porta de comunicação: COM3", " - Porta de comunicação abeta com sucesso. lRetDll=1"}));
    EXPECT_EQ(configuracao.lCasasDecimaisLitragem, 3);
    EXPECT_EQ(configuracao.lCasasDecimaisValor, 3);

    for (const char* porta : {"192.168.10.20", "com3"}) {
        EXPECT_TRUE(inicia(porta, true));
        EXPECT_EQ(linhaAberta(), QString::fromLatin1(porta) + ":4001");
    }
    EXPECT_EQ(timerHabilitado, 3);
    EXPECT_EQ(lAutomacaoFlag, 11);  // only the serial opening restarts the cycle

    EXPECT_FALSE(inicia("10.0.0.9", true));
    EXPECT_EQ(enlace.lRetDll, BibliotecaPropria::kFalhaAbertura);
    EXPECT_EQ(log().last(), QStringLiteral(" - Erro número: -2 ao abrir a porta de comunicação: 10.0.0.9"));
    EXPECT_EQ(timerHabilitado, 3);
}

TEST_F(EnlaceConcentradorTest, ErrosDeExecucaoViramALinhaDeErroDaRotina) {
    EXPECT_FALSE(inicia("COM", true));  // no digit for the library
    EXPECT_EQ(log().last(), kErroInicio + "Tipos incompatíveis" + kRotina);
    EXPECT_FALSE(inicia("COM3", true, "40000"));
    EXPECT_EQ(log().last(), kErroInicio + "Estouro" + kRotina);

    BibliotecaSobDemanda ausente([]() -> std::unique_ptr<BibliotecaConcentrador> { throw ErroBibliotecaAusente(); });
    EnlaceConcentrador semBiblioteca{dependencias(ausente)};
    EXPECT_FALSE(inicia("COM3", true, {}, {}, &semBiblioteca));
    EXPECT_EQ(log().last(), kErroInicio + "Arquivo não encontrado: c:\\Talvero\\AutoTalvero\\concentrador.dll" + kRotina);
    EXPECT_EQ(timerHabilitado, 0);
}

TEST_F(EnlaceConcentradorTest, ControleSerialAbrePeloPrimeiroDigitoEReiniciaOCiclo) {
    EXPECT_TRUE(inicia("COM12", false));
    EXPECT_EQ(linhaAberta(), QStringLiteral("COM1"));
    EXPECT_EQ(serial.configuracao(), QStringLiteral("9600,n,8,1"));
    EXPECT_EQ(lAutomacaoFlag, 0);
    EXPECT_EQ(timerHabilitado, 1);
    EXPECT_EQ(log(), QStringList{" - Porta de comunicação: COM12"});

    lAutomacaoFlag = 5;
    EXPECT_TRUE(inicia("COM3", false));  // already open: left as it is
    EXPECT_EQ(fabrica.aberturas(), 1);
    EXPECT_EQ(lAutomacaoFlag, 0);

    serial.setPortaAberta(false);
    for (const char* porta : {"", "COMX"}) {
        EXPECT_FALSE(inicia(porta, false));
        EXPECT_EQ(log().last(), kErroInicio + "Número de porta inválido" + kRotina);
    }
    EXPECT_FALSE(inicia("COM7", false));  // no such port
    EXPECT_EQ(timerHabilitado, 2);
}

TEST_F(EnlaceConcentradorTest, CasasDecimaisZeroViramTresEOutrasQueNaoDoisOuTresImpedemAAbertura) {
    EXPECT_TRUE(inicia("COM1", false, "2", "0"));
    EXPECT_EQ(configuracao.lCasasDecimaisLitragem, 2);
    EXPECT_EQ(configuracao.lCasasDecimaisValor, 3);

    serial.setPortaAberta(false);
    EXPECT_FALSE(inicia("COM1", false, "3", "4"));
    EXPECT_FALSE(serial.portaAberta());
    EXPECT_EQ(log().last(), kErroInicio + "valor inválido em \"Casas decimais do valor\": 4 (aceitos: 2 ou 3)" + kRotina);
    EXPECT_FALSE(inicia("COM1", true, "-1"));
    EXPECT_EQ(log().last(), kErroInicio + "valor inválido em \"Casas decimais da litragem\": -1 (aceitos: 2 ou 3)" + kRotina);
    EXPECT_TRUE(fabrica.linhas().empty());
    EXPECT_EQ(timerHabilitado, 1);
}

TEST_F(EnlaceConcentradorTest, FechaABibliotecaPeloTipoDaPortaEDeixaOControle) {
    ASSERT_TRUE(inicia("COM3", true));
    enlace.Fecha();
    EXPECT_EQ(enlace.lRetDll, 1);
    EXPECT_TRUE(fabrica.linhas().empty());
    ASSERT_TRUE(inicia("com3", true));
    configuracao.lPortaComunicacao = "COM3";
    enlace.Fecha();  // closes a serial link, and none is open
    EXPECT_EQ(enlace.lRetDll, 0);

    ASSERT_TRUE(inicia("COM1", false));
    enlace.Fecha();
    EXPECT_TRUE(serial.portaAberta());
}

TEST_F(EnlaceConcentradorTest, TransacoesDaBiblioteca) {
    ASSERT_TRUE(inicia("10.0.0.1", true));
    const std::int64_t inicio = mundo.relogio.ms() + 999;  // just before a second boundary: the wait is short
    mundo.relogio.defineMs(inicio);
    nucleo.geraAbastecimento(QStringLiteral("01"), Moeda::deInteiro(10));
    enlace.enviaEColeta(QStringLiteral("(&A67)"));
    EXPECT_EQ(mundo.relogio.ms() - inicio, 1001);
    EXPECT_EQ(enlace.lTimerAutoString.size(), 52);

    EXPECT_EQ(enlace.enviaSomente(QStringLiteral("(&I)")), 1);
    EXPECT_EQ(nucleo.pendentes(), 0);
    enlace.troca(QStringLiteral("(&V)"), 500);
    EXPECT_EQ(enlace.lTimerAutoString, QStringLiteral("(0)"));
    EXPECT_EQ(fabrica.linhas().back()->escrito(), QByteArray("(&A67)(&I)(&V)"));
}

TEST_F(EnlaceConcentradorTest, TransacoesDoControleSerial) {
    ASSERT_TRUE(inicia("COM1", false));
    nucleo.enfileiraResposta(QStringLiteral("(velho)"));
    serial.envia(QStringLiteral("(&A)"));
    mundo.relogio.avancaMs(100);
    enlace.enviaSerial(QStringLiteral("(&V)"));  // the old answer is dropped first
    mundo.relogio.avancaMs(100);
    enlace.coletaSerial();
    EXPECT_EQ(enlace.lAutoQuant, 3);
    EXPECT_EQ(enlace.lTimerAutoString, QStringLiteral("(0)"));
    EXPECT_EQ(serial.quantidadeRecebida(), 0);
}
