#pragma once

#include "platform/CanalBytes.h"
#include "platform/Relogio.h"

#include <QDateTime>
#include <cstdint>

namespace talvero {

// When the concentrator last sent something, on any stream.
struct UltimaRecepcao {
    QDateTime quando;    // null before the first bytes
    std::int64_t ms = 0; // on the monotonic clock
};

// The streams of both transports, made through here so that every byte that
// arrives, whoever reads it, tells that the concentrator still answers.
class CanaisObservados : public FabricaCanais {
public:
    CanaisObservados(FabricaCanais& canais, const Relogio& relogio)
        : canais_(canais), relogio_(relogio) {}

    std::unique_ptr<CanalBytes> serial(const QString& porta) override;
    std::unique_ptr<CanalBytes> tcp(const QString& host, quint16 porta) override;

    const UltimaRecepcao& ultimaRecepcao() const { return ultima_; }
    void recebeu();

private:
    FabricaCanais& canais_;
    const Relogio& relogio_;
    UltimaRecepcao ultima_;
};

} // namespace talvero
