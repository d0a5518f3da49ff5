#pragma once

#include "platform/Agendador.h"
#include "platform/VigiaPasta.h"

namespace talvero {

// The folder watch of a test: it watches whatever it is asked to, and tells of
// a change only when the test says so, as an event, the way the system would.
class VigiaPastaDeTeste : public VigiaPasta {
public:
    explicit VigiaPastaDeTeste(Agendador& agendador) : agendador_(agendador) {}

    void vigia(const QString& pasta, std::function<void()> mudou,
               std::function<void(const QString& motivo)> falhou) override;
    void para() override;

    // An entry of the folder was added, removed or renamed.
    void notifica();
    // The watch is lost, as when the folder is removed.
    void perde();

    bool recusa = false; // the next watches cannot start
    QString pasta;       // being watched; empty when none
    int inicios = 0;     // watches asked for

private:
    Agendador& agendador_;
    int geracao_ = 0;
    std::function<void()> mudou_;
    std::function<void(const QString&)> falhou_;
};

} // namespace talvero
