#pragma once

#include "support/RegistroEventos.h"

#include <QString>
#include <cstdint>
#include <utility>

namespace talvero {

// A link lost (a device gone, the library failing) and not back yet. An outage is
// logged when it starts and when it ends, not at every tick.
class PerdaDoEnlace {
public:
    explicit PerdaDoEnlace(RegistroEventos& registro) : registro_(registro) {}

    bool perdida() const { return perdida_; }
    const QString& motivo() const { return motivo_; }

    void perdeu(const QString& motivo) {
        if (std::exchange(perdida_, true)) return;
        motivo_ = motivo;
        registro_.registra(
            QStringLiteral(" - Comunicação com o equipamento da automação perdida: ") + motivo);
    }
    void restabeleceu() {
        if (std::exchange(perdida_, false))
            registro_.registra(
                QStringLiteral(" - Comunicação com o equipamento da automação restabelecida"));
    }
    // Our library answers every send on a lost link with a code other than 1, and
    // takes the link up again by itself at a later send.
    void acompanhaEnvio(std::int16_t codigo) {
        if (codigo == 1)
            restabeleceu();
        else
            perdeu(QStringLiteral("lRetDll=") + QString::number(codigo));
    }

private:
    RegistroEventos& registro_;
    bool perdida_ = false;
    QString motivo_;
};

} // namespace talvero
