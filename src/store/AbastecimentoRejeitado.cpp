#include "store/AbastecimentoRejeitado.h"

#include "store/Valores.h"

namespace talvero {

bool AbastecimentoRejeitado::Inclui() {
    using namespace valores;
    QSqlQuery q =
        conexao_->executa(QStringLiteral("AbastecimentoRejeitado.Inclui"),
                          QStringLiteral("INSERT INTO AbastecimentoRejeitado (Empresa, "
                                         "DataHoraRecebido, RegistroAutomacao, Erro, Passo) "
                                         "VALUES (?, ?, ?, ?, ?) RETURNING Id"),
                          {Empresa, deDataHora(DataHoraRecebido), deTexto(RegistroAutomacao),
                           deTexto(Erro), deTexto(Passo)});
    if (!q.next()) return false;
    const std::int64_t id = int64(q, 0);
    conexao_->conclui(QStringLiteral("AbastecimentoRejeitado.Inclui"), q);
    Id = id;
    return true;
}

bool AbastecimentoRejeitado::Altera(std::int64_t id) {
    using namespace valores;
    const QVariant bico =
        Reprocessado() ? QVariant(BicoAbastecimento) : QVariant(QMetaType::fromType<int>());
    QSqlQuery q = conexao_->executa(
        QStringLiteral("AbastecimentoRejeitado.Altera"),
        QStringLiteral(
            "UPDATE AbastecimentoRejeitado SET Erro = ?, Passo = ?, DataHoraReprocessado = ?, "
            "DataAbastecimento = ?, HoraAbastecimento = ?, BicoAbastecimento = ? WHERE Id = ?"),
        {deTexto(Erro), deTexto(Passo), deDataHora(DataHoraReprocessado), deData(DataAbastecimento),
         deHora(HoraAbastecimento), bico, QVariant::fromValue<qlonglong>(id)});
    return q.numRowsAffected() > 0;
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

int AbastecimentoRejeitado::ContaAguardando(Conexao& conexao, std::int16_t empresa) {
    QSqlQuery q =
        conexao.executa(QStringLiteral("AbastecimentoRejeitado.ContaAguardando"),
                        QStringLiteral("SELECT COUNT(*) FROM AbastecimentoRejeitado WHERE Empresa "
                                       "= ? AND DataHoraReprocessado IS NULL"),
                        {empresa});
    return q.next() ? valores::int32(q, 0) : 0;
}

QList<AbastecimentoRejeitado> AbastecimentoRejeitado::Lista(Conexao& conexao) {
    QSqlQuery q =
        conexao.executa(QStringLiteral("AbastecimentoRejeitado.Lista"),
                        QStringLiteral("SELECT Id, Empresa, DataHoraRecebido, RegistroAutomacao, "
                                       "Erro, Passo, DataHoraReprocessado, "
                                       "DataAbastecimento, HoraAbastecimento, BicoAbastecimento "
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
        a.DataHoraReprocessado = dataHora(q, 6);
        a.DataAbastecimento = data(q, 7);
        a.HoraAbastecimento = hora(q, 8);
        a.BicoAbastecimento = int16(q, 9);
        r.append(a);
    }
    return r;
}

} // namespace talvero
