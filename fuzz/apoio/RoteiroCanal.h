#pragma once

#include "platform/CanalBytes.h"
#include "platform/TempoVirtual.h"

#include <QByteArray>
#include <deque>

namespace talvero::fuzz {

// The concentrator's side of every line, played from a fuzzer input: one answer
// per line of the input, the next one let in by each frame written. A line
// starting with a tab is the rest of the answer before it, arriving a moment later.
class RoteiroCanal : public FabricaCanais {
public:
    void liga(RelogioVirtual& relogio) { relogio_ = &relogio; }
    void define(const QByteArray& roteiro);

    std::unique_ptr<CanalBytes> serial(int porta) override;
    std::unique_ptr<CanalBytes> tcp(const QString& host, quint16 porta) override;

private:
    class Canal;
    struct Trecho {
        QByteArray bytes;
        bool continua;
    };
    RelogioVirtual* relogio_ = nullptr;
    std::deque<Trecho> trechos_;
};

} // namespace talvero::fuzz
