#pragma once

#include "cards/CartoesIdentFid.h"

#include <optional>

namespace talvero {

// The operator's card menu and the identifier trial of the main window. Each
// entry asks for one value, checks it, runs one card command and tells the
// outcome. A command holds the request timer off until it ends, so a request
// cannot start a second one on the same link.
class DialogosCartao {
public:
    struct Dependencias {
        CartoesIdentFid& cartoes;
        RegistroEventos& registro;
        EnlaceConcentrador& enlace;
        Operador& operador;
        Temporizador& timerArquivo;
    };

    explicit DialogosCartao(Dependencias dependencias) : d_(dependencias) {}

    void mnuIncluiCartao_Click();
    void mnuExcluiCartao_Click();
    void mnuLerCartao_Click();
    void mnuPesquisaPosicaoCartao_Click();
    void cmdLeituraIdentificador_Click();

private:
    QString pedeCartao(const char* rotina, const QString& pergunta);
    // The search's result; nothing when the operator stopped it.
    std::optional<QString> pesquisa(const QString& cartao, bool mostraMensagem);
    void naoExcluiu(const QString& cartao);
    void naoLeu(const QString& cartao);
    template <typename Comando> QString semPedidos(Comando comando);
    void ensaio();
    void apagaCartaoDeEnsaio(const QString& posicao);
    void critico(const QString& texto, const QString& titulo) {
        d_.operador.mensagem(texto, titulo, Icone::Critico);
    }
    void informa(const QString& texto, const QString& titulo) {
        d_.operador.mensagem(texto, titulo, Icone::Informacao);
    }
    void registra(const QString& mensagem) { d_.registro.registra(mensagem); }
    PortaConcentrador& porta() { return d_.enlace.porta(); }

    Dependencias d_;
};

} // namespace talvero
