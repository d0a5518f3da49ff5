#pragma once

#include "platform/IconeNotificacao.h"

namespace talvero {

// No notification area without a screen: the icon is never added.
class IconeSemBandeja : public IconeNotificacao {
public:
    bool executa(int, const QString&) override { return false; }
    void aoClicarDuasVezes(std::function<void()>) override {}
};

} // namespace talvero
