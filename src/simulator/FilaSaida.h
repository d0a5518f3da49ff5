#pragma once

#include "simulator/RitmoLinha.h"

#include <QElapsedTimer>
#include <QTimer>
#include <deque>
#include <functional>

namespace talvero::sim {

// Writes the core's answers on real time, each write when the line's pace has
// it due.
class FilaSaida {
public:
    FilaSaida(RitmoLinha ritmo, std::function<void(const QByteArray&)> escreve,
              std::function<void()> desconecta);

    void agenda(const std::vector<Trecho>& trechos);
    void limpa();

private:
    void despacha();

    std::function<void(const QByteArray&)> escreve_;
    std::function<void()> desconecta_;
    CronogramaSaida cronograma_;
    std::deque<Parcela> parcelas_;
    QTimer timer_;
    QElapsedTimer desde_;
};

} // namespace talvero::sim
