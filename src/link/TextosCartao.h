#pragma once

#include "link/PortaConcentrador.h"

#include <QString>

namespace talvero {

// The log texts of one card command, in the order its exchange writes them.
struct TextosCartao {
    QString antes, quadro, tamanho, quantidade, resultado;
};

const TextosCartao& textosCartao(ComandoCartao comando);

} // namespace talvero
