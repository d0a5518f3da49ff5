#pragma once

#include "platform/Agendador.h"
#include "platform/Relogio.h"

#include <QDateTime>
#include <cstdint>
#include <memory>
#include <vector>

namespace talvero {

// Virtual time for tests and the simulator inside them: nothing waits for real,
// time moves only when the scheduler moves it, and every run is repeatable.
class RelogioVirtual : public Relogio {
public:
    // `inicio` is read as a local date and time of the station's computer.
    explicit RelogioVirtual(const QDateTime& inicio);

    QDateTime agora() const override;
    std::int64_t monotonicoMs() const override { return ms_; }

    std::int64_t ms() const { return ms_; }
    void defineMs(std::int64_t ms) { ms_ = ms; }
    void avancaMs(std::int64_t ms) { ms_ += ms; }
    // The date and time of day jump (someone set the computer's clock); the
    // monotonic clock, and every timer on it, goes on undisturbed.
    void acertaHora(std::int64_t deltaMs) { ajusteMs_ += deltaMs; }

private:
    std::int64_t ms_;
    std::int64_t ajusteMs_ = 0;
};

class AgendadorVirtual : public Agendador {
public:
    explicit AgendadorVirtual(RelogioVirtual& relogio);
    ~AgendadorVirtual() override;

    std::unique_ptr<Temporizador> criaTemporizador(int intervaloMs,
                                                   std::function<void()> aoDisparar) override;
    void umaVez(int atrasoMs, std::function<void()> acao) override;
    void processaEventos() override;
    void aguardaEventos(int maxMs) override;

    // Moves time forward by `ms`, running every timer and single shot that falls due,
    // in order. Handlers that wait may carry time past the target.
    void avanca(std::int64_t ms);
    void avancaAte(const QDateTime& momento);

    RelogioVirtual& relogio() { return relogio_; }

    struct Entrada;

private:
    void rodaVencidos(std::int64_t ate);
    std::shared_ptr<Entrada> proxima() const;

    RelogioVirtual& relogio_;
    std::vector<std::shared_ptr<Entrada>> entradas_;
    std::uint64_t sequencia_ = 0;
    friend class TemporizadorVirtual;
};

} // namespace talvero
