#include "link/EnlaceConcentrador.h"

#include "platform/Conversoes.h"
#include "platform/Erro.h"
#include "platform/LeitorIni.h"
#include "support/Entradas.h"
#include "support/Instalacao.h"

#include <utility>

namespace talvero {

namespace {

const QString kSecao = QStringLiteral("AUTOMACAO");
const QString kChaveLitragem = QStringLiteral("Casas decimais da litragem");
const QString kChaveValor = QStringLiteral("Casas decimais do valor");
const QString kChavePorta = QStringLiteral("Porta de Comunicacao");
const QString kLinhaErro =
    QStringLiteral(" - Erro ao iniciar comunicação com o equipamento da automação.");
#ifdef Q_OS_WIN
const QString kPortasAceitas =
    QStringLiteral("COM e o número da porta, como COM3; com \"Usar Dll da Company\"=SIM, também o "
                   "endereço do concentrador, "
                   "host ou host:porta");
#else
const QString kPortasAceitas = QStringLiteral(
    "COM e o número da porta, como COM3, ou o caminho do dispositivo serial, como /dev/ttyUSB0 ou "
    "/dev/serial/by-id/...; com \"Usar Dll da Company\"=SIM, também o endereço do concentrador, "
    "host ou host:porta");
#endif

} // namespace

EnlaceConcentrador::EnlaceConcentrador(Dependencias dependencias) : d_(std::move(dependencias)) {}

bool EnlaceConcentrador::IniciaAutomacao() {
    falhaDeConfiguracao_ = true;
    try {
        leConfiguracao();
        registra(QStringLiteral(" - Porta de comunicação: ") + d_.configuracao.lPortaComunicacao);
        if (!portaValida() || !casasDecimaisValidas()) return false;
        falhaDeConfiguracao_ = false;
        if (!porta().abre(d_.configuracao.lPortaComunicacao, motivoFalha_)) return false;
        d_.habilitaTimerAutomacao(true);
        return true;
    } catch (const Erro& e) {
        motivoFalha_ = e.descricao();
        registra(kLinhaErro + QStringLiteral(" Erro: ") + e.descricao() +
                 QStringLiteral(" - Rotina: IniciaAutomacao"));
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
            throw Erro(e.descricao() + QStringLiteral(" em \"") + chave + QStringLiteral("\": ") +
                           entradas::Citado(valor) + QStringLiteral(" (aceitos: 2 ou 3)"),
                       e.numero());
        }
        return casas == 0 ? std::int16_t(3) : casas;
    };
    c.lCasasDecimaisLitragem = le(kChaveLitragem);
    c.lCasasDecimaisValor = le(kChaveValor);
}

std::optional<std::pair<QString, std::int16_t>>
EnlaceConcentrador::CasaDecimalInvalida(const Configuracao& c) {
    for (const auto& [chave, valor] : {std::pair{kChaveLitragem, c.lCasasDecimaisLitragem},
                                       std::pair{kChaveValor, c.lCasasDecimaisValor}})
        if (valor != 2 && valor != 3) return std::pair{chave, valor};
    return std::nullopt;
}

void EnlaceConcentrador::leConfiguracao() {
    LeCasasDecimais(d_.arquivos, d_.configuracao);
    d_.configuracao.lPortaComunicacao =
        LeIni(d_.arquivos, kSecao, kChavePorta, instalacao::kArquivoIni);
}

// The port names a device or an address: nothing else may reach the link.
bool EnlaceConcentrador::portaValida() {
    const Configuracao& c = d_.configuracao;
    if (entradas::PortaValida(c.lPortaComunicacao, porta().aceitaEndereco())) return true;
    motivoFalha_ = QStringLiteral("valor inválido em \"") + kChavePorta + QStringLiteral("\": ") +
                   entradas::Citado(c.lPortaComunicacao) + QStringLiteral(" (aceitos: ") +
                   kPortasAceitas + QLatin1Char(')');
    registra(kLinhaErro + QStringLiteral(" Erro: ") + motivoFalha_ +
             QStringLiteral(" - Rotina: IniciaAutomacao"));
    return false;
}

// Any other count of decimal places would leave the parser reading amounts from
// the wrong digits, so the link is not opened at all.
bool EnlaceConcentrador::casasDecimaisValidas() {
    const auto invalida = CasaDecimalInvalida(d_.configuracao);
    if (!invalida) return true;
    motivoFalha_ = QStringLiteral("valor inválido em \"") + invalida->first +
                   QStringLiteral("\": ") + QString::number(invalida->second) +
                   QStringLiteral(" (aceitos: 2 ou 3)");
    registra(kLinhaErro + QStringLiteral(" Erro: ") + motivoFalha_ +
             QStringLiteral(" - Rotina: IniciaAutomacao"));
    return false;
}

bool EnlaceConcentrador::Fecha() {
    return porta_ && porta_->fecha(d_.configuracao.lPortaComunicacao);
}

EnlaceConcentrador::Reserva::Reserva(EnlaceConcentrador& e, Timer timer) : e_(e), timer_(timer) {
    if (timer_ == Timer::Desligado) e_.d_.habilitaTimerAutomacao(false);
    ++e_.reservas_;
}

EnlaceConcentrador::Reserva::~Reserva() {
    if (--e_.reservas_ == 0) e_.aguardando_ = false;
    if (timer_ == Timer::Desligado) e_.d_.habilitaTimerAutomacao(true);
}

} // namespace talvero
