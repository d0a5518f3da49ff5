#include "store/MensagemEmail.h"

#include "store/Valores.h"

namespace talvero {

namespace {

const QString kSemChave =
    QStringLiteral("NomeEmpresa, NomeRemetente, EmailRemetente, EmailDestinatario, Assunto, "
                   "Mensagem, DataHora1, DataHora2, "
                   "EnderecoIp, Situacao, Concluido");

} // namespace

QVariantList MensagemEmail::valoresSemChave() const {
    using valores::deTexto;
    return {deTexto(NomeEmpresa),
            deTexto(NomeRemetente),
            deTexto(EmailRemetente),
            deTexto(EmailDestinatario),
            deTexto(Assunto),
            deTexto(Mensagem),
            deTexto(DataHora1),
            deTexto(DataHora2),
            deTexto(EnderecoIp),
            Situacao,
            Concluido};
}

bool MensagemEmail::Localiza(std::int16_t empresa, std::int32_t numero) {
    QSqlQuery q = conexao_->executa(
        QStringLiteral("MensagemEmail.Localiza"),
        QStringLiteral(
            "SELECT Empresa, Numero, %1 FROM MensagemEmail WHERE Empresa = ? AND Numero = ?")
            .arg(kSemChave),
        {empresa, numero});
    if (!q.next()) return false;
    using namespace valores;
    MensagemEmail m(*conexao_);
    m.Empresa = int16(q, 0);
    m.Numero = int32(q, 1);
    m.NomeEmpresa = texto(q, 2);
    m.NomeRemetente = texto(q, 3);
    m.EmailRemetente = texto(q, 4);
    m.EmailDestinatario = texto(q, 5);
    m.Assunto = texto(q, 6);
    m.Mensagem = texto(q, 7);
    m.DataHora1 = texto(q, 8);
    m.DataHora2 = texto(q, 9);
    m.EnderecoIp = texto(q, 10);
    m.Situacao = int32(q, 11);
    m.Concluido = logico(q, 12);
    *this = m;
    return true;
}

// The number is taken inside the insert itself; when another program takes the
// same number at the same moment the insert finds the key taken and tries again.
bool MensagemEmail::Inclui() {
    const QString sql = QStringLiteral("INSERT INTO MensagemEmail (Empresa, Numero, %1) "
                                       "SELECT ?, COALESCE(MAX(Numero), 0) + 1, ?, ?, ?, ?, ?, ?, "
                                       "?, ?, ?, ?, ? FROM MensagemEmail WHERE Empresa = ? "
                                       "ON CONFLICT DO NOTHING RETURNING Numero")
                            .arg(kSemChave);
    for (int tentativa = 0; tentativa < 5; ++tentativa) {
        QSqlQuery q =
            conexao_->executa(QStringLiteral("MensagemEmail.Inclui"), sql,
                              QVariantList{Empresa} + valoresSemChave() + QVariantList{Empresa});
        if (q.next()) {
            const std::int32_t numero = valores::int32(q, 0);
            conexao_->conclui(QStringLiteral("MensagemEmail.Inclui"), q);
            Numero = numero;
            return true;
        }
    }
    return false;
}

bool MensagemEmail::Altera(std::int16_t empresa, std::int32_t numero) {
    QString atribuicoes = kSemChave;
    atribuicoes.replace(QStringLiteral(", "), QStringLiteral(" = ?, "));
    QSqlQuery q = conexao_->executa(
        QStringLiteral("MensagemEmail.Altera"),
        QStringLiteral("UPDATE MensagemEmail SET %1 = ? WHERE Empresa = ? AND Numero = ?")
            .arg(atribuicoes),
        valoresSemChave() + QVariantList{empresa, numero});
    return q.numRowsAffected() > 0;
}

} // namespace talvero
