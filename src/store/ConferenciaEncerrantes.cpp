#include "store/ConferenciaEncerrantes.h"

#include "store/Valores.h"

#include <algorithm>
#include <map>
#include <set>

namespace talvero::encerrantes {

namespace {

constexpr std::int64_t kMilhao = 1'000'000;
constexpr std::int64_t kCemMilhoes = 100'000'000;
const Moeda kUnidadeEncerrante = Moeda::deDezMilesimos(100);
// A nozzle unused for longer has its next fueling compared with nothing.
constexpr int kDiasProcuraAnterior = 366;

const QString kColunas = QStringLiteral("Data, Hora, Produto, Quantidade, Encerrante, EncerranteInicial");

Leitura leitura(const QSqlQuery& q) {
    using namespace valores;
    return {data(q, 0), hora(q, 1), int32(q, 2), moeda(q, 3), moeda(q, 4), moeda(q, 5)};
}

// What the counter moved from one reading to the next, across its turn.
Moeda volta(Moeda de, Moeda para) { return passo(de, para, de, para); }

QString antes() {
    // The bare bound on Data lets the nozzle's index stop at that day.
    return QStringLiteral("Empresa = ? AND Bico = ? AND Data <= ? AND (Data < ? OR Hora < ?)");
}

QVariantList valoresAntes(std::int16_t empresa, std::int16_t bico, const QDate& data, const QTime& hora) {
    return {empresa, bico, valores::deData(data), valores::deData(data), valores::deHora(hora)};
}

// A fueling stored after a later one of its nozzle is not compared with the one before it by time.
bool existeDepois(Conexao& c, std::int16_t empresa, std::int16_t bico, const Leitura& l) {
    QSqlQuery q = c.executa(QStringLiteral("Encerrantes.Depois"),
                            QStringLiteral("SELECT 1 FROM Abastecimento WHERE Empresa = ? AND Bico = ? AND Data >= ? "
                                           "AND (Data > ? OR Hora > ?) LIMIT 1"),
                            {empresa, bico, valores::deData(l.data), valores::deData(l.data), valores::deHora(l.hora)});
    return q.next();
}

// The company is left out of the condition: with it, SQLite reads the company's
// whole history through the nozzle index instead of the period through the day's.
QList<std::int16_t> bicosNoPeriodo(Conexao& c, std::int16_t empresa, const QDate& de, const QDate& ate) {
    QSqlQuery q = c.executa(QStringLiteral("Encerrantes.Bicos"),
                            QStringLiteral("SELECT DISTINCT Empresa, Bico FROM Abastecimento WHERE Data >= ? AND Data <= ?"),
                            {valores::deData(de), valores::deData(ate)});
    std::set<std::int16_t> bicos;
    while (q.next())
        if (valores::int16(q, 0) == empresa) bicos.insert(valores::int16(q, 1));
    return QList<std::int16_t>(bicos.begin(), bicos.end());
}

int emQuarentena(Conexao& c, std::int16_t empresa, const QDate& de, const QDate& ate) {
    QSqlQuery q = c.executa(QStringLiteral("Encerrantes.Quarentena"),
                            QStringLiteral("SELECT COUNT(*) FROM AbastecimentoRejeitado WHERE Empresa = ? AND "
                                           "DataHoraReprocessado IS NULL AND DataHoraRecebido >= ? AND "
                                           "DataHoraRecebido < ?"),
                            {empresa, valores::deDataHora(QDateTime(de, QTime(0, 0))),
                             valores::deDataHora(QDateTime(ate.addDays(1), QTime(0, 0)))});
    return q.next() ? valores::int32(q, 0) : 0;
}

QList<Leitura> doPeriodo(Conexao& c, std::int16_t empresa, std::int16_t bico, const QDate& de, const QDate& ate) {
    QSqlQuery q = c.executa(QStringLiteral("Encerrantes.Periodo"),
                            QStringLiteral("SELECT %1 FROM Abastecimento WHERE Empresa = ? AND Bico = ? AND Data >= ? "
                                           "AND Data <= ? ORDER BY Data, Hora")
                                .arg(kColunas),
                            {empresa, bico, valores::deData(de), valores::deData(ate)});
    QList<Leitura> r;
    while (q.next()) r.append(leitura(q));
    return r;
}

// A fueling with a totalizer, placed on the counter: where its reading lies counted
// from the period's first, across turns, and the litres without a totalizer
// stored before it.
struct NoContador {
    Leitura leitura;
    Moeda posicao;
    Moeda semEncerranteAntes;
};

// The counter only goes forward, the clock does not: a concentrator clock set
// back gives a later fueling an earlier time. Chained by time, such fuelings
// would show gaps that cancel out; chained by the counter, they show none.
QList<NoContador> peloContador(const QList<Leitura>& leituras) {
    QList<NoContador> r;
    Moeda sem;
    for (const Leitura& l : leituras) {
        if (!l.temEncerrante()) {
            sem = sem + l.quantidade;
            continue;
        }
        const Moeda posicao = r.isEmpty() ? Moeda() : r.last().posicao + volta(r.last().leitura.encerrante, l.encerrante);
        r.append({l, posicao, sem});
        sem = Moeda();
    }
    std::stable_sort(r.begin(), r.end(), [](const NoContador& a, const NoContador& b) { return a.posicao < b.posicao; });
    return r;
}

LinhaBico confereBico(Conexao& c, std::int16_t empresa, std::int16_t bico, const QDate& de, const QDate& ate,
                      QList<Lacuna>& lacunas) {
    const QList<Leitura> leituras = doPeriodo(c, empresa, bico, de, ate);
    LinhaBico linha;
    linha.bico = bico;
    for (const Leitura& l : leituras) {
        linha.produto = l.produto;
        linha.litrosAbastecimentos = linha.litrosAbastecimentos + l.quantidade;
    }
    const QList<NoContador> contador = peloContador(leituras);
    // A nozzle whose answers carry no totalizer has nothing to compare: its history is not searched.
    if (contador.isEmpty()) return linha;
    const NoContador& primeiro = contador.first();
    linha.comEncerrantes = true;
    linha.encerranteInicial = primeiro.leitura.encerranteInicial;
    linha.encerranteFinal = contador.last().leitura.encerrante;
    linha.litrosEncerrantes = contador.last().posicao - primeiro.posicao +
                              volta(primeiro.leitura.encerranteInicial, primeiro.leitura.encerrante);
    Elo elo = eloAntes(c, empresa, bico, de, QTime(0, 0));
    for (const NoContador& n : contador) {
        elo.semEncerrante = elo.semEncerrante + n.semEncerranteAntes;
        if (auto lacuna = encadeia(elo, bico, n.leitura)) {
            lacunas.append(*lacuna);
            ++linha.lacunas;
        }
    }
    return linha;
}

QList<LinhaProduto> porProduto(const QList<LinhaBico>& bicos) {
    std::map<std::int32_t, LinhaProduto> produtos;
    for (const LinhaBico& b : bicos) {
        LinhaProduto& p = produtos[b.produto];
        p.produto = b.produto;
        p.comEncerrantes = p.comEncerrantes || b.comEncerrantes;
        p.litrosEncerrantes = p.litrosEncerrantes + b.litrosEncerrantes;
        p.litrosAbastecimentos = p.litrosAbastecimentos + b.litrosAbastecimentos;
        p.lacunas += b.lacunas;
    }
    QList<LinhaProduto> r;
    for (const auto& [produto, linha] : produtos) r.append(linha);
    return r;
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

bool ehLacuna(Moeda passo) { return passo.abs() > kUnidadeEncerrante; }

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

Elo eloAntes(Conexao& c, std::int16_t empresa, std::int16_t bico, const QDate& data, const QTime& hora) {
    Elo elo;
    // Bounded, so that a nozzle long without totalizers is not read back to its first day.
    QSqlQuery q = c.executa(QStringLiteral("Encerrantes.Anterior"),
                            QStringLiteral("SELECT %1 FROM Abastecimento WHERE %2 AND Data >= ? AND Encerrante <> 0 "
                                           "ORDER BY Data DESC, Hora DESC LIMIT 1")
                                .arg(kColunas, antes()),
                            valoresAntes(empresa, bico, data, hora) +
                                QVariantList{valores::deData(data.addDays(-kDiasProcuraAnterior))});
    if (!q.next()) return elo;
    elo.ultima = leitura(q);
    QSqlQuery sem = c.executa(
        QStringLiteral("Encerrantes.SemEncerrante"),
        QStringLiteral("SELECT CAST(COALESCE(SUM(Quantidade), 0) AS BIGINT) FROM Abastecimento WHERE %1 AND Encerrante = 0 AND "
                       "Data >= ? AND (Data > ? OR Hora > ?)")
            .arg(antes()),
        valoresAntes(empresa, bico, data, hora) +
            QVariantList{valores::deData(elo.ultima->data), valores::deData(elo.ultima->data),
                         valores::deHora(elo.ultima->hora)});
    if (sem.next()) elo.semEncerrante = valores::moeda(sem, 0);
    return elo;
}

std::optional<Lacuna> CadeiaEncerrantes::gravou(Conexao& c, std::int16_t empresa, std::int16_t bico,
                                                const Leitura& leitura) {
    const auto chave = std::pair(empresa, bico);
    if (const auto e = elos_.find(chave); e != elos_.end()) return encadeia(e->second, bico, leitura);
    // Its litres are in what the database gives the next one.
    if (!leitura.temEncerrante()) return std::nullopt;
    Elo elo = existeDepois(c, empresa, bico, leitura) ? Elo{} : eloAntes(c, empresa, bico, leitura.data, leitura.hora);
    const auto lacuna = encadeia(elo, bico, leitura);
    elos_[chave] = elo;
    return lacuna;
}

Moeda Relatorio::litrosLacunas() const {
    Moeda total;
    for (const Lacuna& l : lacunas) total = total + l.litros;
    return total;
}

Relatorio calcula(Conexao& c, std::int16_t empresa, const QDate& de, const QDate& ate) {
    Relatorio r;
    for (std::int16_t bico : bicosNoPeriodo(c, empresa, de, ate))
        r.bicos.append(confereBico(c, empresa, bico, de, ate, r.lacunas));
    r.produtos = porProduto(r.bicos);
    r.emQuarentena = emQuarentena(c, empresa, de, ate);
    return r;
}

} // namespace talvero::encerrantes
