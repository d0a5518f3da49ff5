#include "cycle/CicloAutomacao.h"

#include "link/MontaComando.h"

namespace talvero {

namespace {

constexpr std::int16_t kRelogio = 0;
constexpr std::int16_t kAbastecimento = 1;
constexpr std::int16_t kUltimoAndamento = 5;
constexpr std::int16_t kTransitorio = 6;
constexpr std::int16_t kRelogioEnviado = 11;

bool ehAndamento(std::int16_t estado) { return estado >= 2 && estado <= kUltimoAndamento; }
bool ehPedido(std::int16_t estado) { return estado >= kAbastecimento && estado <= kUltimoAndamento; }

} // namespace

CicloAutomacao::CicloAutomacao(Dependencias dependencias) : d_(std::move(dependencias)) {}

void CicloAutomacao::TimerAutomacao_Timer() {
    try {
        if (cfg().lUsarDllCompany) tickBiblioteca();
        else tickSerial();
    } catch (const Erro& e) {
        // The state stays as it was: the next tick repeats or continues from there.
        registra(QStringLiteral(" - ERRO TimerAutomacao: ") + e.descricao() + QStringLiteral(" - lTimerAutoPassoDebugarErro:") +
                 lTimerAutoPassoDebugarErro + QStringLiteral(" - lAutomacaoFlag=") + QString::number(lAutomacaoFlag) +
                 QStringLiteral(" - Err: ") + QString::number(e.numero()));
    }
}

// Every tick asks for one finished fueling and polls the status twice; the
// library waits inside the fueling request, with this timer off.
void CicloAutomacao::tickBiblioteca() {
    d_.agendador.processaEventos();
    if (d_.lAutomacaoPausada) {
        registra(QStringLiteral(" - Automação em Pausa"));
        return;
    }
    // A card command or a request is talking with the concentrator: its turn.
    if (d_.enlace.emTroca()) return;
    EnlaceConcentrador::Reserva reserva(d_.enlace);
    passoTimer("1");
    if (lAutomacaoFlag == kRelogio) {
        passoTimer("2");
        AutoAtualizaRelogioEquip();
        lAutomacaoFlag = kRelogioEnviado;
        return;
    }
    if (lAutomacaoFlag == kAbastecimento) {
        passoTimer("3");
        AutoPedeAbastecimento();
    } else if (ehAndamento(lAutomacaoFlag)) {
        passoTimer("4");
        AutoPedeAbastecimentoEmAndamento();
        lAutomacaoFlag = kUltimoAndamento;
    }
    passoTimer("5");
    if (ehPedido(lAutomacaoFlag)) {
        passoTimer("6");
        ++lAutomacaoFlag;
    } else if (lAutomacaoFlag == kRelogioEnviado) {
        lAutomacaoFlag = kAbastecimento;
    }
    passoTimer("10");
    if (lAutomacaoFlag == kTransitorio) {
        lAutomacaoFlag = kAbastecimento;
        passoTimer("11");
        AutoPedeAbastecimento();
    } else {
        passoTimer("12");
        AutoPedeAbastecimentoEmAndamento();
    }
    passoTimer("13");
    passoTimer("14");
    d_.agendador.processaEventos();
}

// Each tick reads the answer to the request the previous tick sent, and sends
// the next request at its end.
void CicloAutomacao::tickSerial() {
    d_.agendador.processaEventos();
    if (d_.lAutomacaoPausada) {
        registra(QStringLiteral(" - Atualizou Hora TimerAutomacao_Timer: teste"));
        return;
    }
    if (d_.enlace.emTroca()) return;
    EnlaceConcentrador::Reserva reserva(d_.enlace);
    if (!d_.enlace.ReabreSerialPerdida()) return;
    passoTimer("1");
    if (lAutomacaoFlag == kRelogio) {
        passoTimer("2");
        AutoAtualizaRelogioEquip();
        lAutomacaoFlag = kRelogioEnviado;
        return;
    }
    if (lAutomacaoFlag == kAbastecimento) {
        passoTimer("3");
        AutoPedeAbastecimento();
    } else if (ehAndamento(lAutomacaoFlag)) {
        passoTimer("4");
        AutoPedeAbastecimentoEmAndamento();
    }
    passoTimer("5");
    if (ehPedido(lAutomacaoFlag)) {
        passoTimer("6");
        ++lAutomacaoFlag;
    } else if (lAutomacaoFlag == kRelogioEnviado && examinaRespostaRelogio()) {
        return;
    }
    enviaPedidoSerial();
    passoTimer("13");
    passoTimer("14");
    d_.agendador.processaEventos();
}

// True when the concentrator accepted the clock; otherwise the clock is due again.
bool CicloAutomacao::examinaRespostaRelogio() {
    passoTimer("7");
    d_.enlace.coletaSerial();
    registra(QStringLiteral(" - Atualizou Hora TimerAutomacao_Timer: Input=") + texto());
    if (texto() == QLatin1String("(0)(&H)") || texto() == QLatin1String("(&H)")) {
        passoTimer("8");
        lAutomacaoFlag = kAbastecimento;
        return true;
    }
    passoTimer("9");
    lAutomacaoFlag = kRelogio;
    return false;
}

void CicloAutomacao::enviaPedidoSerial() {
    passoTimer("10");
    if (lAutomacaoFlag == kTransitorio) {
        lAutomacaoFlag = kAbastecimento;
        passoTimer("11");
        if (cfg().lUsarIdentFid) {
            texto() = MontaComando(QStringLiteral("(&A"));
            d_.enlace.enviaSerial(texto());
        } else {
            d_.enlace.enviaSerial(QStringLiteral("(&A)"));
            registra(QStringLiteral(" - TimerAutomacao: (&A)"));
        }
    } else {
        passoTimer("12");
        d_.enlace.enviaSerial(QStringLiteral("(&V)"));
    }
}

} // namespace talvero
