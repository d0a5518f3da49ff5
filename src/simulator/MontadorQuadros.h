#pragma once

#include <QByteArray>
#include <QStringList>

namespace talvero::sim {

// Cuts the incoming byte stream into frames "(" ... ")". Whatever lies between
// frames is line noise and is dropped; a "(" inside an unfinished frame starts
// the frame again, and a runaway frame is dropped at a length no command reaches.
class MontadorQuadros {
public:
    QStringList adiciona(const QByteArray& bytes);
    void limpa() {
        pendente_.clear();
        dentro_ = false;
    }

    static constexpr qsizetype kMaximo = 128;

private:
    QByteArray pendente_;
    bool dentro_ = false;
};

} // namespace talvero::sim
