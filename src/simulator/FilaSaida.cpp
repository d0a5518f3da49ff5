#include "simulator/FilaSaida.h"

namespace talvero::sim {

FilaSaida::FilaSaida(RitmoLinha ritmo, std::function<void(const QByteArray&)> escreve,
                     std::function<void()> desconecta)
    : escreve_(std::move(escreve)), desconecta_(std::move(desconecta)), cronograma_(ritmo) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { despacha(); });
    desde_.start();
}

void FilaSaida::agenda(const std::vector<Trecho>& trechos) {
    for (Parcela& p : cronograma_.agenda(desde_.elapsed(), trechos))
        parcelas_.push_back(std::move(p));
    despacha();
}

void FilaSaida::limpa() {
    parcelas_.clear();
    timer_.stop();
    cronograma_.esvazia(desde_.elapsed());
}

void FilaSaida::despacha() {
    const std::int64_t agora = desde_.elapsed();
    while (!parcelas_.empty() && parcelas_.front().quandoMs <= agora) {
        const Parcela p = std::move(parcelas_.front());
        parcelas_.pop_front();
        if (p.desconecta) {
            limpa();
            desconecta_();
            return;
        }
        escreve_(p.bytes);
    }
    if (!parcelas_.empty()) timer_.start(int(parcelas_.front().quandoMs - agora));
}

} // namespace talvero::sim
