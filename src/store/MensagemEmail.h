#pragma once

#include "store/Conexao.h"
#include "support/MensagemEmailCampos.h"

#include <QString>
#include <cstdint>

namespace talvero {

// A message queued for the station's mail program, keyed by (Empresa, Numero).
class MensagemEmail : public MensagemEmailCampos {
public:
    explicit MensagemEmail(Conexao& conexao) : conexao_(&conexao) {}

    bool Localiza(std::int16_t empresa, std::int32_t numero);
    // Inserts under the company's next number (highest + 1) and reads it back into Numero.
    bool Inclui();
    // Rewrites every property but the key of the row under that key; false when there is none.
    bool Altera(std::int16_t empresa, std::int32_t numero);

private:
    QVariantList valoresSemChave() const;

    Conexao* conexao_;
};

} // namespace talvero
