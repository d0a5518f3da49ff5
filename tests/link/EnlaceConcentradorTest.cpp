#include "link/BibliotecaPropria.h"
#include "link/BibliotecaSobDemanda.h"
#include "link/ControleSerialCanal.h"
#include "link/EnlaceConcentrador.h"
#include "platform/CodecAnsi.h"
#include "platform/PlataformaDeTeste.h"
#include "simulator/FabricaCanaisSimulador.h"
#include "support/Instalacao.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace talvero;
using ::testing::Return;

namespace {

class BibliotecaSimulada : public BibliotecaConcentrador {
public:
    MOCK_METHOD(std::int16_t, VB_OpenSerial, (std::int16_t), (override));
    MOCK_METHOD(std::int16_t, VB_OpenSocket, (const QString&), (override));
    MOCK_METHOD(std::int16_t, VB_SendText, (const QString&), (override));
    MOCK_METHOD(std::int16_t, VB_ReceiveText, (QString&), (override));
    MOCK_METHOD(std::int16_t, VB_SendReceiveText, (QString&, std::int32_t), (override));
    MOCK_METHOD(std::int16_t, VB_CloseSerial, (), (override));
    MOCK_METHOD(std::int16_t, VB_CloseSocket, (), (override));
};

class EnlaceConcentradorTest : public ::testing::Test {
protected:
    EnlaceConcentradorTest() {
        mundo.criaPastaPrograma();
        fabrica.permiteSerial(1);
        fabrica.permiteTcp(QStringLiteral("10.0.0.1"), 4001);
    }

    void configura(const QString& porta, bool dll, const QString& litragem = {}, const QString& valor = {}) {
        configuracao.lUsarDllCompany = dll;
        QStringList linhas{QStringLiteral("[AUTOMACAO]"), QStringLiteral("Porta de Comunicacao=") + porta};
        if (!litragem.isEmpty()) linhas << QStringLiteral("Casas decimais da litragem=") + litragem;
        if (!valor.isEmpty()) linhas << QStringLiteral("Casas decimais do valor=") + valor;
        mundo.arquivos.criaTexto(instalacao::kArquivoIni, linhas);
    }

    // Log lines without their time of day.
    QStringList log() {
        const QString nome = RegistroEventos::NomeArquivo(mundo.relogio.agora());
        if (!mundo.arquivos.existe(nome)) return {};
        QStringList linhas = ansi::decodifica(mundo.arquivos.le(nome)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        for (QString& l : linhas) l = l.mid(8);
        return linhas;
    }

    PlataformaDeTeste mundo;
    sim::NucleoConcentrador nucleo{mundo.relogio};
    sim::FabricaCanaisSimulador fabrica{nucleo, mundo.relogio};
    Configuracao configuracao;
    ControleSerialCanal serial{fabrica};
    ::testing::StrictMock<BibliotecaSimulada> simulada;
    RegistroEventos registro{mundo.relogio, mundo.arquivos, mundo.operador};
    int timerHabilitado = 0;
    std::int16_t lAutomacaoFlag = 11;

    EnlaceConcentrador::Dependencias dependencias(BibliotecaConcentrador& biblioteca) {
        return {configuracao,  serial,           biblioteca,
                registro,      mundo.arquivos,   mundo.relogio,
                mundo.agendador, [this] { ++timerHabilitado; }, [this] { lAutomacaoFlag = 0; }};
    }
    EnlaceConcentrador enlace{dependencias(simulada)};
};

const QString kErroInicio = QStringLiteral(" - Erro ao iniciar comunicação com o equipamento da automação. Erro: ");

TEST_F(EnlaceConcentradorTest, BibliotecaAbrePortaSerialPeloDigitoDepoisDeCOM) {
    configura(QStringLiteral("COM3"), true);
    EXPECT_CALL(simulada, VB_OpenSerial(3)).WillOnce(Return(1));
    EXPECT_TRUE(enlace.IniciaAutomacao());
    EXPECT_EQ(enlace.lRetDll, 1);
    EXPECT_EQ(timerHabilitado, 1);
    EXPECT_EQ(lAutomacaoFlag, 11);  // only the serial opening restarts the cycle
    EXPECT_EQ(log(), (QStringList{" - Porta de comunicação: COM3", " - Porta de comunicação abeta com sucesso. lRetDll=1"}));
    EXPECT_EQ(configuracao.lCasasDecimaisLitragem, 3);
    EXPECT_EQ(configuracao.lCasasDecimaisValor, 3);
}

TEST_F(EnlaceConcentradorTest, BibliotecaLevaQualquerOutroTextoInteiroAoSocket) {
    for (const QString& porta : {QStringLiteral("192.168.10.20"), QStringLiteral("com3"), QStringLiteral("Com3:4001")}) {
        configura(porta, true);
        EXPECT_CALL(simulada, VB_OpenSocket(porta)).WillOnce(Return(1));
        EXPECT_TRUE(enlace.IniciaAutomacao()) << porta.toStdString();
    }
    EXPECT_EQ(timerHabilitado, 3);
}

TEST_F(EnlaceConcentradorTest, BibliotecaQueRecusaAPortaDeixaOTimerDesligado) {
    configura(QStringLiteral("10.0.0.9"), true);
    EXPECT_CALL(simulada, VB_OpenSocket(QStringLiteral("10.0.0.9"))).WillOnce(Return(-2));
    EXPECT_FALSE(enlace.IniciaAutomacao());
    EXPECT_EQ(enlace.lRetDll, -2);
    EXPECT_EQ(timerHabilitado, 0);
    EXPECT_EQ(log().last(), QStringLiteral(" - Erro número: -2 ao abrir a porta de comunicação: 10.0.0.9"));
}

TEST_F(EnlaceConcentradorTest, ErrosDeExecucaoViramALinhaDeErroDaRotina) {
    configura(QStringLiteral("COM"), true);  // no digit for the library
    EXPECT_FALSE(enlace.IniciaAutomacao());
    EXPECT_EQ(log().last(), kErroInicio + "Tipos incompatíveis - Rotina: IniciaAutomacao");

    configura(QStringLiteral("COM2"), true, QStringLiteral("40000"));
    EXPECT_FALSE(enlace.IniciaAutomacao());
    EXPECT_EQ(log().last(), kErroInicio + "Estouro - Rotina: IniciaAutomacao");

    BibliotecaSobDemanda ausente([]() -> std::unique_ptr<BibliotecaConcentrador> { throw ErroBibliotecaAusente(); });
    EnlaceConcentrador semBiblioteca{dependencias(ausente)};
    configura(QStringLiteral("COM2"), true);
    EXPECT_FALSE(semBiblioteca.IniciaAutomacao());
    EXPECT_EQ(log().last(),
              kErroInicio + "Arquivo não encontrado: c:\\Talvero\\AutoTalvero\\concentrador.dll - Rotina: IniciaAutomacao");
    EXPECT_EQ(timerHabilitado, 0);
}

TEST_F(EnlaceConcentradorTest, ControleSerialAbrePeloPrimeiroDigitoEReiniciaOCiclo) {
    configura(QStringLiteral("COM12"), false);
    EXPECT_TRUE(enlace.IniciaAutomacao());
    EXPECT_TRUE(serial.portaAberta());
    EXPECT_EQ(fabrica.linhas().back()->nome(), QStringLiteral("COM1"));
    EXPECT_EQ(serial.configuracao(), QStringLiteral("9600,n,8,1"));
    EXPECT_EQ(lAutomacaoFlag, 0);
    EXPECT_EQ(timerHabilitado, 1);
    EXPECT_EQ(log(), QStringList{" - Porta de comunicação: COM12"});

    // Already open: left as it is.
    lAutomacaoFlag = 5;
    EXPECT_TRUE(enlace.IniciaAutomacao());
    EXPECT_EQ(fabrica.aberturas(), 1);
    EXPECT_EQ(lAutomacaoFlag, 0);
}

TEST_F(EnlaceConcentradorTest, ControleSerialSemDigitoTentaAPortaZeroEFalha) {
    for (const QString& porta : {QString(), QStringLiteral("COMX")}) {
        configura(porta, false);
        EXPECT_FALSE(enlace.IniciaAutomacao());
        EXPECT_EQ(log().last(), kErroInicio + "Número de porta inválido - Rotina: IniciaAutomacao");
    }
    configura(QStringLiteral("COM7"), false);  // no such port
    EXPECT_FALSE(enlace.IniciaAutomacao());
    EXPECT_EQ(timerHabilitado, 0);
    EXPECT_EQ(lAutomacaoFlag, 11);
}

TEST_F(EnlaceConcentradorTest, CasasDecimaisZeroViramTresEOutrasQueNaoDoisOuTresImpedemAAbertura) {
    configura(QStringLiteral("COM1"), false, QStringLiteral("2"), QStringLiteral("0"));
    EXPECT_TRUE(enlace.IniciaAutomacao());
    EXPECT_EQ(configuracao.lCasasDecimaisLitragem, 2);
    EXPECT_EQ(configuracao.lCasasDecimaisValor, 3);

    serial.setPortaAberta(false);
    configura(QStringLiteral("COM1"), false, QStringLiteral("3"), QStringLiteral("4"));
    EXPECT_FALSE(enlace.IniciaAutomacao());
    EXPECT_FALSE(serial.portaAberta());
    EXPECT_EQ(log().last(), kErroInicio + "valor inválido em \"Casas decimais do valor\": 4 (aceitos: 2 ou 3) - Rotina: IniciaAutomacao");

    configura(QStringLiteral("COM1"), true, QStringLiteral("-1"));
    EXPECT_FALSE(enlace.IniciaAutomacao());  // the library is never called
    EXPECT_EQ(log().last(),
              kErroInicio + "valor inválido em \"Casas decimais da litragem\": -1 (aceitos: 2 ou 3) - Rotina: IniciaAutomacao");
    EXPECT_EQ(timerHabilitado, 1);
}

TEST_F(EnlaceConcentradorTest, FechaPeloTipoDaPortaSoComABiblioteca) {
    configuracao.lUsarDllCompany = true;
    configuracao.lPortaComunicacao = QStringLiteral("COM3");
    EXPECT_CALL(simulada, VB_CloseSerial()).WillOnce(Return(1));
    enlace.Fecha();
    EXPECT_EQ(enlace.lRetDll, 1);

    configuracao.lPortaComunicacao = QStringLiteral("com3");
    EXPECT_CALL(simulada, VB_CloseSocket()).WillOnce(Return(0));
    enlace.Fecha();
    EXPECT_EQ(enlace.lRetDll, 0);

    configuracao.lUsarDllCompany = false;
    enlace.Fecha();  // the strict mock proves nothing is called
}

class TransacoesTest : public EnlaceConcentradorTest {
protected:
    BibliotecaPropria propria{fabrica, mundo.relogio};
    EnlaceConcentrador comPropria{dependencias(propria)};
};

TEST_F(TransacoesTest, BibliotecaEnviaEsperaDoisSegundosEColeta) {
    ASSERT_EQ(propria.VB_OpenSocket(QStringLiteral("10.0.0.1")), 1);
    const std::int64_t inicio = mundo.relogio.ms() + 999;  // just before a second boundary: the wait is short
    mundo.relogio.defineMs(inicio);
    nucleo.geraAbastecimento(QStringLiteral("01"), Moeda::deInteiro(10));
    comPropria.enviaEColeta(QStringLiteral("(&A67)"));
    EXPECT_EQ(mundo.relogio.ms() - inicio, 1001);
    EXPECT_EQ(comPropria.lTimerAutoString.size(), 52);
    EXPECT_EQ(comPropria.lRetDll, 1);

    EXPECT_EQ(comPropria.enviaSomente(QStringLiteral("(&I)")), 1);
    EXPECT_EQ(nucleo.pendentes(), 0);
    comPropria.troca(QStringLiteral("(&V)"), 500);
    EXPECT_EQ(comPropria.lTimerAutoString, QStringLiteral("(0)"));
    EXPECT_EQ(fabrica.linhas().back()->escrito(), QByteArray("(&A67)(&I)(&V)"));
}

TEST_F(TransacoesTest, ControleSerialDescartaAntesDeEnviarEColetaTudo) {
    serial.setNumeroPorta(1);
    serial.setPortaAberta(true);
    nucleo.enfileiraResposta(QStringLiteral("(velho)"));
    serial.envia(QStringLiteral("(&A)"));
    mundo.relogio.avancaMs(100);
    comPropria.enviaSerial(QStringLiteral("(&V)"));
    mundo.relogio.avancaMs(100);
    comPropria.coletaSerial();
    EXPECT_EQ(comPropria.lAutoQuant, 3);
    EXPECT_EQ(comPropria.lTimerAutoString, QStringLiteral("(0)"));
    EXPECT_EQ(serial.quantidadeRecebida(), 0);
}

} // namespace
