#include "cycle/CicloAutomacao.h"

namespace talvero {

CicloAutomacao::Leitura CicloAutomacao::AutoAtualizaAbastecimento(const QString& pAbastecimento) {
    LeitorAbastecimento leitor({d_.registro, d_.configuracao, d_.bicoAutomacao, d_.bico, d_.produto, d_.estoque});
    const Leitura leitura = leitor.AutoAtualizaAbastecimento(pAbastecimento, d_.relogio.agora(), abastecimento);
    lPassoDebugarErroAbast = leitor.lPassoDebugarErroAbast;
    ultimoErro_ = leitor.ultimoErro();
    return leitura;
}

} // namespace talvero
