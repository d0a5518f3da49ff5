#pragma once

#include "simulator/PlanoFalhas.h"

#include <QElapsedTimer>
#include <QTimer>
#include <deque>
#include <functional>

namespace talvero::sim {

// Delivers the pieces of the core's answers on real time, in order: a piece
// never overtakes an earlier one, whatever their delays.
class FilaSaida {
public:
    FilaSaida(std::function<void(const QByteArray&)> escreve, std::function<void()> desconecta);

    void agenda(const std::vector<Trecho>& trechos);
    void limpa();

private:
    struct Item {
        QByteArray bytes;
        std::int64_t quandoMs;
        bool desconecta;
    };
    void despacha();

    std::function<void(const QByteArray&)> escreve_;
    std::function<void()> desconecta_;
    std::deque<Item> itens_;
    QTimer timer_;
    QElapsedTimer desde_;
    std::int64_t livreEmMs_ = 0;
};

} // namespace talvero::sim
