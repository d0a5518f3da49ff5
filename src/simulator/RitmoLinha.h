#pragma once

#include "simulator/PlanoFalhas.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace talvero::sim {

// The pace of the concentrator's line: its character time and how many
// characters go out in one write, as a UART's buffer empties.
struct RitmoLinha {
    double msPorCaractere = 0;     // 0: no line time
    qsizetype bytesPorEscrita = 0; // 0: a piece goes whole, when its last character is through

    // 10 bits a character (start, 8 data, stop), 8 characters a write; 0 baud: no line time.
    static RitmoLinha daVelocidade(int baud);
    // Until `caracteres` characters are through, rounded up: nothing is there early.
    std::int64_t duracaoMs(qsizetype caracteres) const;
};

// One write to the line, when it is due.
struct Parcela {
    QByteArray bytes;
    std::int64_t quandoMs = 0;
    bool desconecta = false;
};

// When each write of the answers is due, the same on the virtual line of the
// tests and on the simulator's real servers. An answer's first piece starts its
// pause after its frame arrived, each further piece its pause after the one
// before has gone out; and none starts before what was scheduled earlier is
// out, so nothing overtakes.
class CronogramaSaida {
public:
    explicit CronogramaSaida(RitmoLinha ritmo = {}) : ritmo_(ritmo) {}

    std::vector<Parcela> agenda(std::int64_t chegouMs, const std::vector<Trecho>& trechos);
    // The line starts empty at `agoraMs` (reopened, or what was queued dropped).
    void esvazia(std::int64_t agoraMs) { livreEmMs_ = agoraMs; }
    const RitmoLinha& ritmo() const { return ritmo_; }

private:
    RitmoLinha ritmo_;
    std::int64_t livreEmMs_ = 0;
};

} // namespace talvero::sim
