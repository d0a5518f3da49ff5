#pragma once

#include "RoteiroCanal.h"

#include <QString>
#include <functional>
#include <optional>

namespace talvero::fuzz {

// Whether the bytes are one frame the agent may send, with its exact fields and
// a checksum computed here, apart from the agent's frame builder.
bool QuadroPermitido(const QByteArray& bytes);

// The invariants of the agent's concentrator line, checked on every write:
// each write is one frame of the table (QuadroPermitido), and an "(&I)" goes out
// only for the last fueling answer the agent took off the line when that answer
// is in the database (`guardada`: stored, quarantined, or stored before).
class OraculoLinha : public RoteiroCanal::Observador {
public:
    explicit OraculoLinha(std::function<bool(const QString& resposta)> guardada)
        : guardada_(std::move(guardada)) {}

    // An acknowledgement never answers a fueling read by an earlier input.
    void novaEntrada() { ultimaResposta_.reset(); }

    void escrito(const QByteArray& bytes) override;
    void lido(const QByteArray& bytes) override;
    void descartado() override { lido_.clear(); }

private:
    void confereConfirmacao(const QByteArray& bytes);

    std::function<bool(const QString&)> guardada_;
    QByteArray lido_; // taken since the last write or discard: what the agent holds as the answer
    std::optional<QString> ultimaResposta_;
};

} // namespace talvero::fuzz
