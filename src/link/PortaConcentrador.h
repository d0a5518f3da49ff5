#pragma once

#include "link/PerdaDoEnlace.h"
#include "support/Ambiente.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace talvero {

// What the concentrator gave back for one exchange.
struct RespostaConcentrador {
    QString texto;           // the answer as read; empty when none was read
    int bytes = 0;           // bytes waiting at the line when it was read (serial line)
    std::int16_t codigo = 1; // the vendor library's return code
    bool lida = true;        // false: too little came back to read an answer at all
};

// The card identifier's table commands, each with its own wait on each link.
enum class ComandoCartao { Grava, Apaga, Le };

// A running nozzle's card as the identifier names it.
struct CartaoEmAndamento {
    QString codigoBico, cartao;
};

// Whose turn it is in the automation cycle. The numbers are the ones the cycle's
// error line prints: 0 clock due; 1 fueling request due; 2-5 status requests due;
// 6 becomes 1 within the turn; 11 clock frame sent.
class VezCiclo {
public:
    std::int16_t numero() const { return n_; }
    bool relogio() const { return n_ == kRelogio; }
    bool abastecimento() const { return n_ == kAbastecimento; }
    bool andamento() const { return n_ > kAbastecimento && n_ <= kUltimoAndamento; }
    bool pedido() const { return n_ >= kAbastecimento && n_ <= kUltimoAndamento; }
    bool transitorio() const { return n_ == kTransitorio; }
    bool relogioEnviado() const { return n_ == kRelogioEnviado; }

    void recomeca() { n_ = kRelogio; }
    void retoma() { n_ = kAbastecimento; }
    void enviouRelogio() { n_ = kRelogioEnviado; }
    void encerraAndamentos() { n_ = kUltimoAndamento; }
    void avanca() { ++n_; }
    // The fast drain: the next request asks for a fueling again, skipping the status.
    void descarrega() { n_ = kTransitorio; }

private:
    static constexpr std::int16_t kRelogio = 0, kAbastecimento = 1, kUltimoAndamento = 5,
                                  kTransitorio = 6, kRelogioEnviado = 11;
    std::int16_t n_ = kRelogio;
};

// The cycle as a link's turn drives it: the routines it runs and the meaning of a
// fueling's answer. The link decides when each request goes and its answer is read.
class TurnoCiclo {
public:
    enum class Desfecho { Confirmar, NaoGravado, PedirNovamente };

    virtual ~TurnoCiclo() = default;
    // The turn's step, named in the cycle's error line.
    virtual void marca(const char* passo) = 0;
    virtual void marcaAndamento(const char* passo) = 0;
    virtual void AutoAtualizaRelogioEquip() = 0;
    // True when a fueling was stored and acknowledged.
    virtual bool AutoPedeAbastecimento() = 0;
    virtual void AutoPedeAbastecimentoEmAndamento() = 0;
    // Stores what a fueling's answer holds; only Confirmar lets it be acknowledged.
    virtual Desfecho trataAbastecimento(const QString& resposta) = 0;
    // While fuelings keep coming and are stored, the next is asked for at once.
    virtual bool descargaRapida() const = 0;
};

// The exchanges the agent has with the concentrator, whatever carries them. Each
// adapter keeps its own waits, its own log lines and the pace of the cycle's turn.
// Operations raise talvero::Erro when the line or the library fails.
class PortaConcentrador {
public:
    virtual ~PortaConcentrador() = default;

    // Opens the configured port (a COM name, a device path or an address); false
    // with the reason when it cannot be opened.
    virtual bool abre(const QString& porta, QString& motivoFalha) = 0;
    // The window's unload; true when the program must end at once.
    virtual bool fecha(const QString& porta) = 0;
    // The port may name the concentrator's network address, not only a line.
    virtual bool aceitaEndereco() const = 0;
    // The panel's and the journal's name of the link ("controle serial").
    virtual QString nome() const = 0;

    // One tick of the automation timer, in this link's pace; false when the turn
    // ended early (clock sent, line lost).
    virtual bool turno(VezCiclo& vez, TurnoCiclo& ciclo) = 0;
    // The tick's log line while the automation is paused.
    virtual QString linhaDePausa() const = 0;

    // The cycle's exchanges, run inside its routines.
    virtual void acertaRelogio(const QString& quadro) = 0;
    virtual void pedeAbastecimento(TurnoCiclo& ciclo) = 0;
    virtual void pedeAndamento(TurnoCiclo& ciclo) = 0;
    virtual std::optional<CartaoEmAndamento> pedeCartaoEmAndamento(const QString& quadro) = 0;

    virtual RespostaConcentrador trocaCartao(ComandoCartao comando, const QString& quadro) = 0;
    // What an erase that worked tells its requester of the position.
    virtual QString posicaoApagada(const QString& posicao) const = 0;
    virtual QString pedeVersao(const QString& quadro) = 0;

    // The identifier trial writes and erases a test card only on a line of its own.
    virtual bool fazEnsaioDoIdentificador() const = 0;
    // The trial's erase: how many bytes came back.
    virtual int apagaCartaoDeEnsaio(const QString& quadro) = 0;
    // The trial leaves nothing at the line for the cycle.
    virtual void descartaEntrada() = 0;

    // The pause lets the line go; the resume takes it back with nothing waiting on it.
    virtual void pausa() = 0;
    virtual void retoma() = 0;
    // Leaves the line free for the totalizer program.
    virtual void libera() = 0;

    // The frame sent or the answer received last, for the error lines.
    virtual const QString& ultimoTexto() const = 0;

protected:
    // Every turn starts with the clock when it is due; true when that ends the turn.
    static bool relogioNaVez(VezCiclo& vez, TurnoCiclo& ciclo);
    // Then the request it is due for; true when that was a status request. A fueling
    // acknowledged under the fast drain makes the turn's next request a fueling one;
    // anything else (none waiting, not stored, not read) goes back to the normal period.
    static bool pedeOQueEDevido(VezCiclo& vez, TurnoCiclo& ciclo);
};

// What the adapters share from the agent around them.
struct MeiosPorta {
    Ambiente ambiente;
    PerdaDoEnlace& perda;
    std::function<bool()> alguemAguarda; // a request or a click waits for the link
};

} // namespace talvero
