#pragma once

#include <QString>

namespace talvero {

// The fixed-width fueling answers of the concentrator. The length alone says the
// layout; the IdentFid layout is the standard one shifted right by one letter,
// followed by the card.
namespace leitura {

constexpr int kTamanhoPadrao = 52;
constexpr int kTamanhoCurto = 34; // standard fields up to the minute, no totalizer
constexpr int kTamanhoIdentFid = 75;
constexpr int kTamanhoSemAbastecimento = 3; // "(0)"

extern const QString kLegendaPadrao; // "(TTTTTTLLLLLLPPPPVVCCCCBBDDHHMMNNRRRREEEEEEEEEESSKK)"
extern const QString
    kLegendaIdentFid; // "(ATTTTTTLLLLLLPPPPVVCCCCBBDDHHMMNNRRRREEEEEEEEEESSIIIIIIIIIIIIIIIIMMMMPPKK)"

bool EhTamanhoDeAbastecimento(qsizetype tamanho);

} // namespace leitura

} // namespace talvero
