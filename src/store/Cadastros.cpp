#include "store/Cadastros.h"

#include "platform/Erro.h"
#include "store/Valores.h"

namespace talvero {

std::int16_t BicoAutomacao::BicoDoCodigo(const QString& codigo) {
    QSqlQuery q =
        conexao_->executa(QStringLiteral("BicoAutomacao.BicoDoCodigo"),
                          QStringLiteral("SELECT Bico FROM BicoAutomacao WHERE Codigo = ?"),
                          {valores::deTexto(codigo)});
    if (!q.next())
        throw talvero::Erro(QStringLiteral("Código de bico não cadastrado: ") + codigo,
                            erros::BancoDeDados);
    return valores::int16(q, 0);
}

bool Bico::Localiza(std::int16_t empresa, std::int16_t bico) {
    QSqlQuery q = conexao_->executa(
        QStringLiteral("Bico.Localiza"),
        QStringLiteral("SELECT Produto, Complemento FROM Bico WHERE Empresa = ? AND Bico = ?"),
        {empresa, bico});
    if (!q.next()) return false;
    const std::int32_t produto = valores::int32(q, 0);
    Complemento = valores::texto(q, 1);
    Produto = produto;
    return true;
}

bool Produto::Localiza(std::int32_t produto) {
    QSqlQuery q = conexao_->executa(
        QStringLiteral("Produto.Localiza"),
        QStringLiteral("SELECT PrecoVenda FROM Produto WHERE Produto = ?"), {produto});
    if (!q.next()) return false;
    PrecoVenda = valores::moeda(q, 0);
    return true;
}

bool Estoque::Localiza(std::int16_t empresa, std::int32_t produto) {
    QSqlQuery q = conexao_->executa(
        QStringLiteral("Estoque.Localiza"),
        QStringLiteral("SELECT PrecoVenda FROM Estoque WHERE Empresa = ? AND Produto = ?"),
        {empresa, produto});
    if (!q.next()) return false;
    PrecoVenda = valores::moeda(q, 0);
    return true;
}

bool CartaoIdentFid::Localiza(std::int16_t empresa, const QString& cartao) {
    QSqlQuery q = conexao_->executa(
        QStringLiteral("CartaoIdentFid.Localiza"),
        QStringLiteral("SELECT Codigo FROM CartaoIdentFid WHERE Empresa = ? AND Cartao = ?"),
        {empresa, valores::deTexto(cartao)});
    if (!q.next()) return false;
    Codigo = valores::int32(q, 0);
    return true;
}

bool ParametroEmpresa::Localiza(std::int16_t empresa, std::int16_t numero) {
    QSqlQuery q = conexao_->executa(
        QStringLiteral("ParametroEmpresa.Localiza"),
        QStringLiteral("SELECT Valor FROM ParametroEmpresa WHERE Empresa = ? AND Numero = ?"),
        {empresa, numero});
    if (!q.next()) return false;
    Valor = valores::texto(q, 0);
    return true;
}

bool EncerranteAtual::Localiza(std::int16_t empresa, std::int16_t bico) {
    QSqlQuery q = conexao_->executa(
        QStringLiteral("EncerranteAtual.Localiza"),
        QStringLiteral("SELECT Encerrante FROM EncerranteAtual WHERE Empresa = ? AND Bico = ?"),
        {empresa, bico});
    if (!q.next()) return false;
    Encerrante = valores::moeda(q, 0);
    return true;
}

bool EncerranteAtual::Altera(std::int16_t empresa, std::int16_t bico) {
    QSqlQuery q = conexao_->executa(
        QStringLiteral("EncerranteAtual.Altera"),
        QStringLiteral("UPDATE EncerranteAtual SET Encerrante = ? WHERE Empresa = ? AND Bico = ?"),
        {valores::deMoeda(Encerrante), empresa, bico});
    return q.numRowsAffected() > 0;
}

} // namespace talvero
