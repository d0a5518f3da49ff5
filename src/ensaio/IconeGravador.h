#pragma once

#include "platform/IconeNotificacao.h"

#include <vector>

namespace talvero {

// Notification icon of a test: records every call and lets the test double-click.
class IconeGravador : public IconeNotificacao {
public:
    struct Chamada {
        int acao;
        QString dica;
        bool resultado;
    };

    bool executa(int acao, const QString& dica) override;
    void aoClicarDuasVezes(std::function<void()> acao) override {
        aoClicarDuasVezes_ = std::move(acao);
    }

    // Fires the registered action as a double-click would; false when no icon shows.
    bool clicaDuasVezes();

    std::vector<Chamada> chamadas;
    bool presente = false;
    bool semBandeja = false; // a desktop without a notification area
    bool disponivel() const override { return !semBandeja; }
    QString dicaAtual; // as the platform would show it

private:
    std::function<void()> aoClicarDuasVezes_;
};

} // namespace talvero
