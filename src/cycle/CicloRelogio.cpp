#include "cycle/CicloAutomacao.h"

namespace talvero {

// The concentrator stamps fuelings with its own day, hour and minute; month,
// year and seconds it never gets.
void CicloAutomacao::AutoAtualizaRelogioEquip() {
    EnlaceConcentrador::Reserva reserva(d_.enlace, EnlaceConcentrador::Reserva::Timer::Desligado);
    try {
        const QDateTime agora = d_.ambiente.relogio.agora();
        porta().acertaRelogio(QStringLiteral("(&H") + agora.date().toString(QStringLiteral("dd")) +
                              agora.time().toString(QStringLiteral("HHmm")) + QLatin1Char(')'));
    } catch (const Erro& e) {
        registra(QStringLiteral(" - ERRO AutoAtualizaRelogioEquip: ") + e.comNumero());
    }
}

} // namespace talvero
