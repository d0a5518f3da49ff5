#include "cycle/CicloAutomacao.h"

namespace talvero {

CicloAutomacao::CicloAutomacao(Dependencias dependencias) : d_(std::move(dependencias)) {}

void CicloAutomacao::TimerAutomacao_Timer() {
    try {
        d_.ambiente.agendador.processaEventos();
        if (pausada_) {
            registra(porta().linhaDePausa());
            return;
        }
        // A card command or a request is talking with the concentrator: its turn.
        if (d_.enlace.emTroca()) return;
        EnlaceConcentrador::Reserva reserva(d_.enlace);
        if (!porta().turno(vez_, *this)) return;
        marca("13");
        marca("14");
        d_.ambiente.agendador.processaEventos();
    } catch (const Erro& e) {
        // The turn stays as it was: the next tick repeats or continues from there.
        registra(QStringLiteral(" - ERRO TimerAutomacao: ") + e.descricao() +
                 QStringLiteral(" - lTimerAutoPassoDebugarErro:") + passoTimer_ +
                 QStringLiteral(" - lAutomacaoFlag=") + QString::number(vez_.numero()) +
                 QStringLiteral(" - Err: ") + QString::number(e.numero()));
    }
}

void CicloAutomacao::pausa() {
    porta().pausa();
    pausada_ = true;
}

void CicloAutomacao::retoma() {
    vez_.retoma();
    porta().retoma();
    pausada_ = false;
}

} // namespace talvero
