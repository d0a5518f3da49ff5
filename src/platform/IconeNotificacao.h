#pragma once

#include <QString>
#include <functional>

namespace talvero {

// The notification-area icon. Action 0 adds, 1 modifies, 2 deletes; other actions
// do nothing. Returns the platform's result (false for a duplicate add), which the
// program never uses.
class IconeNotificacao {
public:
    virtual ~IconeNotificacao() = default;
    virtual bool executa(int acao, const QString& dica) = 0;
    // False on a desktop without a notification area: a window hidden there could
    // never be brought back.
    virtual bool disponivel() const { return true; }
    // Called on a double-click of the icon.
    virtual void aoClicarDuasVezes(std::function<void()> acao) = 0;
};

} // namespace talvero
