#include "ConfereEncerrantes.h"

#include "estacao/Estacao.h"
#include "store/ConferenciaEncerrantes.h"
#include "store/GravacaoAbastecimento.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <map>
#include <set>

namespace talvero::soak {

namespace {

using sim::AbastecimentoSimulado;

// Only the two readings at the ends of a gap are cut to hundredths, each by less
// than 0.01 L, so the gap misses the litres between them by less than that.
const Moeda kArredondamento = Moeda::deDezMilesimos(100);

enum class Destino { Gravado, Manual, Quarentena, Perdido };

QString registroDe(const QString& resposta) {
    return resposta.left(GravacaoAbastecimento::kTamanhoRegistroAutomacao);
}

QString chave(int bico, const QDate& data, const QTime& hora) {
    return QStringLiteral("%1 %2 %3")
        .arg(bico)
        .arg(data.toString(Qt::ISODate), hora.toString(Qt::ISODate));
}

using Par =
    std::pair<std::int64_t, std::int64_t>; // the stored fuelings before and after, by ledger id

struct Guardado {
    QDate data;
    QTime hora;
    std::int64_t id;
    bool antes(const Guardado& o) const {
        return std::pair(data, hora) < std::pair(o.data, o.hora);
    }
};

struct Esperada {
    Moeda litros;
    bool achada = false;
};

class Conferencia {
public:
    explicit Conferencia(teste::Estacao& e) : e_(e), livro_(e.nucleo.livro()) {}
    ConferenciaEncerrantes confere();

private:
    void classifica();
    void esperaLacunas();
    Moeda passoNoLivro(int bico, std::int64_t anterior, std::int64_t posterior);
    void confereDia(const QDate& dia);
    std::int64_t idDe(const encerrantes::Leitura& l, std::int16_t bico) const;
    QString descreve(const encerrantes::Lacuna& l) const;

    teste::Estacao& e_;
    const sim::LivroAbastecimentos& livro_;
    ConferenciaEncerrantes r_;
    std::vector<Destino> destino_;            // by ledger id - 1
    QHash<QString, std::int64_t> idPorChave_; // stored (bico, data, hora) -> ledger id
    std::map<Par, Esperada> esperadas_;
    std::set<QDate> dias_;
    std::set<int> bicosVistos_;
    std::map<int, std::vector<Guardado>> porBico_; // the stored fuelings of each nozzle
};

// Where each fueling of the ledger ended: stored (the first of identical answers),
// pumped by hand, in quarantine as some delivery of it reached the agent, or lost.
void Conferencia::classifica() {
    QHash<QString, Abastecimento> gravados;
    for (const Abastecimento& a : e_.abastecimentos())
        gravados.insert(a.RegistroAutomacao, a);
    QSet<QString> rejeitados;
    for (const AbastecimentoRejeitado& r : e_.rejeitados())
        rejeitados.insert(r.RegistroAutomacao);
    QSet<std::int64_t> emQuarentena;
    for (const auto& ev : livro_.eventos())
        if (ev.evento == sim::EventoLivro::Entregue && rejeitados.contains(registroDe(ev.resposta)))
            emQuarentena.insert(ev.id);

    for (const AbastecimentoSimulado& a : livro_.abastecimentos()) {
        Destino d = Destino::Perdido;
        if (a.manual)
            d = Destino::Manual;
        else if (const auto g = gravados.constFind(registroDe(a.resposta)); g != gravados.cend()) {
            const QString k = chave(g->Bico, g->Data, g->Hora);
            if (!idPorChave_.contains(k)) {
                idPorChave_.insert(k, a.id);
                dias_.insert(g->Data);
                if (g->Encerrante != Moeda()) porBico_[g->Bico].push_back({g->Data, g->Hora, a.id});
                d = Destino::Gravado;
            }
        } else if (emQuarentena.contains(a.id)) {
            d = Destino::Quarentena;
        }
        destino_.push_back(d);
        r_.manuais += a.manual ? 1 : 0;
    }
}

// The report chains each nozzle's stored fuelings by its counter, which is the
// order the ledger has them in, whatever the clock said: between two neighbours
// it owes a gap of the litres the counter ran beyond them.
void Conferencia::esperaLacunas() {
    for (auto& [bico, guardados] : porBico_) {
        std::sort(guardados.begin(), guardados.end(),
                  [](const Guardado& a, const Guardado& b) { return a.id < b.id; });
        for (std::size_t i = 1; i < guardados.size(); ++i) {
            if (guardados[i].antes(guardados[i - 1])) ++r_.foraDeOrdem;
            if (const Moeda p = passoNoLivro(bico, guardados[i - 1].id, guardados[i].id);
                p != Moeda())
                esperadas_[{guardados[i - 1].id, guardados[i].id}] = {p, false};
        }
    }
}

// Only manual and quarantined fuelings may lie between two stored ones: a lost
// one leaves its gap unexplained.
Moeda Conferencia::passoNoLivro(int bico, std::int64_t anterior, std::int64_t posterior) {
    const auto& todos = livro_.abastecimentos();
    Moeda semRegistro;
    for (std::int64_t id = anterior + 1; id < posterior; ++id) {
        const AbastecimentoSimulado& a = todos[std::size_t(id - 1)];
        const Destino d = destino_[std::size_t(id - 1)];
        if (teste::bicoDoCodigo(a.codigoBico) == bico &&
            (d == Destino::Manual || d == Destino::Quarentena))
            semRegistro = semRegistro + a.litros;
    }
    return semRegistro;
}

std::int64_t Conferencia::idDe(const encerrantes::Leitura& l, std::int16_t bico) const {
    return idPorChave_.value(chave(bico, l.data, l.hora), 0);
}

QString Conferencia::descreve(const encerrantes::Lacuna& l) const {
    return QStringLiteral("bico %1 de %2 %3 (livro %4) a %5 %6 (livro %7): %8 L")
        .arg(l.bico)
        .arg(l.anterior.data.toString(Qt::ISODate), l.anterior.hora.toString(Qt::ISODate))
        .arg(idDe(l.anterior, l.bico))
        .arg(l.posterior.data.toString(Qt::ISODate), l.posterior.hora.toString(Qt::ISODate))
        .arg(idDe(l.posterior, l.bico))
        .arg(l.litros.textoPonto(3));
}

void Conferencia::confereDia(const QDate& dia) {
    encerrantes::Relatorio rel;
    try {
        rel = encerrantes::calcula(e_.banco(), 1, dia, dia);
    } catch (const ErroBanco&) { // the test's connection found its server gone: opened again
        rel = encerrantes::calcula(e_.banco(), 1, dia, dia);
    }
    for (const encerrantes::Lacuna& l : rel.lacunas) {
        const auto i = esperadas_.find({idDe(l.anterior, l.bico), idDe(l.posterior, l.bico)});
        if (i == esperadas_.end() || i->second.achada) {
            r_.discrepancias << QStringLiteral("lacuna que o livro não explica: ") + descreve(l);
            continue;
        }
        i->second.achada = true;
        ++r_.lacunas;
        if ((l.litros - i->second.litros).abs() > kArredondamento)
            r_.discrepancias << QStringLiteral("lacuna de %1 L fora do livro: ")
                                        .arg(i->second.litros.textoPonto(3)) +
                                    descreve(l);
    }

    std::map<int, Moeda> litros; // the ledger's stored fuelings of the day, by nozzle
    for (const AbastecimentoSimulado& a : livro_.abastecimentos())
        if (destino_[std::size_t(a.id - 1)] == Destino::Gravado && a.relogio.date() == dia)
            litros[teste::bicoDoCodigo(a.codigoBico)] =
                litros[teste::bicoDoCodigo(a.codigoBico)] + a.litros;
    for (const encerrantes::LinhaBico& b : rel.bicos) {
        const Moeda esperado = litros[b.bico];
        litros.erase(b.bico);
        if (b.litrosAbastecimentos != esperado)
            r_.discrepancias << QStringLiteral(
                                    "relatório de %1, bico %2: %3 L abastecidos, o livro tem %4")
                                    .arg(dia.toString(Qt::ISODate))
                                    .arg(b.bico)
                                    .arg(b.litrosAbastecimentos.textoPonto(3),
                                         esperado.textoPonto(3));
        if (!bicosVistos_.insert(b.bico).second) ++r_.meiaNoite;
    }
    for (const auto& [bico, l] : litros)
        r_.discrepancias << QStringLiteral("relatório de %1 sem o bico %2 (%3 L no livro)")
                                .arg(dia.toString(Qt::ISODate))
                                .arg(bico)
                                .arg(l.textoPonto(3));
}

ConferenciaEncerrantes Conferencia::confere() {
    classifica();
    esperaLacunas();
    for (const QDate& dia : dias_)
        confereDia(dia);
    for (const auto& [par, esperada] : esperadas_)
        if (!esperada.achada)
            r_.discrepancias
                << QStringLiteral(
                       "relatório sem a lacuna de %1 L entre os abastecimentos %2 e %3 do livro")
                       .arg(esperada.litros.textoPonto(3))
                       .arg(par.first)
                       .arg(par.second);
    return r_;
}

} // namespace

ConferenciaEncerrantes confereEncerrantes(teste::Estacao& estacao) {
    return Conferencia(estacao).confere();
}

} // namespace talvero::soak
