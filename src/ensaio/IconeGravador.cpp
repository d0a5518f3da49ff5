#include "ensaio/IconeGravador.h"

#include "platform/DicaIcone.h"

namespace talvero {

bool IconeGravador::executa(int acao, const QString& dica) {
    bool resultado = false;
    if (acao == 0 && !presente) {
        presente = resultado = true;
        dicaAtual = DicaIcone(dica);
    } else if (acao == 1 && presente) {
        resultado = true;
        dicaAtual = DicaIcone(dica);
    } else if (acao == 2 && presente) {
        presente = false;
        resultado = true;
    }
    chamadas.push_back({acao, dica, resultado});
    return resultado;
}

bool IconeGravador::clicaDuasVezes() {
    if (!presente || !aoClicarDuasVezes_) return false;
    aoClicarDuasVezes_();
    return true;
}

} // namespace talvero
