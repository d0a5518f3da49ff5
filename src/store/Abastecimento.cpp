#include "store/Abastecimento.h"

#include "store/Valores.h"

namespace talvero {

namespace {

const QString kSemChave = QStringLiteral("TempoAbastecimento, Produto, PrecoUnitario, Quantidade, "
                                         "ValorTotal, Funcionario, Turno, NumeroCupom, "
                                         "PlacaVeiculo, Encerrante, RegistroAutomacao, Observacao, "
                                         "Motorista, ValorDesconto, EncerranteInicial, "
                                         "Complemento, Cartao, ValorParametro");
constexpr int kColunasSemChave = 18;
const QString kTodas = QStringLiteral("Empresa, Data, Hora, Bico, ") + kSemChave;

QString marcadores(int n) {
    QStringList m;
    for (int i = 0; i < n; ++i)
        m << QStringLiteral("?");
    return m.join(QStringLiteral(", "));
}

QVariantList chave(std::int16_t empresa, const QDate& data, const QTime& hora, std::int16_t bico) {
    return {empresa, valores::deData(data), valores::deHora(hora), bico};
}

} // namespace

QVariantList Abastecimento::valoresSemChave() const {
    using namespace valores;
    return {deTexto(TempoAbastecimento),
            Produto,
            deMoeda(PrecoUnitario),
            deMoeda(Quantidade),
            deMoeda(ValorTotal),
            Funcionario,
            Turno,
            NumeroCupom,
            deTexto(PlacaVeiculo),
            deMoeda(Encerrante),
            deTexto(RegistroAutomacao),
            deTexto(Observacao),
            deTexto(Motorista),
            deMoeda(ValorDesconto),
            deMoeda(EncerranteInicial),
            deTexto(Complemento),
            Cartao,
            ValorParametro};
}

void Abastecimento::carrega(const QSqlQuery& q) {
    using namespace valores;
    Abastecimento a(*conexao_); // all or nothing: a value that does not fit leaves *this untouched
    a.Empresa = int16(q, 0);
    a.Data = data(q, 1);
    a.Hora = hora(q, 2);
    a.Bico = int16(q, 3);
    a.TempoAbastecimento = texto(q, 4);
    a.Produto = int32(q, 5);
    a.PrecoUnitario = moeda(q, 6);
    a.Quantidade = moeda(q, 7);
    a.ValorTotal = moeda(q, 8);
    a.Funcionario = int32(q, 9);
    a.Turno = int32(q, 10);
    a.NumeroCupom = int32(q, 11);
    a.PlacaVeiculo = texto(q, 12);
    a.Encerrante = moeda(q, 13);
    a.RegistroAutomacao = texto(q, 14);
    a.Observacao = texto(q, 15);
    a.Motorista = texto(q, 16);
    a.ValorDesconto = moeda(q, 17);
    a.EncerranteInicial = moeda(q, 18);
    a.Complemento = texto(q, 19);
    a.Cartao = int32(q, 20);
    a.ValorParametro = int16(q, 21);
    *this = a;
}

bool Abastecimento::Localiza(std::int16_t empresa, const QDate& data, const QTime& hora,
                             std::int16_t bico) {
    QSqlQuery q = conexao_->executa(
        QStringLiteral("Abastecimento.Localiza"),
        QStringLiteral(
            "SELECT %1 FROM Abastecimento WHERE Empresa = ? AND Data = ? AND Hora = ? AND Bico = ?")
            .arg(kTodas),
        chave(empresa, data, hora, bico));
    if (!q.next()) return false;
    carrega(q);
    return true;
}

bool Abastecimento::Inclui() {
    QSqlQuery q = conexao_->executa(
        QStringLiteral("Abastecimento.Inclui"),
        QStringLiteral("INSERT INTO Abastecimento (%1) VALUES (%2) ON CONFLICT DO NOTHING")
            .arg(kTodas, marcadores(4 + kColunasSemChave)),
        chave(Empresa, Data, Hora, Bico) + valoresSemChave());
    return q.numRowsAffected() > 0;
}

bool Abastecimento::Altera(std::int16_t empresa, const QDate& data, const QTime& hora,
                           std::int16_t bico) {
    QString atribuicoes = kSemChave;
    atribuicoes.replace(QStringLiteral(", "), QStringLiteral(" = ?, "));
    QSqlQuery q = conexao_->executa(QStringLiteral("Abastecimento.Altera"),
                                    QStringLiteral("UPDATE Abastecimento SET %1 = ? WHERE Empresa "
                                                   "= ? AND Data = ? AND Hora = ? AND Bico = ?")
                                        .arg(atribuicoes),
                                    valoresSemChave() + chave(empresa, data, hora, bico));
    return q.numRowsAffected() > 0;
}

QList<Abastecimento::NoMinuto> Abastecimento::RegistrosNoMinuto(std::int16_t empresa,
                                                                const QDate& data,
                                                                const QTime& hora,
                                                                std::int16_t bico) {
    const QTime inicio(hora.hour(), hora.minute(), 0);
    QSqlQuery q = conexao_->executa(
        QStringLiteral("Abastecimento.RegistrosNoMinuto"),
        QStringLiteral(
            "SELECT Hora, RegistroAutomacao FROM Abastecimento WHERE Empresa = ? AND Data = ? AND "
            "Bico = ? AND Hora >= ? AND Hora <= ? ORDER BY Hora"),
        {empresa, valores::deData(data), bico, valores::deHora(inicio),
         valores::deHora(inicio.addSecs(59))});
    QList<NoMinuto> r;
    while (q.next())
        r.append({valores::hora(q, 0), valores::texto(q, 1)});
    return r;
}

bool Abastecimento::ExisteDesde(std::int16_t empresa, const QDate& data, const QTime& hora,
                                std::int16_t bico) {
    QSqlQuery q =
        conexao_->executa(QStringLiteral("Abastecimento.ExisteDesde"),
                          // The bare lower bound on Data lets the nozzle's index stop at that day.
                          QStringLiteral("SELECT 1 FROM Abastecimento WHERE Empresa = ? AND Bico = "
                                         "? AND Data >= ? AND (Data > ? OR "
                                         "Hora >= ?) LIMIT 1"),
                          {empresa, bico, valores::deData(data), valores::deData(data),
                           valores::deHora(QTime(hora.hour(), hora.minute(), 0))});
    return q.next();
}

bool Abastecimento::LocalizaUltimo(std::int16_t empresa) {
    QSqlQuery q =
        conexao_->executa(QStringLiteral("Abastecimento.LocalizaUltimo"),
                          QStringLiteral("SELECT %1 FROM Abastecimento WHERE Empresa = ? ORDER BY "
                                         "Data DESC, Hora DESC, Bico DESC LIMIT 1")
                              .arg(kTodas),
                          {empresa});
    if (!q.next()) return false;
    carrega(q);
    return true;
}

int Abastecimento::ContaNoDia(Conexao& conexao, std::int16_t empresa, const QDate& data) {
    QSqlQuery q = conexao.executa(
        QStringLiteral("Abastecimento.ContaNoDia"),
        QStringLiteral("SELECT COUNT(*) FROM Abastecimento WHERE Empresa = ? AND Data = ?"),
        {empresa, valores::deData(data)});
    return q.next() ? valores::int32(q, 0) : 0;
}

QList<Abastecimento> Abastecimento::Lista(Conexao& conexao) {
    QSqlQuery q = conexao.executa(
        QStringLiteral("Abastecimento.Lista"),
        QStringLiteral("SELECT %1 FROM Abastecimento ORDER BY Data, Hora, Bico, Empresa")
            .arg(kTodas));
    QList<Abastecimento> r;
    while (q.next()) {
        Abastecimento a(conexao);
        a.carrega(q);
        r.append(a);
    }
    return r;
}

} // namespace talvero
