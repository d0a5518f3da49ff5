#include "simulator/RitmoLinha.h"

#include <algorithm>
#include <cmath>

namespace talvero::sim {

namespace {

constexpr int kBitsPorCaractere = 10;
constexpr qsizetype kBytesPorEscrita = 8;

} // namespace

RitmoLinha RitmoLinha::daVelocidade(int baud) {
    if (baud <= 0) return {};
    return {1000.0 * kBitsPorCaractere / baud, kBytesPorEscrita};
}

std::int64_t RitmoLinha::duracaoMs(qsizetype caracteres) const {
    // The small margin keeps a whole number of milliseconds from rounding up a step.
    return std::int64_t(std::ceil(double(caracteres) * msPorCaractere - 1e-9));
}

std::vector<Parcela> CronogramaSaida::agenda(std::int64_t chegouMs,
                                             const std::vector<Trecho>& trechos) {
    std::vector<Parcela> parcelas;
    bool primeiro = true;
    for (const Trecho& t : trechos) {
        const std::int64_t inicio =
            primeiro ? std::max(chegouMs + t.pausaMs, livreEmMs_) : livreEmMs_ + t.pausaMs;
        primeiro = false;
        livreEmMs_ = inicio + ritmo_.duracaoMs(t.bytes.size());
        if (t.desconecta || t.bytes.isEmpty()) {
            parcelas.push_back({t.bytes, inicio, t.desconecta});
            continue;
        }
        const qsizetype passo =
            ritmo_.bytesPorEscrita > 0 ? ritmo_.bytesPorEscrita : t.bytes.size();
        for (qsizetype de = 0; de < t.bytes.size(); de += passo) {
            const qsizetype ate = std::min(de + passo, t.bytes.size());
            parcelas.push_back({t.bytes.mid(de, ate - de), inicio + ritmo_.duracaoMs(ate), false});
        }
    }
    return parcelas;
}

} // namespace talvero::sim
