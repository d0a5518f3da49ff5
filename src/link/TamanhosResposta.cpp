#include "link/TamanhosResposta.h"

namespace talvero::leitura {

const QString kLegendaPadrao =
    QStringLiteral("(TTTTTTLLLLLLPPPPVVCCCCBBDDHHMMNNRRRREEEEEEEEEESSKK)");
const QString kLegendaIdentFid =
    QStringLiteral("(ATTTTTTLLLLLLPPPPVVCCCCBBDDHHMMNNRRRREEEEEEEEEESSIIIIIIIIIIIIIIIIMMMMPPKK)");

bool EhTamanhoDeAbastecimento(qsizetype tamanho) {
    return tamanho == kTamanhoPadrao || tamanho == kTamanhoCurto || tamanho == kTamanhoIdentFid;
}

} // namespace talvero::leitura
