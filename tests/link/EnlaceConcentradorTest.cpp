#include "link/EnlaceConcentrador.h"
#include "comum/Ajuda.h"
#include "ensaio/FabricaCanaisSimulador.h"
#include "ensaio/PlataformaDeTeste.h"
#include "link/BibliotecaPropria.h"
#include "link/BibliotecaSobDemanda.h"
#include "link/ControleSerialCanal.h"
#include "link/PortaBiblioteca.h"
#include "link/PortaSerial.h"
#include "platform/CodecAnsi.h"
#include "support/Instalacao.h"

using namespace talvero;

// The link as the window composes it, on the simulator's lines.
class EnlaceConcentradorTest : public ::testing::Test {
protected:
    EnlaceConcentradorTest() {
        mundo.criaPastaPrograma();
        fabrica.permiteSerial(1);
        fabrica.permiteSerial(3);
        for (const char* host : {"192.168.10.20", "com3"})
            fabrica.permiteTcp(QString::fromLatin1(host), 4001);
    }

    bool inicia(const QString& porta, bool dll, const QString& litragem = {},
                const QString& valor = {}, EnlaceConcentrador* outro = nullptr) {
        configuracao.lUsarDllCompany = dll;
        mundo.arquivos.criaTexto(instalacao::kArquivoIni,
                                 {"[AUTOMACAO]", "Porta de Comunicacao=" + porta,
                                  "Casas decimais da litragem=" + litragem,
                                  "Casas decimais do valor=" + valor});
        EnlaceConcentrador& e = outro ? *outro : enlace;
        if (&e == &enlace)
            e.usa(dll ? static_cast<PortaConcentrador&>(portaBiblioteca) : portaSerial);
        return e.IniciaAutomacao();
    }
    QString ultimaLinha() {
        const QByteArray log =
            mundo.arquivos.le(RegistroEventos::NomeArquivo(mundo.relogio.agora()));
        return ansi::decodifica(log).split("\r\n", Qt::SkipEmptyParts).last();
    }
    QString linhaAberta() {
        return fabrica.linhas().empty() ? QString() : fabrica.linhas().back()->nome();
    }
    EnlaceConcentrador::Dependencias dependencias() {
        return {configuracao, registro, mundo.arquivos,
                [this](bool habilitado) { timerHabilitado += habilitado; }};
    }
    MeiosPorta meios(EnlaceConcentrador& e) {
        return {{mundo.relogio, mundo.agendador, registro, configuracao}, e.perda(), {}};
    }

    PlataformaDeTeste mundo;
    sim::NucleoConcentrador nucleo{mundo.relogio};
    sim::FabricaCanaisSimulador fabrica{nucleo, mundo.relogio};
    Configuracao configuracao;
    ControleSerialCanal serial{fabrica};
    BibliotecaPropria biblioteca{fabrica, mundo.relogio};
    RegistroEventos registro{mundo.relogio, mundo.arquivos, mundo.operador};
    int timerHabilitado = 0;
    std::int16_t lAutomacaoFlag = 11;
    EnlaceConcentrador enlace{dependencias()};
    PortaSerial portaSerial{serial, meios(enlace), [this] { lAutomacaoFlag = 0; }};
    PortaBiblioteca portaBiblioteca{biblioteca, meios(enlace)};
};

TEST_F(EnlaceConcentradorTest, BibliotecaAbreCOMnPelaSerialEOutroTextoInteiroPeloSocket) {
    EXPECT_TRUE(inicia("COM3", true));
    EXPECT_EQ(linhaAberta(), QStringLiteral("COM3"));
    for (const char* porta : {"192.168.10.20", "com3"}) {
        EXPECT_TRUE(inicia(porta, true));
        EXPECT_EQ(linhaAberta(), QString::fromLatin1(porta) + ":4001");
    }
    EXPECT_EQ(timerHabilitado, 3);
    EXPECT_EQ(lAutomacaoFlag, 11); // only the serial opening restarts the cycle

    EXPECT_FALSE(inicia("10.0.0.9", true));
    EXPECT_TRUE(enlace.motivoFalha().contains(QString::number(BibliotecaPropria::kFalhaAbertura)));
    EXPECT_TRUE(ultimaLinha().endsWith(QStringLiteral("10.0.0.9")));
    EXPECT_EQ(timerHabilitado, 3);
}

TEST_F(EnlaceConcentradorTest, ControleSerialAbrePeloPrimeiroDigitoEReiniciaOCiclo) {
    EXPECT_TRUE(inicia("COM12", false, "2", "0"));
    EXPECT_EQ(linhaAberta(), QStringLiteral("COM1"));
    EXPECT_EQ(serial.configuracao(), QStringLiteral("9600,n,8,1"));
    EXPECT_EQ(std::pair(configuracao.lCasasDecimaisLitragem, configuracao.lCasasDecimaisValor),
              std::pair(std::int16_t(2), std::int16_t(3)));
    EXPECT_EQ(std::pair(lAutomacaoFlag, timerHabilitado), std::pair(std::int16_t(0), 1));

    lAutomacaoFlag = 5;
    EXPECT_TRUE(inicia("COM3", false)); // already open: left as it is
    EXPECT_EQ(fabrica.aberturas(), 1);
    EXPECT_EQ(lAutomacaoFlag, 0);
}

// A device path on either transport, whole: the library takes it in its address
// and closes it as it opened it.
TEST_F(EnlaceConcentradorTest, DispositivoPorCaminhoNasDuasViasInteiro) {
    const QString porta = QStringLiteral("/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0");
    fabrica.permiteSerial(porta);
    EXPECT_TRUE(inicia(porta, false));
    EXPECT_EQ(linhaAberta(), porta);
    serial.setPortaAberta(false);
    EXPECT_TRUE(inicia(porta, true));
    EXPECT_EQ(linhaAberta(), porta);
    enlace.Fecha();
    EXPECT_EQ(biblioteca.VB_SendText(QStringLiteral("(&V)")), BibliotecaPropria::kNaoAberta);
}

// Nothing opens and the cycle stays off; the routine's error line names the cause.
TEST_F(EnlaceConcentradorTest, FalhasDaAberturaViramALinhaDeErroDaRotina) {
    BibliotecaSobDemanda ausente(
        []() -> std::unique_ptr<BibliotecaConcentrador> { throw ErroBibliotecaAusente(); });
    EnlaceConcentrador semBiblioteca{dependencias()};
    PortaBiblioteca portaAusente{ausente, meios(semBiblioteca)};
    semBiblioteca.usa(portaAusente);
    const struct {
        const char *porta, *litragem, *valor;
        bool dll;
        EnlaceConcentrador* enlace;
        const char* causa;
    } casos[] = {
        {"COM", "", "", true, &enlace, "Tipos incompatíveis"}, // no digit for the library
        {"COM3", "40000", "", true, &enlace, "Estouro"},
        {"COM3", "", "", true, &semBiblioteca, "concentrador.dll"},
        {"COMX", "", "", false, &enlace, "aceitos: COM"},
        {"", "", "", false, &enlace, "aceitos: COM"},
        {"192.168.10.20", "", "", false, &enlace,
         "com \"Usar Dll da Company\"=SIM, também o endereço"},
        {"/dev/tty USB0", "", "", true, &enlace, "/dev/ttyUSB0 ou /dev/serial/by-id/"},
        {"/dev/../tmp/x", "", "", false, &enlace, "aceitos: COM"},
        {"COM7", "", "", false, &enlace, "IniciaAutomacao"}, // no such port
        {"COM1", "3", "4", false, &enlace, "Casas decimais do valor\": 4"},
        {"COM1", "-1", "", true, &enlace, "Casas decimais da litragem\": -1"},
    };
    for (const auto& c : casos) {
        EXPECT_FALSE(inicia(c.porta, c.dll, c.litragem, c.valor, c.enlace));
        EXPECT_TRUE(ultimaLinha().contains(QString::fromUtf8(c.causa)))
            << ultimaLinha().toStdString();
    }
    EXPECT_TRUE(fabrica.linhas().empty());
    EXPECT_FALSE(serial.portaAberta());
    EXPECT_EQ(timerHabilitado, 0);
}
