#pragma once

#include "cycle/LeitorAbastecimento.h"
#include "link/EnlaceConcentrador.h"
#include "link/PortaConcentrador.h"
#include "platform/Agendador.h"
#include "platform/Erro.h"
#include "platform/Relogio.h"
#include "store/AbastecimentoEmTrabalho.h"
#include "store/AbastecimentoRejeitado.h"
#include "store/Cadastros.h"
#include "store/GravacaoAbastecimento.h"
#include "support/Ambiente.h"

#include <QString>
#include <cstdint>
#include <functional>

namespace talvero {

// The automation cycle: whose turn it is at each tick of TimerAutomacao and what
// the concentrator's answers mean (clock, finished fuelings, fuelings in
// progress). The port runs each turn in its link's own pace. A fueling is
// acknowledged only after it is in the database.
class CicloAutomacao : private TurnoCiclo {
public:
    struct Dependencias {
        Ambiente ambiente;
        EnlaceConcentrador& enlace;
        BicoAutomacao& bicoAutomacao;
        Bico& bico;
        Produto& produto;
        Estoque& estoque;
        AbastecimentoRejeitado& abastecimentoRejeitado;
        GravacaoAbastecimento& gravacao;
        // Told of each fueling stored now (a repeat found stored is not news) and
        // of each answer put in quarantine.
        std::function<void(const AbastecimentoEmTrabalho&)> aoGravar = {};
        std::function<void()> aoPorEmQuarentena = {};
    };

    explicit CicloAutomacao(Dependencias dependencias);

    void TimerAutomacao_Timer();

    // The clock is due again (the window's reset, the serial line's opening).
    void recomeca() { vez_.recomeca(); }
    // The pause stops the collection and lets the line go; the resume takes it
    // back with a fueling request due.
    void pausa();
    void retoma();
    bool pausada() const { return pausada_; }

    void AutoAtualizaRelogioEquip() override;
    bool AutoPedeAbastecimento() override;
    // Fills the working fueling from one answer received now (LeitorAbastecimento).
    using Leitura = LeitorAbastecimento::Leitura;
    Leitura AutoAtualizaAbastecimento(const QString& pAbastecimento);
    void AutoPedeAbastecimentoEmAndamento() override;
    // Nozzle number, "|@|", the card at that running nozzle, "|@|"; empty when no usable answer
    // came.
    QString AutoPedeAbastecimentoEmAndamentoIdentFid();

    const AbastecimentoEmTrabalho& abastecimento() const { return abastecimento_; }
    const QString& lPassoDebugarErroAbastAndam() const { return passoAndamento_; }

private:
    void marca(const char* passo) override { passoTimer_ = QLatin1String(passo); }
    void marcaAndamento(const char* passo) override { passoAndamento_ = QLatin1String(passo); }
    Desfecho trataAbastecimento(const QString& resposta) override;
    bool descargaRapida() const override { return cfg().lDescargaRapida; }

    bool respostaAceita(const QString& resposta);
    bool ehCopiaAtrasada(const QString& resposta);
    Desfecho guardaAbastecimento(const QString& resposta);
    bool guardaRejeitado(const QString& resposta, const Erro& erro);
    QString resultadoCartao(const CartaoEmAndamento& c);

    void registra(const QString& mensagem) { d_.ambiente.registro.registra(mensagem); }
    PortaConcentrador& porta() { return d_.enlace.porta(); }
    const Configuracao& cfg() const { return d_.ambiente.configuracao; }

    Dependencias d_;
    VezCiclo vez_;
    bool pausada_ = false;
    QString passoTimer_;     // lTimerAutoPassoDebugarErro
    QString passoAndamento_; // lPassoDebugarErroAbastAndam
    AbastecimentoEmTrabalho abastecimento_;
    LeitorAbastecimento leitor_{{d_.ambiente.registro, d_.ambiente.configuracao, d_.bicoAutomacao,
                                 d_.bico, d_.produto, d_.estoque}};
    // A fueling answer that did not check: taken as it stands when it comes
    // again identical, since line noise does not repeat itself.
    QString respostaNaoConferida_;
    // The answer of the fueling acknowledged last.
    QString ultimaConfirmada_;
    bool confirmouNaVez_ = false; // this request's fueling may be acknowledged
};

} // namespace talvero
