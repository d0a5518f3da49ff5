#include "link/ControleSerialCanal.h"

#include "platform/CodecAnsi.h"
#include "platform/Erro.h"

namespace talvero {

ControleSerialCanal::ControleSerialCanal(FabricaCanais& canais) : canais_(canais) {}

ControleSerialCanal::~ControleSerialCanal() {
    fecha();
}

bool ControleSerialCanal::portaAberta() const {
    return canal_ && canal_->aberto();
}

void ControleSerialCanal::setPortaAberta(bool aberta) {
    if (aberta)
        abre();
    else
        fecha();
}

void ControleSerialCanal::abre() {
    exigeFechada();
    if (dispositivo_.isEmpty() && porta_ < 1)
        throw Erro(QStringLiteral("Número de porta inválido"), erros::PortaInvalida);
    fecha();
    auto canal = canais_.serial(nome());
    canal->abre();
    canal_ = std::move(canal);
}

void ControleSerialCanal::fecha() {
    if (canal_) canal_->fecha();
    canal_.reset();
    entrada_.clear();
}

void ControleSerialCanal::setNumeroPorta(int porta) {
    exigeFechada();
    porta_ = porta;
}

void ControleSerialCanal::setDispositivo(const QString& caminho) {
    exigeFechada();
    dispositivo_ = caminho;
}

QString ControleSerialCanal::nome() const {
    return dispositivo_.isEmpty() ? nomePortaSerial(porta_) : dispositivo_;
}

void ControleSerialCanal::exigeFechada() const {
    if (portaAberta()) throw Erro(QStringLiteral("A porta já está aberta"), erros::PortaEmUso);
}

void ControleSerialCanal::exigeAberta() const {
    if (!portaAberta())
        throw Erro(QStringLiteral("Operação válida somente com a porta aberta (") + nome() +
                       QLatin1Char(')'),
                   erros::PortaFechada);
}

// Moves what reached the line into the control's buffer, as the driver does
// between events, so that counts are right even when no event ran.
void ControleSerialCanal::recolhe() {
    entrada_ += canal_->le();
    if (entrada_.size() > kTamanhoBufferEntrada) entrada_.truncate(kTamanhoBufferEntrada);
}

void ControleSerialCanal::envia(const QString& texto) {
    exigeAberta();
    canal_->escreve(ansi::codifica(texto));
}

int ControleSerialCanal::quantidadeRecebida() {
    exigeAberta();
    recolhe();
    return static_cast<int>(entrada_.size());
}

void ControleSerialCanal::descartaEntrada() {
    exigeAberta();
    canal_->descarta();
    entrada_.clear();
}

QString ControleSerialCanal::leEntrada() {
    const QString texto = espiaEntrada();
    entrada_.clear();
    return texto;
}

QString ControleSerialCanal::espiaEntrada() {
    exigeAberta();
    recolhe();
    return ansi::decodifica(entrada_);
}

} // namespace talvero
