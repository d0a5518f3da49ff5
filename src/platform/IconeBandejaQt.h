#pragma once

#include "platform/DicaIcone.h"
#include "platform/IconeNotificacao.h"

#include <QIcon>
#include <QSystemTrayIcon>

namespace talvero {

class IconeBandejaQt : public IconeNotificacao {
public:
    // `icone` is the window's icon; without one a standard icon is used.
    explicit IconeBandejaQt(const QIcon& icone = {});

    bool executa(int acao, const QString& dica) override;
    void aoClicarDuasVezes(std::function<void()> acao) override;
    bool disponivel() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }

private:
    QSystemTrayIcon bandeja_;
    bool presente_ = false;
    std::function<void()> aoClicarDuasVezes_;
};

} // namespace talvero
