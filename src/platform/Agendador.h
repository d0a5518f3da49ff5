#pragma once

#include <functional>
#include <memory>

namespace talvero {

// A window timer. Enabling an enabled timer changes nothing; enabling a disabled
// one starts a new interval from now. While its handler lets events run, other
// timers and clicks may run, but the same timer does not fire again until the
// handler returns; then, if its time has passed meanwhile, it fires at once.
class Temporizador {
public:
    virtual ~Temporizador() = default;
    virtual void setHabilitado(bool habilitado) = 0;
    virtual bool habilitado() const = 0;
    virtual int intervaloMs() const = 0;
};

// Timers and "let pending events run" on the one user-interface thread.
class Agendador {
public:
    virtual ~Agendador() = default;

    virtual std::unique_ptr<Temporizador> criaTemporizador(int intervaloMs,
                                                           std::function<void()> aoDisparar) = 0;

    // Runs `acao` once after `atrasoMs`.
    virtual void umaVez(int atrasoMs, std::function<void()> acao) = 0;

    // Let the events already pending run, then return.
    virtual void processaEventos() = 0;

    // Let events run for at most `maxMs`, returning early after the first batch of
    // events. Used by waits so that they do not spin the processor.
    virtual void aguardaEventos(int maxMs) = 0;
};

} // namespace talvero
