#include "shell/JanelaSemTela.h"

namespace talvero {

JanelaSemTela::JanelaSemTela(std::function<void()> aoDescarregar)
    : aoDescarregar_(std::move(aoDescarregar)) {}

void JanelaSemTela::defineEstado(EstadoJanela estado) {
    if (estado == estado_) return;
    estado_ = estado;
    if (eventos_) eventos_->Form_Resize();
}

void JanelaSemTela::descarrega() {
    if (descarregada_) return;
    descarregada_ = true;
    visivel_ = false;
    if (aoDescarregar_) aoDescarregar_();
}

} // namespace talvero
