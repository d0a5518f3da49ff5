#pragma once

#include "platform/Operador.h"

#include <QString>
#include <deque>
#include <functional>
#include <vector>

namespace talvero {

// The operator of a test: records every box shown and answers from queues the
// test fills. An empty queue cancels an input and answers a question No.
class OperadorRoteirizado : public Operador {
public:
    enum class Tipo { Mensagem, Entrada, Pergunta, Progresso };
    struct Exibicao {
        Tipo tipo;
        QString texto;
        QString titulo;
        Icone icone;
        QString padrao; // inputs only
    };

    void mensagem(const QString& texto, const QString& titulo, Icone icone) override;
    QString entrada(const QString& pergunta, const QString& titulo, const QString& padrao) override;
    bool pergunta(const QString& texto, const QString& titulo) override;
    std::unique_ptr<Progresso> progresso(const QString& titulo, int maximo) override;

    // Texts of the boxes shown, in order.
    std::vector<QString> textos() const;

    std::vector<Exibicao> exibidas;
    std::deque<QString> respostasEntrada;
    std::deque<bool> respostasPergunta;
    // A progress is cancelled once it has advanced this many times; never when negative.
    int cancelaProgressoApos = -1;
    // Runs while a box is "open", as events do while the real one waits for the operator.
    std::function<void(const Exibicao&)> aoExibir;

private:
    void exibe(Exibicao e);
};

} // namespace talvero
