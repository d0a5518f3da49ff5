#include "tools/RelatorioEncerrantes.h"

#include <QStringList>
#include <algorithm>

namespace talvero::relatorioEncerrantes {

namespace {

using encerrantes::Lacuna;
using encerrantes::LinhaBico;
using encerrantes::LinhaProduto;
using encerrantes::Relatorio;

constexpr int kCasasEncerrante = 2;
constexpr int kCasasLitros = 3;
// The reading before a fueling is its reading after it less its litres: three decimals.
constexpr int kCasasInicial = 3;

QString virgula(Moeda v, int casas) {
    return v.textoPonto(casas).replace(QLatin1Char('.'), QLatin1Char(','));
}

QString data(const QDate& d) {
    return d.toString(QStringLiteral("dd/MM/yyyy"));
}
QString hora(const QTime& h) {
    return h.toString(QStringLiteral("HH:mm:ss"));
}

// Columns right-aligned to their widest cell.
QString tabela(const QList<QStringList>& linhas) {
    QList<qsizetype> largura;
    for (const QStringList& l : linhas)
        for (qsizetype i = 0; i < l.size(); ++i) {
            if (largura.size() <= i) largura.append(0);
            largura[i] = std::max(largura[i], l[i].size());
        }
    QString r;
    for (const QStringList& l : linhas) {
        QStringList celulas;
        for (qsizetype i = 0; i < l.size(); ++i)
            celulas << l[i].rightJustified(largura[i]);
        QString texto = celulas.join(QStringLiteral("  "));
        while (texto.endsWith(QLatin1Char(' ')))
            texto.chop(1);
        r += texto + QLatin1Char('\n');
    }
    return r;
}

QStringList linha(const LinhaBico& b) {
    const QString bico = QString::number(b.bico);
    const QString produto = QString::number(b.produto);
    if (!b.comEncerrantes)
        return {bico,      produto,   QStringLiteral("sem encerrantes"),
                QString(), QString(), virgula(b.litrosAbastecimentos, kCasasLitros),
                QString(), QString()};
    return {bico,
            produto,
            virgula(b.encerranteInicial, kCasasInicial),
            virgula(b.encerranteFinal, kCasasEncerrante),
            virgula(b.litrosEncerrantes, kCasasLitros),
            virgula(b.litrosAbastecimentos, kCasasLitros),
            virgula(b.diferenca(), kCasasLitros),
            QString::number(b.lacunas)};
}

QStringList linha(const LinhaProduto& p) {
    if (!p.comEncerrantes)
        return {QString::number(p.produto), QStringLiteral("sem encerrantes"),
                virgula(p.litrosAbastecimentos, kCasasLitros), QString(), QString()};
    return {QString::number(p.produto), virgula(p.litrosEncerrantes, kCasasLitros),
            virgula(p.litrosAbastecimentos, kCasasLitros), virgula(p.diferenca(), kCasasLitros),
            QString::number(p.lacunas)};
}

QStringList linha(const Lacuna& l) {
    return {QString::number(l.bico),
            data(l.anterior.data),
            hora(l.anterior.hora),
            virgula(l.anterior.encerrante, kCasasEncerrante),
            data(l.posterior.data),
            hora(l.posterior.hora),
            virgula(l.posterior.encerranteInicial, kCasasInicial),
            virgula(l.litros, kCasasLitros)};
}

QString periodo(const QDate& de, const QDate& ate) {
    return de == ate ? QStringLiteral("de ") + data(de)
                     : QStringLiteral("de ") + data(de) + QStringLiteral(" a ") + data(ate);
}

QString fecho(const Relatorio& r) {
    QString texto =
        r.lacunas.isEmpty()
            ? QStringLiteral(
                  "Nenhuma lacuna: cada abastecimento começa onde o anterior do bico terminou.\n")
            : QStringLiteral("%1 lacuna(s), %2 L sem abastecimento gravado (as negativas contadas "
                             "pelo tamanho).\n")
                  .arg(r.lacunas.size())
                  .arg(virgula(r.litrosLacunas(), kCasasLitros));
    if (r.emQuarentena > 0)
        texto += QStringLiteral("%1 resposta(s) do concentrador recebida(s) no período ainda em "
                                "quarentena: podem ser "
                                "abastecimentos que faltam (talvero-dados rejeitados).\n")
                     .arg(r.emQuarentena);
    return texto;
}

} // namespace

QString comoTexto(const Relatorio& r, std::int16_t empresa, const QDate& de, const QDate& ate) {
    QString t = QStringLiteral("Encerrantes %1, empresa %2\n\n").arg(periodo(de, ate)).arg(empresa);
    if (r.bicos.isEmpty())
        return t + QStringLiteral("Nenhum abastecimento no período.\n") + fecho(r);
    QList<QStringList> bicos{{"Bico", "Produto", "Encerrante inicial", "Encerrante final",
                              "Litros encerrantes", "Litros abastecimentos", "Diferença",
                              "Lacunas"}};
    for (const LinhaBico& b : r.bicos)
        bicos << linha(b);
    QList<QStringList> produtos{
        {"Produto", "Litros encerrantes", "Litros abastecimentos", "Diferença", "Lacunas"}};
    for (const LinhaProduto& p : r.produtos)
        produtos << linha(p);
    t += tabela(bicos) + QStringLiteral("\nPor produto:\n") + tabela(produtos);
    if (!r.lacunas.isEmpty()) {
        QList<QStringList> lacunas{{"Bico", "Data antes", "Hora", "Encerrante", "Data depois",
                                    "Hora", "Encerrante inicial", "Litros"}};
        for (const Lacuna& l : r.lacunas)
            lacunas << linha(l);
        t += QStringLiteral(
                 "\nLacunas (litros que saíram do bico sem abastecimento gravado; negativos: "
                 "encerrante que voltou):\n") +
             tabela(lacunas);
    }
    return t + QLatin1Char('\n') + fecho(r);
}

QString comoCsv(const Relatorio& r) {
    const auto ponto = [](Moeda v, int casas) { return v.textoPonto(casas); };
    QString csv = QStringLiteral("Bico,Produto,EncerranteInicial,EncerranteFinal,LitrosEncerrantes,"
                                 "LitrosAbastecimentos,Diferenca,Lacunas\n");
    for (const LinhaBico& b : r.bicos) {
        const bool e = b.comEncerrantes;
        csv += QStringList{QString::number(b.bico),
                           QString::number(b.produto),
                           e ? ponto(b.encerranteInicial, kCasasInicial) : QString(),
                           e ? ponto(b.encerranteFinal, kCasasEncerrante) : QString(),
                           e ? ponto(b.litrosEncerrantes, kCasasLitros) : QString(),
                           ponto(b.litrosAbastecimentos, kCasasLitros),
                           e ? ponto(b.diferenca(), kCasasLitros) : QString(),
                           QString::number(b.lacunas)}
                   .join(QLatin1Char(',')) +
               QLatin1Char('\n');
    }
    csv += QStringLiteral(
        "\nBico,DataAnterior,HoraAnterior,EncerranteAnterior,Data,Hora,EncerranteInicial,Litros\n");
    for (const Lacuna& l : r.lacunas)
        csv += QStringList{QString::number(l.bico),
                           l.anterior.data.toString(Qt::ISODate),
                           hora(l.anterior.hora),
                           ponto(l.anterior.encerrante, kCasasEncerrante),
                           l.posterior.data.toString(Qt::ISODate),
                           hora(l.posterior.hora),
                           ponto(l.posterior.encerranteInicial, kCasasInicial),
                           ponto(l.litros, kCasasLitros)}
                   .join(QLatin1Char(',')) +
               QLatin1Char('\n');
    return csv;
}

} // namespace talvero::relatorioEncerrantes
