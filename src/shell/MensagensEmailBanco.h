#pragma once

#include "store/MensagemEmail.h"
#include "support/PedidoEmail.h"

namespace talvero {

// The mail request's records on the data library's MensagemEmail.
class MensagensEmailBanco : public MensagensEmail {
public:
    explicit MensagensEmailBanco(Conexao& conexao) : registro_(conexao) {}

    bool Localiza(std::int16_t empresa, std::int32_t numero, MensagemEmailCampos& m) override;
    bool Inclui(MensagemEmailCampos& m) override;
    bool Altera(std::int16_t empresa, std::int32_t numero, const MensagemEmailCampos& m) override;

private:
    void copiaPara(const MensagemEmailCampos& m);
    void copiaDe(MensagemEmailCampos& m) const;

    MensagemEmail registro_;
};

} // namespace talvero
