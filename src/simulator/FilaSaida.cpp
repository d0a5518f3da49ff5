#include "simulator/FilaSaida.h"

#include <algorithm>

namespace talvero::sim {

FilaSaida::FilaSaida(std::function<void(const QByteArray&)> escreve,
                     std::function<void()> desconecta)
    : escreve_(std::move(escreve)), desconecta_(std::move(desconecta)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { despacha(); });
    desde_.start();
}

void FilaSaida::agenda(const std::vector<Trecho>& trechos) {
    const std::int64_t agora = desde_.elapsed();
    for (const Trecho& t : trechos) {
        livreEmMs_ = std::max(agora + t.atrasoMs, livreEmMs_);
        itens_.push_back({t.bytes, livreEmMs_, t.desconecta});
    }
    despacha();
}

void FilaSaida::limpa() {
    itens_.clear();
    timer_.stop();
}

void FilaSaida::despacha() {
    const std::int64_t agora = desde_.elapsed();
    while (!itens_.empty() && itens_.front().quandoMs <= agora) {
        const Item item = std::move(itens_.front());
        itens_.pop_front();
        if (item.desconecta) {
            limpa();
            desconecta_();
            return;
        }
        escreve_(item.bytes);
    }
    if (!itens_.empty()) timer_.start(int(itens_.front().quandoMs - agora));
}

} // namespace talvero::sim
