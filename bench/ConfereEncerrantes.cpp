#include "ConfereEncerrantes.h"

#include "estacao/Estacao.h"
#include "store/ConferenciaEncerrantes.h"
#include "store/GravacaoAbastecimento.h"

#include <QHash>
#include <QSet>
#include <map>
#include <set>

namespace talvero::soak {

namespace {

using sim::AbastecimentoSimulado;

// Only the two readings at the ends of a gap are cut to hundredths, each by less
// than 0.01 L, so the gap misses the litres between them by less than that.
const Moeda kArredondamento = Moeda::deDezMilesimos(100);

enum class Destino { Gravado, Manual, Quarentena, Perdido };

QString registroDe(const QString& resposta) { return resposta.left(GravacaoAbastecimento::kTamanhoRegistroAutomacao); }

QString chave(int bico, const QDate& data, const QTime& hora) {
    return QStringLiteral("%1 %2 %3").arg(bico).arg(data.toString(Qt::ISODate), hora.toString(Qt::ISODate));
}

using Par = std::pair<std::int64_t, std::int64_t>;  // the stored fuelings before and after, by ledger id

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
    void confereDia(const QDate& dia);
    std::int64_t idDe(const encerrantes::Leitura& l, std::int16_t bico) const;
    QString descreve(const encerrantes::Lacuna& l) const;

    teste::Estacao& e_;
    const sim::LivroAbastecimentos& livro_;
    ConferenciaEncerrantes r_;
    std::vector<Destino> destino_;                 // by ledger id - 1
    QHash<QString, std::int64_t> idPorChave_;      // stored (bico, data, hora) -> ledger id
    std::map<Par, Esperada> esperadas_;
    std::set<QDate> dias_;
    std::set<int> bicosVistos_;
};

// Where each fueling of the ledger ended: stored (the first of identical answers),
// pumped by hand, in quarantine as some delivery of it reached the agent, or lost.
void Conferencia::classifica() {
    QHash<QString, Abastecimento> gravados;
    for (const Abastecimento& a : e_.abastecimentos()) gravados.insert(a.RegistroAutomacao, a);
    QSet<QString> rejeitados;
    for (const AbastecimentoRejeitado& r : e_.rejeitados()) rejeitados.insert(r.RegistroAutomacao);
    QSet<std::int64_t> emQuarentena;
    for (const auto& ev : livro_.eventos())
        if (ev.evento == sim::EventoLivro::Entregue && rejeitados.contains(registroDe(ev.resposta)))
            emQuarentena.insert(ev.id);

    for (const AbastecimentoSimulado& a : livro_.abastecimentos()) {
        Destino d = Destino::Perdido;
        if (a.manual) d = Destino::Manual;
        else if (const auto g = gravados.constFind(registroDe(a.resposta)); g != gravados.cend()) {
            const QString k = chave(g->Bico, g->Data, g->Hora);
            if (!idPorChave_.contains(k)) {
                idPorChave_.insert(k, a.id);
                dias_.insert(g->Data);
                d = Destino::Gravado;
            }
        } else if (emQuarentena.contains(a.id)) {
            d = Destino::Quarentena;
        }
        destino_.push_back(d);
        r_.manuais += a.manual ? 1 : 0;
    }
}

// Walking each nozzle in the order its fuelings finished: the litres that left it
// without a stored fueling, between two stored ones, are the gap the report owes.
void Conferencia::esperaLacunas() {
    if (e_.nucleo.configuracao().layout == sim::Layout::Curto) return;  // no totalizer to chain
    std::map<QString, std::pair<std::int64_t, Moeda>> desde;  // nozzle -> last stored, litres since
    for (const AbastecimentoSimulado& a : livro_.abastecimentos()) {
        auto& [anterior, litros] = desde[a.codigoBico];
        switch (destino_[std::size_t(a.id - 1)]) {
        case Destino::Gravado:
            if (anterior > 0 && litros != Moeda()) esperadas_[{anterior, a.id}] = {litros, false};
            anterior = a.id;
            litros = Moeda();
            break;
        case Destino::Manual:
        case Destino::Quarentena: litros = litros + a.litros; break;
        case Destino::Perdido: break;  // the ledger check names it; a gap it leaves goes unexplained here
        }
    }
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
    } catch (const ErroBanco&) {  // the test's connection found its server gone: opened again
        rel = encerrantes::calcula(e_.banco(), 1, dia, dia);
    }
    for (const encerrantes::Lacuna& l : rel.lacunas) {
        const auto i = esperadas_.find({idDe(l.anterior, l.bico), idDe(l.posterior, l.bico)});
        if (i == esperadas_.end() || i->second.achada) {
            r_.discrepancias << QStringLiteral("lacuna sem abastecimento manual nem em quarentena: ") + descreve(l);
            continue;
        }
        i->second.achada = true;
        ++r_.lacunas;
        if ((l.litros - i->second.litros).abs() > kArredondamento)
            r_.discrepancias << QStringLiteral("lacuna de %1 L fora do livro: ").arg(i->second.litros.textoPonto(3)) +
                                    descreve(l);
    }

    std::map<int, Moeda> litros;  // the ledger's stored fuelings of the day, by nozzle
    for (const AbastecimentoSimulado& a : livro_.abastecimentos())
        if (destino_[std::size_t(a.id - 1)] == Destino::Gravado && a.relogio.date() == dia)
            litros[teste::bicoDoCodigo(a.codigoBico)] = litros[teste::bicoDoCodigo(a.codigoBico)] + a.litros;
    for (const encerrantes::LinhaBico& b : rel.bicos) {
        const Moeda esperado = litros[b.bico];
        litros.erase(b.bico);
        if (b.litrosAbastecimentos != esperado)
            r_.discrepancias << QStringLiteral("relatório de %1, bico %2: %3 L abastecidos, o livro tem %4")
                                    .arg(dia.toString(Qt::ISODate))
                                    .arg(b.bico)
                                    .arg(b.litrosAbastecimentos.textoPonto(3), esperado.textoPonto(3));
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
    for (const QDate& dia : dias_) confereDia(dia);
    for (const auto& [par, esperada] : esperadas_)
        if (!esperada.achada)
            r_.discrepancias << QStringLiteral("relatório sem a lacuna de %1 L entre os abastecimentos %2 e %3 do livro")
                                    .arg(esperada.litros.textoPonto(3))
                                    .arg(par.first)
                                    .arg(par.second);
    return r_;
}

} // namespace

ConferenciaEncerrantes confereEncerrantes(teste::Estacao& estacao) { return Conferencia(estacao).confere(); }

} // namespace talvero::soak
