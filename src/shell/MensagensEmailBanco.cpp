#include "shell/MensagensEmailBanco.h"

namespace talvero {

void MensagensEmailBanco::copiaPara(const MensagemEmailCampos& m) {
    MensagemEmail& r = registro_;
    r.Empresa = m.Empresa;
    r.Numero = m.Numero;
    r.NomeEmpresa = m.NomeEmpresa;
    r.NomeRemetente = m.NomeRemetente;
    r.EmailRemetente = m.EmailRemetente;
    r.EmailDestinatario = m.EmailDestinatario;
    r.Assunto = m.Assunto;
    r.Mensagem = m.Mensagem;
    r.DataHora1 = m.DataHora1;
    r.DataHora2 = m.DataHora2;
    r.EnderecoIp = m.EnderecoIp;
    r.Situacao = m.Situacao;
    r.Concluido = m.Concluido;
}

void MensagensEmailBanco::copiaDe(MensagemEmailCampos& m) const {
    const MensagemEmail& r = registro_;
    m.Empresa = r.Empresa;
    m.Numero = r.Numero;
    m.NomeEmpresa = r.NomeEmpresa;
    m.NomeRemetente = r.NomeRemetente;
    m.EmailRemetente = r.EmailRemetente;
    m.EmailDestinatario = r.EmailDestinatario;
    m.Assunto = r.Assunto;
    m.Mensagem = r.Mensagem;
    m.DataHora1 = r.DataHora1;
    m.DataHora2 = r.DataHora2;
    m.EnderecoIp = r.EnderecoIp;
    m.Situacao = r.Situacao;
    m.Concluido = r.Concluido;
}

bool MensagensEmailBanco::Localiza(std::int16_t empresa, std::int32_t numero, MensagemEmailCampos& m) {
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

bool MensagensEmailBanco::Altera(std::int16_t empresa, std::int32_t numero, const MensagemEmailCampos& m) {
    copiaPara(m);
    return registro_.Altera(empresa, numero);
}

} // namespace talvero
