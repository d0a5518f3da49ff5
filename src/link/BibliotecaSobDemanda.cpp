#include "link/BibliotecaSobDemanda.h"

#include "support/Instalacao.h"

namespace talvero {

BibliotecaSobDemanda::BibliotecaSobDemanda(CarregadorBiblioteca carrega)
    : carrega_(std::move(carrega)) {}

BibliotecaConcentrador& BibliotecaSobDemanda::biblioteca() {
    if (!biblioteca_) {
        auto carregada = carrega_ ? carrega_() : nullptr;
        if (!carregada) throw ErroBibliotecaAusente();
        biblioteca_ = std::move(carregada);
    }
    return *biblioteca_;
}

std::int16_t BibliotecaSobDemanda::VB_OpenSerial(std::int16_t porta) {
    return biblioteca().VB_OpenSerial(porta);
}

std::int16_t BibliotecaSobDemanda::VB_OpenSocket(const QString& endereco) {
    return biblioteca().VB_OpenSocket(endereco);
}

std::int16_t BibliotecaSobDemanda::VB_SendText(const QString& texto) {
    return biblioteca().VB_SendText(texto);
}

std::int16_t BibliotecaSobDemanda::VB_ReceiveText(QString& texto) {
    return biblioteca().VB_ReceiveText(texto);
}

std::int16_t BibliotecaSobDemanda::VB_SendReceiveText(QString& texto, std::int32_t esperaMs) {
    return biblioteca().VB_SendReceiveText(texto, esperaMs);
}

std::int16_t BibliotecaSobDemanda::VB_CloseSerial() {
    return biblioteca().VB_CloseSerial();
}

std::int16_t BibliotecaSobDemanda::VB_CloseSocket() {
    return biblioteca().VB_CloseSocket();
}

Erro ErroBibliotecaAusente() {
    return Erro(QStringLiteral("Arquivo não encontrado: ") + instalacao::kBibliotecaConcentrador,
                erros::ArquivoNaoEncontrado);
}

} // namespace talvero
