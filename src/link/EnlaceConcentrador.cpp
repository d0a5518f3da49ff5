#include "link/EnlaceConcentrador.h"

#include "platform/CanalBytes.h"
#include "platform/Conversoes.h"
#include "platform/Erro.h"
#include "platform/LeitorIni.h"
#include "support/Entradas.h"
#include "support/Instalacao.h"
#include "support/RotinasGerais.h"

#include <utility>

namespace talvero {

namespace {

const QString kSecao = QStringLiteral("AUTOMACAO");
const QString kChaveLitragem = QStringLiteral("Casas decimais da litragem");
const QString kChaveValor = QStringLiteral("Casas decimais do valor");
const QString kChavePorta = QStringLiteral("Porta de Comunicacao");
const QString kConfiguracaoSerial = QStringLiteral("9600,n,8,1");
const QString kLinhaErro = QStringLiteral(" - Erro ao iniciar comunicação com o equipamento da automação.");
#ifdef Q_OS_WIN
const QString kPortasAceitas = QStringLiteral(
    "COM e o número da porta, como COM3; com \"Usar Dll da Company\"=SIM, também o endereço do concentrador, "
    "host ou host:porta");
#else
const QString kPortasAceitas = QStringLiteral(
    "COM e o número da porta, como COM3, ou o caminho do dispositivo serial, como /dev/ttyUSB0 ou "
    "/dev/serial/by-id/...; com \"Usar Dll da Company\"=SIM, também o endereço do concentrador, host ou host:porta");
#endif
constexpr int kEsperaColetaSegundos = 2;
// Longer than a concentrator at 9600 baud takes to answer any request.
constexpr std::int64_t kAssentamentoMs = 300;

QChar caracterDaPorta(const QString& porta) { return porta.size() >= 4 ? porta.at(3) : QChar(); }

bool digito(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// The library is handed the digit after "COM"; a text without one is a type error.
std::int16_t portaDaBiblioteca(const QString& porta) {
    const QChar c = caracterDaPorta(porta);
    if (!digito(c)) throw Erro(QStringLiteral("Tipos incompatíveis"), erros::TiposIncompativeis);
    return static_cast<std::int16_t>(c.unicode() - '0');
}

// The serial control takes the numeric value of that character, 0 when it is none.
int portaDoControle(const QString& porta) {
    const QChar c = caracterDaPorta(porta);
    return digito(c) ? c.unicode() - '0' : 0;
}

} // namespace

EnlaceConcentrador::EnlaceConcentrador(Dependencias dependencias) : d_(std::move(dependencias)) {}

bool EnlaceConcentrador::IniciaAutomacao() {
    falhaDeConfiguracao_ = true;
    try {
        leConfiguracao();
        registra(QStringLiteral(" - Porta de comunicação: ") + d_.configuracao.lPortaComunicacao);
        if (!portaValida() || !casasDecimaisValidas()) return false;
        falhaDeConfiguracao_ = false;
        return d_.configuracao.lUsarDllCompany ? abreBiblioteca() : abreSerial();
    } catch (const Erro& e) {
        motivoFalha_ = e.descricao();
        registra(kLinhaErro + QStringLiteral(" Erro: ") + e.descricao() + QStringLiteral(" - Rotina: IniciaAutomacao"));
        return false;
    }
}

void EnlaceConcentrador::LeCasasDecimais(const SistemaArquivos& arquivos, Configuracao& c) {
    auto le = [&](const QString& chave) {
        const QString valor = LeIni(arquivos, kSecao, chave, instalacao::kArquivoIni);
        std::int16_t casas = 0;
        try {
            casas = ConverteNumero(valor);
        } catch (const Erro& e) {
            throw Erro(e.descricao() + QStringLiteral(" em \"") + chave + QStringLiteral("\": ") + entradas::Citado(valor) +
                           QStringLiteral(" (aceitos: 2 ou 3)"),
                       e.numero());
        }
        return casas == 0 ? std::int16_t(3) : casas;
    };
    c.lCasasDecimaisLitragem = le(kChaveLitragem);
    c.lCasasDecimaisValor = le(kChaveValor);
}

std::optional<std::pair<QString, std::int16_t>> EnlaceConcentrador::CasaDecimalInvalida(const Configuracao& c) {
    for (const auto& [chave, valor] : {std::pair{kChaveLitragem, c.lCasasDecimaisLitragem},
                                       std::pair{kChaveValor, c.lCasasDecimaisValor}})
        if (valor != 2 && valor != 3) return std::pair{chave, valor};
    return std::nullopt;
}

void EnlaceConcentrador::leConfiguracao() {
    LeCasasDecimais(d_.arquivos, d_.configuracao);
    d_.configuracao.lPortaComunicacao = LeIni(d_.arquivos, kSecao, kChavePorta, instalacao::kArquivoIni);
}

// The port names a device or an address: nothing else may reach the link.
bool EnlaceConcentrador::portaValida() {
    const Configuracao& c = d_.configuracao;
    if (entradas::PortaValida(c.lPortaComunicacao, c.lUsarDllCompany)) return true;
    motivoFalha_ = QStringLiteral("valor inválido em \"") + kChavePorta + QStringLiteral("\": ") +
                   entradas::Citado(c.lPortaComunicacao) + QStringLiteral(" (aceitos: ") + kPortasAceitas + QLatin1Char(')');
    registra(kLinhaErro + QStringLiteral(" Erro: ") + motivoFalha_ + QStringLiteral(" - Rotina: IniciaAutomacao"));
    return false;
}

// Any other count of decimal places would leave the parser reading amounts from
// the wrong digits, so the link is not opened at all.
bool EnlaceConcentrador::casasDecimaisValidas() {
    const auto invalida = CasaDecimalInvalida(d_.configuracao);
    if (!invalida) return true;
    motivoFalha_ = QStringLiteral("valor inválido em \"") + invalida->first + QStringLiteral("\": ") +
                   QString::number(invalida->second) + QStringLiteral(" (aceitos: 2 ou 3)");
    registra(kLinhaErro + QStringLiteral(" Erro: ") + motivoFalha_ + QStringLiteral(" - Rotina: IniciaAutomacao"));
    return false;
}

bool EnlaceConcentrador::abreBiblioteca() {
    const QString& porta = d_.configuracao.lPortaComunicacao;
    if (porta.left(3) == QLatin1String("COM")) lRetDll = d_.biblioteca.VB_OpenSerial(portaDaBiblioteca(porta));
    else lRetDll = d_.biblioteca.VB_OpenSocket(porta);
    if (lRetDll != 1) {
        motivoFalha_ = QStringLiteral("erro número ") + QString::number(lRetDll) +
                       QStringLiteral(" ao abrir a porta de comunicação: ") + porta;
        registra(QStringLiteral(" - Erro número: ") + QString::number(lRetDll) +
                 QStringLiteral(" ao abrir a porta de comunicação: ") + porta);
        return false;
    }
    registra(QStringLiteral(" - Porta de comunicação abeta com sucesso. lRetDll=") + QString::number(lRetDll));
    d_.habilitaTimerAutomacao();
    return true;
}

bool EnlaceConcentrador::abreSerial() {
    if (!d_.serial.portaAberta()) abrePortaSerial();
    d_.zeraFlagAutomacao();
    d_.habilitaTimerAutomacao();
    return true;
}

void EnlaceConcentrador::abrePortaSerial() {
    const QString& porta = d_.configuracao.lPortaComunicacao;
    d_.serial.setDispositivo(portaPorCaminho(porta) ? porta : QString());
    d_.serial.setNumeroPorta(portaDoControle(porta));
    d_.serial.setConfiguracao(kConfiguracaoSerial);
    d_.serial.setPortaAberta(true);
}

bool EnlaceConcentrador::ReabreSerialPerdida() {
    if (!d_.serial.portaAberta()) {
        try {
            abrePortaSerial();
        } catch (const Erro& e) {
            comunicacaoPerdida(e.descricao());
            return false;
        }
    }
    comunicacaoRestabelecida();
    return true;
}

// Our library answers every send on a lost link with a code other than 1, and
// takes the link up again by itself at a later send.
void EnlaceConcentrador::acompanhaEnvio(std::int16_t codigo) {
    if (codigo == 1) comunicacaoRestabelecida();
    else comunicacaoPerdida(QStringLiteral("lRetDll=") + QString::number(codigo));
}

void EnlaceConcentrador::comunicacaoPerdida(const QString& motivo) {
    if (std::exchange(perdida_, true)) return;
    motivoPerda_ = motivo;
    registra(QStringLiteral(" - Comunicação com o equipamento da automação perdida: ") + motivo);
}

void EnlaceConcentrador::comunicacaoRestabelecida() {
    if (std::exchange(perdida_, false)) registra(QStringLiteral(" - Comunicação com o equipamento da automação restabelecida"));
}

void EnlaceConcentrador::Fecha() {
    if (!d_.configuracao.lUsarDllCompany) return;
    try {
        if (d_.configuracao.lPortaComunicacao.startsWith(QLatin1String("COM"))) lRetDll = d_.biblioteca.VB_CloseSerial();
        else lRetDll = d_.biblioteca.VB_CloseSocket();
    } catch (const Erro& e) {
        registra(QStringLiteral(" - Erro ao fechar a comunicação com o equipamento da automação. Erro: ") +
                 e.descricao() + QStringLiteral(" - Rotina: Fecha"));
    }
}

std::int16_t EnlaceConcentrador::enviaSomente(const QString& frame) {
    lRetDll = d_.biblioteca.VB_SendText(frame);
    acompanhaEnvio(lRetDll);
    return lRetDll;
}

void EnlaceConcentrador::recebe() {
    lTimerAutoString.clear();
    lRetDll = d_.biblioteca.VB_ReceiveText(lTimerAutoString);
}

void EnlaceConcentrador::enviaEColeta(const QString& frame) {
    lRetDll = d_.biblioteca.VB_SendText(frame);
    acompanhaEnvio(lRetDll);
    AguardaSegundos(d_.relogio, d_.agendador, kEsperaColetaSegundos);
    recebe();
}

void EnlaceConcentrador::troca(const QString& frame, int esperaMs) {
    lTimerAutoString = frame;
    lRetDll = d_.biblioteca.VB_SendReceiveText(lTimerAutoString, esperaMs);
    acompanhaEnvio(lRetDll);
}

void EnlaceConcentrador::enviaSerial(const QString& frame) {
    d_.serial.descartaEntrada();
    d_.serial.envia(frame);
    ultimoEnvioSerialMs_ = d_.relogio.monotonicoMs();
    ultimoEnvioSerial_ = frame;
}

void EnlaceConcentrador::assentaSerial() {
    AguardaMilissegundos(d_.relogio, d_.agendador, kAssentamentoMs - (d_.relogio.monotonicoMs() - ultimoEnvioSerialMs_));
    d_.serial.descartaEntrada();
}

void EnlaceConcentrador::coletaSerial() {
    lAutoQuant = static_cast<std::int16_t>(d_.serial.quantidadeRecebida());
    lTimerAutoString = d_.serial.leEntrada();
    d_.serial.descartaEntrada();
}

} // namespace talvero
