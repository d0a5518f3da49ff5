#pragma once

#include <QString>
#include <cstdint>

namespace talvero {

// One queued notification message, as the sibling mail program reads it.
struct MensagemEmailCampos {
    std::int16_t Empresa = 0;
    std::int32_t Numero = 0;
    QString NomeEmpresa;
    QString NomeRemetente;
    QString EmailRemetente;
    QString EmailDestinatario;
    QString Assunto;
    QString Mensagem;
    QString DataHora1;
    QString DataHora2;
    QString EnderecoIp;
    int Situacao = 0;
    bool Concluido = false;
};

} // namespace talvero
