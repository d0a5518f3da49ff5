#pragma once

#include "cycle/LeitorAbastecimento.h"
#include "link/EnlaceConcentrador.h"
#include "platform/Agendador.h"
#include "platform/Erro.h"
#include "platform/Relogio.h"
#include "store/AbastecimentoEmTrabalho.h"
#include "store/AbastecimentoRejeitado.h"
#include "store/Cadastros.h"
#include "store/GravacaoAbastecimento.h"
#include "support/Configuracao.h"
#include "support/RegistroEventos.h"

#include <QString>
#include <cstdint>
#include <functional>

namespace talvero {

// The automation cycle: the 500 ms state machine of TimerAutomacao and the
// exchanges it runs with the concentrator (clock, finished fuelings, fuelings in
// progress). A fueling is acknowledged only after it is in the database.
class CicloAutomacao {
public:
    struct Dependencias {
        const Relogio& relogio;
        Agendador& agendador;
        RegistroEventos& registro;
        const Configuracao& configuracao;
        EnlaceConcentrador& enlace;
        Temporizador& timerAutomacao;
        const bool& lAutomacaoPausada;
        BicoAutomacao& bicoAutomacao;
        Bico& bico;
        Produto& produto;
        Estoque& estoque;
        AbastecimentoRejeitado& abastecimentoRejeitado;
        GravacaoAbastecimento& gravacao;
    };

    explicit CicloAutomacao(Dependencias dependencias);

    // 0 clock setting due; 1 fueling request due; 2-5 status requests due; 6
    // becomes 1 within the tick; 11 clock frame sent. The serial link opening sets
    // 0, the resume request 1.
    std::int16_t lAutomacaoFlag = 0;
    QString lTimerAutoPassoDebugarErro;
    QString lPassoDebugarErroAbastAndam;
    AbastecimentoEmTrabalho abastecimento;

    // Told of each fueling stored now (a repeat found stored is not news) and of
    // each answer put in quarantine.
    std::function<void(const AbastecimentoEmTrabalho&)> aoGravar;
    std::function<void()> aoPorEmQuarentena;

    void TimerAutomacao_Timer();

    void AutoAtualizaRelogioEquip();
    void AutoPedeAbastecimento();
    // Fills the working fueling from one answer received now (LeitorAbastecimento).
    using Leitura = LeitorAbastecimento::Leitura;
    Leitura AutoAtualizaAbastecimento(const QString& pAbastecimento);
    void AutoPedeAbastecimentoEmAndamento();
    // Nozzle number, "|@|", the card at that running nozzle, "|@|"; empty when no usable answer came.
    QString AutoPedeAbastecimentoEmAndamentoIdentFid();

private:
    enum class Desfecho { Confirmar, NaoGravado, PedirNovamente };

    void tickBiblioteca();
    void tickSerial();
    bool examinaRespostaRelogio();
    void enviaPedidoSerial();

    void pedeAbastecimentoBiblioteca();
    void pedeAbastecimentoSerial();
    void recebeAbastecimentoSerial(const QString& rotuloEntrada);
    Desfecho trataAbastecimento(const QString& resposta);
    bool respostaAceita(const QString& resposta);
    bool ehCopiaAtrasada(const QString& resposta);
    Desfecho guardaAbastecimento(const QString& resposta);
    bool guardaRejeitado(const QString& resposta, const Erro& erro);

    void andamentoBiblioteca();
    void andamentoSerial();
    QString resultadoCartao(const QString& codigoBico, const QString& cartao);

    void passoTimer(const char* marcador) { lTimerAutoPassoDebugarErro = QLatin1String(marcador); }
    void passoAndam(const char* marcador) { lPassoDebugarErroAbastAndam = QLatin1String(marcador); }
    void registra(const QString& mensagem) { d_.registro.registra(mensagem); }
    void habilitaTimer(bool habilitado) { d_.timerAutomacao.setHabilitado(habilitado); }
    QString& texto() { return d_.enlace.lTimerAutoString; }
    const Configuracao& cfg() const { return d_.configuracao; }

    Dependencias d_;
    LeitorAbastecimento leitor_{{d_.registro, d_.configuracao, d_.bicoAutomacao, d_.bico, d_.produto, d_.estoque}};
    // A fueling answer that did not check: taken as it stands when it comes
    // again identical, since line noise does not repeat itself.
    QString respostaNaoConferida_;
    // The answer of the fueling acknowledged last.
    QString ultimaConfirmada_;
};

} // namespace talvero
