#include "cycle/CicloAutomacao.h"

namespace talvero {

CicloAutomacao::Leitura CicloAutomacao::AutoAtualizaAbastecimento(const QString& pAbastecimento) {
    return leitor_.AutoAtualizaAbastecimento(pAbastecimento, d_.ambiente.relogio.agora(),
                                             abastecimento_);
}

} // namespace talvero
