#include "store/AbastecimentoRejeitado.h"

#include "store/Valores.h"

namespace talvero {

bool AbastecimentoRejeitado::Inclui() {
    using namespace valores;
    QSqlQuery q = conexao_->executa(
        QStringLiteral("AbastecimentoRejeitado.Inclui"),
        QStringLiteral("INSERT INTO AbastecimentoRejeitado (Empresa, DataHoraRecebido, RegistroAutomacao, Erro, Passo) "
                       "VALUES (?, ?, ?, ?, ?) RETURNING Id"),
        {Empresa, deDataHora(DataHoraRecebido), deTexto(RegistroAutomacao), deTexto(Erro), deTexto(Passo)});
    if (!q.next()) return false;
    const std::int64_t id = int64(q, 0);
    conexao_->conclui(QStringLiteral("AbastecimentoRejeitado.Inclui"), q);
    Id = id;
    return true;
}

bool AbastecimentoRejeitado::Localiza(std::int16_t empresa, const QString& registroAutomacao) {
    using namespace valores;
    QSqlQuery q = conexao_->executa(
        QStringLiteral("AbastecimentoRejeitado.Localiza"),
        QStringLiteral("SELECT Id, DataHoraRecebido, Erro, Passo FROM AbastecimentoRejeitado "
                       "WHERE Empresa = ? AND RegistroAutomacao = ? ORDER BY Id DESC LIMIT 1"),
        {empresa, deTexto(registroAutomacao)});
    if (!q.next()) return false;
    Id = int64(q, 0);
    Empresa = empresa;
    DataHoraRecebido = dataHora(q, 1);
    RegistroAutomacao = registroAutomacao;
    Erro = texto(q, 2);
    Passo = texto(q, 3);
    return true;
}

QList<AbastecimentoRejeitado> AbastecimentoRejeitado::Lista(Conexao& conexao) {
    QSqlQuery q = conexao.executa(
        QStringLiteral("AbastecimentoRejeitado.Lista"),
        QStringLiteral("SELECT Id, Empresa, DataHoraRecebido, RegistroAutomacao, Erro, Passo "
                       "FROM AbastecimentoRejeitado ORDER BY Id"));
    QList<AbastecimentoRejeitado> r;
    while (q.next()) {
        using namespace valores;
        AbastecimentoRejeitado a(conexao);
        a.Id = int64(q, 0);
        a.Empresa = int16(q, 1);
        a.DataHoraRecebido = dataHora(q, 2);
        a.RegistroAutomacao = texto(q, 3);
        a.Erro = texto(q, 4);
        a.Passo = texto(q, 5);
        r.append(a);
    }
    return r;
}

} // namespace talvero
