#pragma once

#include "link/EsperaResposta.h"
#include "link/PortaConcentrador.h"
#include "platform/BibliotecaConcentrador.h"

namespace talvero {

// The exchange through the vendor library: each request is sent and its answer
// taken within the same routine, the library waiting inside.
class PortaBiblioteca : public PortaConcentrador {
public:
    PortaBiblioteca(BibliotecaConcentrador& biblioteca, MeiosPorta meios)
        : b_(biblioteca), m_(meios), espera_(meios.ambiente) {}

    bool abre(const QString& porta, QString& motivoFalha) override;
    bool fecha(const QString& porta) override;
    bool aceitaEndereco() const override { return true; }
    QString nome() const override { return QStringLiteral("biblioteca do fabricante"); }

    bool turno(VezCiclo& vez, TurnoCiclo& ciclo) override;
    QString linhaDePausa() const override { return QStringLiteral(" - Automação em Pausa"); }

    void acertaRelogio(const QString& quadro) override;
    void pedeAbastecimento(TurnoCiclo& ciclo) override;
    void pedeAndamento(TurnoCiclo& ciclo) override;
    std::optional<CartaoEmAndamento> pedeCartaoEmAndamento(const QString& quadro) override;

    RespostaConcentrador trocaCartao(ComandoCartao comando, const QString& quadro) override;
    QString posicaoApagada(const QString& posicao) const override { return posicao; }
    QString pedeVersao(const QString& quadro) override;

    bool fazEnsaioDoIdentificador() const override { return false; }
    int apagaCartaoDeEnsaio(const QString&) override { return 0; }
    void descartaEntrada() override {}

    void pausa() override {}
    void retoma() override {}
    void libera() override {}

    const QString& ultimoTexto() const override { return texto_; }

private:
    std::int16_t enviaSomente(const QString& quadro); // VB_SendText
    void recebe();                                    // what the library holds
    // The wait after `quadro` was sent; what it takes from the library is kept for recebe().
    void aguarda(int segundos, const QString& quadro, const std::function<bool()>& encurta = {});
    void troca(const QString& quadro, int esperaMs); // VB_SendReceiveText
    void registra(const QString& mensagem) { m_.ambiente.registro.registra(mensagem); }

    BibliotecaConcentrador& b_;
    MeiosPorta m_;
    EsperaResposta espera_;
    QString texto_;
    QString jaRecebido_; // taken by an adaptive wait, not yet handed on
    std::int16_t codigo_ = 0;
};

} // namespace talvero
