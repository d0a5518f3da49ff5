#pragma once

#include "store/Conexao.h"

#include <QString>
#include <cstdint>

namespace talvero {

// A message queued for the station's mail program, keyed by (Empresa, Numero).
class MensagemEmail {
public:
    explicit MensagemEmail(Conexao& conexao) : conexao_(&conexao) {}

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
    std::int32_t Situacao = 0;
    bool Concluido = false;

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
