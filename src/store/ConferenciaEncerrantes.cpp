#include "store/ConferenciaEncerrantes.h"

#include "platform/Erro.h"
#include "store/Valores.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace talvero::encerrantes {

namespace {

constexpr std::int64_t kMilhao = 1'000'000;
constexpr std::int64_t kCemMilhoes = 100'000'000;
const Moeda kUnidadeEncerrante = Moeda::deDezMilesimos(100);
// A nozzle unused for longer has its next fueling compared with nothing.
constexpr int kDiasProcuraAnterior = 366;
// How far back the check of a fueling just stored looks for the one before it on the counter.
constexpr int kRecentes = 64;
// No pump counts beyond these; larger values in the table would overflow the sums.
const Moeda kMaximoLitros = Moeda::deInteiro(1'000'000);
const Moeda kMaximoEncerrante = Moeda::deInteiro(1'000'000'000);

const QString kColunas =
    QStringLiteral("Data, Hora, Produto, Quantidade, Encerrante, EncerranteInicial");

Leitura leitura(const QSqlQuery& q, std::int16_t bico) {
    using namespace valores;
    const Leitura l{data(q, 0), hora(q, 1), int32(q, 2), moeda(q, 3), moeda(q, 4), moeda(q, 5)};
    if (l.quantidade.abs() > kMaximoLitros || l.encerrante.abs() > kMaximoEncerrante ||
        l.encerranteInicial.abs() > kMaximoEncerrante)
        throw Erro(QStringLiteral(
                       "Valor fora da faixa no abastecimento do bico %1 de %2 %3: Quantidade=%4, "
                       "Encerrante=%5, EncerranteInicial=%6")
                       .arg(bico)
                       .arg(l.data.toString(Qt::ISODate), l.hora.toString(Qt::ISODate),
                            l.quantidade.texto(), l.encerrante.texto(),
                            l.encerranteInicial.texto()),
                   erros::Estouro);
    return l;
}

// What the counter moved from one reading to the next, across its turn.
Moeda volta(Moeda de, Moeda para) {
    return passo(de, para, de, para);
}

QString antes() {
    // The bare bound on Data lets the nozzle's index stop at that day.
    return QStringLiteral("Empresa = ? AND Bico = ? AND Data <= ? AND (Data < ? OR Hora < ?)");
}

QVariantList valoresAntes(std::int16_t empresa, std::int16_t bico, const QDate& data,
                          const QTime& hora) {
    return {empresa, bico, valores::deData(data), valores::deData(data), valores::deHora(hora)};
}

QList<Leitura> lista(QSqlQuery& q, std::int16_t bico) {
    QList<Leitura> r;
    while (q.next())
        r.append(leitura(q, bico));
    return r;
}

// "Empresa + 0": with the bare column SQLite reads the company's whole history
// through the nozzle index instead of the period through the day's.
QList<std::int16_t> bicosNoPeriodo(Conexao& c, std::int16_t empresa, const QDate& de,
                                   const QDate& ate) {
    QSqlQuery q = c.executa(
        QStringLiteral("Encerrantes.Bicos"),
        QStringLiteral("SELECT DISTINCT Bico FROM Abastecimento WHERE Data >= ? AND Data <= ? AND "
                       "Empresa + 0 = ?"),
        {valores::deData(de), valores::deData(ate), empresa});
    std::set<std::int16_t> bicos;
    while (q.next())
        bicos.insert(valores::int16(q, 0));
    return QList<std::int16_t>(bicos.begin(), bicos.end());
}

int emQuarentena(Conexao& c, std::int16_t empresa, const QDate& de, const QDate& ate) {
    QSqlQuery q = c.executa(
        QStringLiteral("Encerrantes.Quarentena"),
        QStringLiteral("SELECT COUNT(*) FROM AbastecimentoRejeitado WHERE Empresa = ? AND "
                       "DataHoraReprocessado IS NULL AND DataHoraRecebido >= ? AND "
                       "DataHoraRecebido < ?"),
        {empresa, valores::deDataHora(QDateTime(de, QTime(0, 0))),
         valores::deDataHora(QDateTime(ate.addDays(1), QTime(0, 0)))});
    return q.next() ? valores::int32(q, 0) : 0;
}

QList<Leitura> doPeriodo(Conexao& c, std::int16_t empresa, std::int16_t bico, const QDate& de,
                         const QDate& ate) {
    QSqlQuery q = c.executa(
        QStringLiteral("Encerrantes.Periodo"),
        QStringLiteral("SELECT %1 FROM Abastecimento WHERE Empresa = ? AND Bico = ? AND Data >= ? "
                       "AND Data <= ? ORDER BY Data, Hora")
            .arg(kColunas),
        {empresa, bico, valores::deData(de), valores::deData(ate)});
    return lista(q, bico);
}

// The nozzle's latest fuelings by time, oldest first.
QList<Leitura> ultimos(Conexao& c, std::int16_t empresa, std::int16_t bico) {
    QSqlQuery q =
        c.executa(QStringLiteral("Encerrantes.Ultimos"),
                  QStringLiteral("SELECT %1 FROM Abastecimento WHERE Empresa = ? AND Bico = ? "
                                 "ORDER BY Data DESC, Hora DESC LIMIT %2")
                      .arg(kColunas)
                      .arg(kRecentes),
                  {empresa, bico});
    QList<Leitura> r = lista(q, bico);
    std::reverse(r.begin(), r.end());
    return r;
}

// The nozzle's chain just before (data, hora) by time: its last fueling with a
// totalizer and the litres without one after it.
Elo eloAntes(Conexao& c, std::int16_t empresa, std::int16_t bico, const QDate& data,
             const QTime& hora) {
    Elo elo;
    // Bounded, so that a nozzle long without totalizers is not read back to its first day.
    QSqlQuery q = c.executa(
        QStringLiteral("Encerrantes.Anterior"),
        QStringLiteral("SELECT %1 FROM Abastecimento WHERE %2 AND Data >= ? AND Encerrante <> 0 "
                       "ORDER BY Data DESC, Hora DESC LIMIT 1")
            .arg(kColunas, antes()),
        valoresAntes(empresa, bico, data, hora) +
            QVariantList{valores::deData(data.addDays(-kDiasProcuraAnterior))});
    if (!q.next()) return elo;
    elo.ultima = leitura(q, bico);
    QSqlQuery sem = c.executa(QStringLiteral("Encerrantes.SemEncerrante"),
                              QStringLiteral("SELECT %1 FROM Abastecimento WHERE %2 AND Encerrante "
                                             "= 0 AND Data >= ? AND (Data > ? OR Hora > ?)")
                                  .arg(kColunas, antes()),
                              valoresAntes(empresa, bico, data, hora) +
                                  QVariantList{valores::deData(elo.ultima->data),
                                               valores::deData(elo.ultima->data),
                                               valores::deHora(elo.ultima->hora)});
    for (const Leitura& l : lista(sem, bico))
        elo.semEncerrante = elo.semEncerrante + l.quantidade;
    return elo;
}

// A fueling with a totalizer, placed on the counter: where its reading lies counted
// from the first one's, across turns, and the litres without a totalizer stored
// before it.
struct NoContador {
    Leitura leitura;
    Moeda posicao;
    Moeda semEncerranteAntes;
};

// Fuelings in time order, put in the counter's order. Chained by time, a fueling a
// clock set back put first would show gaps that cancel out.
QList<NoContador> peloContador(const QList<Leitura>& leituras) {
    QList<NoContador> r;
    Moeda sem;
    for (const Leitura& l : leituras) {
        if (!l.temEncerrante()) {
            sem = sem + l.quantidade;
            continue;
        }
        const Moeda posicao =
            r.isEmpty() ? Moeda()
                        : r.last().posicao + volta(r.last().leitura.encerrante, l.encerrante);
        r.append({l, posicao, sem});
        sem = Moeda();
    }
    std::stable_sort(r.begin(), r.end(), [](const NoContador& a, const NoContador& b) {
        return a.posicao < b.posicao;
    });
    return r;
}

using Produtos = std::map<std::int32_t, LinhaProduto>;

// One nozzle over the period, its chain read from the day before to the day
// after: a clock set back across midnight must find each fueling's neighbours on
// the counter, not on the clock.
LinhaBico confereBico(Conexao& c, std::int16_t empresa, std::int16_t bico, const QDate& de,
                      const QDate& ate, QList<Lacuna>& lacunas, Produtos& produtos) {
    const auto noPeriodo = [&](const Leitura& l) { return l.data >= de && l.data <= ate; };
    const QList<Leitura> leituras = doPeriodo(c, empresa, bico, de.addDays(-1), ate.addDays(1));
    LinhaBico linha;
    linha.bico = bico;
    for (const Leitura& l : leituras) {
        if (!noPeriodo(l)) continue;
        linha.produto = l.produto;
        linha.litrosAbastecimentos = linha.litrosAbastecimentos + l.quantidade;
        LinhaProduto& p = produtos[l.produto];
        p.produto = l.produto;
        p.litrosAbastecimentos = p.litrosAbastecimentos + l.quantidade;
    }
    const QList<NoContador> contador = peloContador(leituras);
    // A nozzle whose answers carry no totalizer has nothing to compare: its history is not
    // searched.
    if (std::none_of(contador.begin(), contador.end(),
                     [&](const NoContador& n) { return noPeriodo(n.leitura); }))
        return linha;
    Elo elo = eloAntes(c, empresa, bico, de.addDays(-1), QTime(0, 0));
    const NoContador* anterior = nullptr;
    for (const NoContador& n : contador) {
        elo.semEncerrante = elo.semEncerrante + n.semEncerranteAntes;
        const auto lacuna = encadeia(elo, bico, n.leitura);
        const NoContador* antesDeste = std::exchange(anterior, &n);
        if (!noPeriodo(n.leitura)) continue;
        // The period's first on the counter counts its own litres; each later one
        // what the counter ran since the fueling before it there, whatever its day.
        const bool primeiro = !linha.comEncerrantes;
        const Moeda contou = primeiro ? volta(n.leitura.encerranteInicial, n.leitura.encerrante)
                                      : n.posicao - antesDeste->posicao;
        if (primeiro) linha.encerranteInicial = n.leitura.encerranteInicial;
        linha.encerranteFinal = n.leitura.encerrante;
        linha.litrosEncerrantes = linha.litrosEncerrantes + contou;
        LinhaProduto& p = produtos[n.leitura.produto];
        p.litrosEncerrantes = p.litrosEncerrantes + contou;
        linha.comEncerrantes = p.comEncerrantes = true;
        if (!lacuna) continue;
        lacunas.append(*lacuna);
        ++linha.lacunas;
        ++p.lacunas;
    }
    return linha;
}

} // namespace

Moeda passo(Moeda esperado, Moeda inicial, Moeda encerranteAnterior, Moeda encerrante) {
    const Moeda milhao = Moeda::deInteiro(kMilhao);
    const bool pequeno = encerranteAnterior.abs() < milhao && encerrante.abs() < milhao;
    const std::int64_t giro = Moeda::deInteiro(pequeno ? kMilhao : kCemMilhoes).dezMilesimos();
    std::int64_t d = (inicial - esperado).dezMilesimos() % giro;
    if (d > giro / 2) d -= giro;
    if (d <= -giro / 2) d += giro;
    return Moeda::deDezMilesimos(d);
}

bool ehLacuna(Moeda passo) {
    return passo.abs() > kUnidadeEncerrante;
}

std::optional<Lacuna> encadeia(Elo& elo, std::int16_t bico, const Leitura& leitura) {
    if (!leitura.temEncerrante()) {
        elo.semEncerrante = elo.semEncerrante + leitura.quantidade;
        return std::nullopt;
    }
    std::optional<Lacuna> lacuna;
    if (elo.ultima) {
        const Moeda p = passo(elo.ultima->encerrante + elo.semEncerrante, leitura.encerranteInicial,
                              elo.ultima->encerrante, leitura.encerrante);
        if (ehLacuna(p)) lacuna = Lacuna{bico, *elo.ultima, leitura, p};
    }
    elo = {leitura, Moeda()};
    return lacuna;
}

// Read back from the database, so that a fueling another program stored meanwhile
// (talvero-dados reprocessar, say) and an agent just restarted count as they should.
std::optional<Lacuna> lacunaAoGravar(Conexao& c, std::int16_t empresa, std::int16_t bico,
                                     const Leitura& leitura) {
    if (!leitura.temEncerrante()) return std::nullopt;
    const QList<NoContador> contador = peloContador(ultimos(c, empresa, bico));
    const auto esta = std::find_if(contador.begin(), contador.end(), [&](const NoContador& n) {
        return n.leitura.data == leitura.data && n.leitura.hora == leitura.hora;
    });
    if (esta == contador.end() || esta == contador.begin()) return std::nullopt;
    Elo elo{std::prev(esta)->leitura, esta->semEncerranteAntes};
    return encadeia(elo, bico, esta->leitura);
}

Moeda Relatorio::litrosLacunas() const {
    Moeda total;
    for (const Lacuna& l : lacunas)
        total = total + l.litros.abs();
    return total;
}

Relatorio calcula(Conexao& c, std::int16_t empresa, const QDate& de, const QDate& ate) {
    Relatorio r;
    Produtos produtos;
    for (std::int16_t bico : bicosNoPeriodo(c, empresa, de, ate))
        r.bicos.append(confereBico(c, empresa, bico, de, ate, r.lacunas, produtos));
    for (const auto& [produto, linha] : produtos)
        r.produtos.append(linha);
    r.emQuarentena = emQuarentena(c, empresa, de, ate);
    return r;
}

} // namespace talvero::encerrantes
