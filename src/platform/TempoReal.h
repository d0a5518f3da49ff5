#pragma once

#include "platform/Agendador.h"
#include "platform/Relogio.h"

#include <QElapsedTimer>

namespace talvero {

class RelogioSistema : public Relogio {
public:
    RelogioSistema();
    QDateTime agora() const override;
    std::int64_t monotonicoMs() const override;

private:
    QElapsedTimer desdeInicio_;
    std::int64_t base_;
};

// Qt's event loop is the agent's one thread: QTimer and processEvents.
class AgendadorQt : public Agendador {
public:
    std::unique_ptr<Temporizador> criaTemporizador(int intervaloMs,
                                                   std::function<void()> aoDisparar) override;
    void umaVez(int atrasoMs, std::function<void()> acao) override;
    void processaEventos() override;
    void aguardaEventos(int maxMs) override;
};

} // namespace talvero
