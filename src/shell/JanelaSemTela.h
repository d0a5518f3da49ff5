#pragma once

#include "shell/JanelaPrincipal.h"

#include <functional>

namespace talvero {

// The window when no one is at the screen (--headless, no display) and in tests:
// it keeps the window's state but never appears. `aoDescarregar` ends the program.
class JanelaSemTela : public JanelaPrincipal {
public:
    explicit JanelaSemTela(std::function<void()> aoDescarregar = {});

    void conecta(EventosJanela& eventos) override { eventos_ = &eventos; }
    void defineTitulo(const QString& titulo) override { titulo_ = titulo; }
    QString titulo() const override { return titulo_; }
    void defineEstado(EstadoJanela estado) override;
    EstadoJanela estado() const override { return estado_; }
    void esconde() override { visivel_ = false; }
    void mostra() override { visivel_ = true; }
    void ativa() override {}
    void descarrega() override;
    bool mostraPainel(const TextosPainel& textos) override {
        painel_ = textos;
        return false;
    }

    bool visivel() const { return visivel_; }
    bool descarregada() const { return descarregada_; }
    const TextosPainel& painel() const { return painel_; }

private:
    std::function<void()> aoDescarregar_;
    EventosJanela* eventos_ = nullptr;
    QString titulo_;
    EstadoJanela estado_ = EstadoJanela::Normal;
    bool visivel_ = true;
    bool descarregada_ = false;
    TextosPainel painel_;
};

} // namespace talvero
