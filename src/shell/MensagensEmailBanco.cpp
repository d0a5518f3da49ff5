#include "shell/MensagensEmailBanco.h"

namespace talvero {

// The record is the fields plus its connection: copying the fields is enough.
void MensagensEmailBanco::copiaPara(const MensagemEmailCampos& m) {
    static_cast<MensagemEmailCampos&>(registro_) = m;
}

void MensagensEmailBanco::copiaDe(MensagemEmailCampos& m) const {
    m = registro_;
}

bool MensagensEmailBanco::Localiza(std::int16_t empresa, std::int32_t numero,
                                   MensagemEmailCampos& m) {
    if (!registro_.Localiza(empresa, numero)) return false;
    copiaDe(m);
    return true;
}

bool MensagensEmailBanco::Inclui(MensagemEmailCampos& m) {
    copiaPara(m);
    const bool incluido = registro_.Inclui();
    if (incluido) m.Numero = registro_.Numero;
    return incluido;
}

bool MensagensEmailBanco::Altera(std::int16_t empresa, std::int32_t numero,
                                 const MensagemEmailCampos& m) {
    copiaPara(m);
    return registro_.Altera(empresa, numero);
}

} // namespace talvero
