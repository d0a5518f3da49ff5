#pragma once

#include "link/EsperaResposta.h"
#include "link/PortaConcentrador.h"
#include "platform/ControleSerial.h"

#include <functional>

namespace talvero {

// The exchange over the serial control: a tick reads the answer to the request
// the tick before it sent, and sends the next request at its end. The commands
// of their own (cards, version) take the line for their whole wait.
class PortaSerial : public PortaConcentrador {
public:
    // `recomecaCiclo` is told when the line opens: the cycle starts over with the clock.
    PortaSerial(ControleSerial& serial, MeiosPorta meios, std::function<void()> recomecaCiclo)
        : s_(serial), m_(meios), espera_(meios.ambiente), recomecaCiclo_(std::move(recomecaCiclo)) {
    }

    bool abre(const QString& porta, QString& motivoFalha) override;
    bool fecha(const QString& porta) override;
    bool aceitaEndereco() const override { return false; }
    QString nome() const override { return QStringLiteral("controle serial"); }

    bool turno(VezCiclo& vez, TurnoCiclo& ciclo) override;
    QString linhaDePausa() const override {
        return QStringLiteral(" - Atualizou Hora TimerAutomacao_Timer: teste");
    }

    void acertaRelogio(const QString& quadro) override;
    void pedeAbastecimento(TurnoCiclo& ciclo) override;
    void pedeAndamento(TurnoCiclo& ciclo) override;
    std::optional<CartaoEmAndamento> pedeCartaoEmAndamento(const QString& quadro) override;

    RespostaConcentrador trocaCartao(ComandoCartao comando, const QString& quadro) override;
    // The serial line answers an erase done with "000000", as its requesters know it.
    QString posicaoApagada(const QString&) const override { return QStringLiteral("000000"); }
    QString pedeVersao(const QString& quadro) override;

    bool fazEnsaioDoIdentificador() const override { return true; }
    int apagaCartaoDeEnsaio(const QString& quadro) override;
    void descartaEntrada() override { s_.descartaEntrada(); }

    void pausa() override;
    void retoma() override;
    void libera() override { s_.setPortaAberta(false); }

    const QString& ultimoTexto() const override { return texto_; }

private:
    void abrePorta();
    // A port that became unusable (adapter unplugged, line hung up) is opened
    // again as at the start; false while it cannot be.
    bool reabrePerdida();
    bool examinaRespostaRelogio(VezCiclo& vez, TurnoCiclo& ciclo);
    void enviaPedido(VezCiclo& vez, TurnoCiclo& ciclo);
    void recebeAbastecimento(const QString& rotuloEntrada, TurnoCiclo& ciclo);
    void envia(const QString& quadro); // discards what waits, sends
    // Before an exchange of its own: the answer to the cycle's last request,
    // still on its way, is let in and thrown away so it cannot mix with ours.
    void assenta();
    int coleta(); // reads and discards what came; the byte count
    // Waits for the answer to `quadro`, just sent.
    void aguarda(std::int64_t ms, const QString& quadro);
    void registra(const QString& mensagem) { m_.ambiente.registro.registra(mensagem); }

    ControleSerial& s_;
    MeiosPorta m_;
    EsperaResposta espera_;
    std::function<void()> recomecaCiclo_;
    QString porta_;
    QString texto_;
    QString ultimoEnvio_; // what the input now answers
    std::int64_t ultimoEnvioMs_ = -1'000'000;
    bool respostaTomada_ = true; // the last frame's answer was read whole, nothing is on its way
};

} // namespace talvero
