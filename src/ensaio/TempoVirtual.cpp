#include "ensaio/TempoVirtual.h"

#include <QTimeZone>
#include <algorithm>

namespace talvero {

namespace {
// Virtual dates are kept in UTC so that no daylight-saving jump can disturb a test.
const QTimeZone kUtc = QTimeZone::utc();
} // namespace

RelogioVirtual::RelogioVirtual(const QDateTime& inicio)
    : ms_(QDateTime(inicio.date(), inicio.time(), kUtc).toMSecsSinceEpoch()) {}

QDateTime RelogioVirtual::agora() const {
    return QDateTime::fromMSecsSinceEpoch(ms_ + ajusteMs_, kUtc);
}

struct AgendadorVirtual::Entrada {
    std::function<void()> acao;
    std::int64_t proximo = 0;
    std::uint64_t ordem = 0;
    int intervalo = 0;
    bool habilitado = false;
    bool umaVez = false;
    bool disparando = false; // a timer does not fire inside its own handler
};

class TemporizadorVirtual : public Temporizador {
public:
    TemporizadorVirtual(AgendadorVirtual& a, std::shared_ptr<AgendadorVirtual::Entrada> e)
        : agendador_(&a), entrada_(std::move(e)) {}
    ~TemporizadorVirtual() override {
        entrada_->habilitado = false;
        auto& v = agendador_->entradas_;
        v.erase(std::remove(v.begin(), v.end(), entrada_), v.end());
    }
    void setHabilitado(bool h) override {
        if (h && !entrada_->habilitado) {
            entrada_->proximo = agendador_->relogio_.ms() + entrada_->intervalo;
            entrada_->ordem = ++agendador_->sequencia_;
        }
        entrada_->habilitado = h;
    }
    bool habilitado() const override { return entrada_->habilitado; }
    int intervaloMs() const override { return entrada_->intervalo; }

private:
    AgendadorVirtual* agendador_;
    std::shared_ptr<AgendadorVirtual::Entrada> entrada_;
};

AgendadorVirtual::AgendadorVirtual(RelogioVirtual& relogio) : relogio_(relogio) {}
AgendadorVirtual::~AgendadorVirtual() = default;

std::unique_ptr<Temporizador> AgendadorVirtual::criaTemporizador(int intervaloMs,
                                                                 std::function<void()> aoDisparar) {
    auto e = std::make_shared<Entrada>();
    e->acao = std::move(aoDisparar);
    e->intervalo = std::max(1, intervaloMs);
    entradas_.push_back(e);
    return std::make_unique<TemporizadorVirtual>(*this, e);
}

void AgendadorVirtual::umaVez(int atrasoMs, std::function<void()> acao) {
    auto e = std::make_shared<Entrada>();
    e->acao = std::move(acao);
    e->proximo = relogio_.ms() + std::max(0, atrasoMs);
    e->ordem = ++sequencia_;
    e->habilitado = true;
    e->umaVez = true;
    entradas_.push_back(e);
}

std::shared_ptr<AgendadorVirtual::Entrada> AgendadorVirtual::proxima() const {
    std::shared_ptr<Entrada> melhor;
    for (const auto& e : entradas_) {
        if (!e->habilitado || e->disparando) continue;
        if (!melhor || e->proximo < melhor->proximo ||
            (e->proximo == melhor->proximo && e->ordem < melhor->ordem))
            melhor = e;
    }
    return melhor;
}

// Runs what is due by now, but not past `ate`: handlers that wait carry the
// clock on, and a timer that keeps falling due meanwhile must not run for ever.
void AgendadorVirtual::rodaVencidos(std::int64_t ate) {
    for (;;) {
        std::shared_ptr<Entrada> e = proxima();
        if (!e || e->proximo > std::min(ate, relogio_.ms())) return;
        if (e->umaVez) {
            e->habilitado = false;
            entradas_.erase(std::remove(entradas_.begin(), entradas_.end(), e), entradas_.end());
        } else {
            e->proximo = relogio_.ms() + e->intervalo;
            e->ordem = ++sequencia_;
        }
        auto acao = e->acao; // the handler may destroy its own timer
        e->disparando = true;
        struct Fim {
            Entrada& e;
            ~Fim() { e.disparando = false; }
        } fim{*e};
        acao();
    }
}

void AgendadorVirtual::processaEventos() {
    rodaVencidos(relogio_.ms());
}

void AgendadorVirtual::aguardaEventos(int maxMs) {
    const std::int64_t limite = relogio_.ms() + std::max(1, maxMs);
    const auto e = proxima();
    const std::int64_t ate = (e && e->proximo < limite) ? e->proximo : limite;
    if (ate > relogio_.ms()) relogio_.defineMs(ate);
    rodaVencidos(relogio_.ms());
}

void AgendadorVirtual::avanca(std::int64_t ms) {
    const std::int64_t alvo = relogio_.ms() + ms;
    for (;;) {
        rodaVencidos(alvo);
        const auto e = proxima();
        if (!e || e->proximo > alvo) break;
        relogio_.defineMs(std::max(relogio_.ms(), e->proximo));
    }
    if (relogio_.ms() < alvo) relogio_.defineMs(alvo);
}

void AgendadorVirtual::avancaAte(const QDateTime& momento) {
    const std::int64_t falta =
        relogio_.agora().msecsTo(QDateTime(momento.date(), momento.time(), kUtc));
    if (falta > 0) avanca(falta);
}

} // namespace talvero
