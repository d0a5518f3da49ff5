#include "estacao/Estacao.h"

#include "store/GravacaoAbastecimento.h"

#include <QHash>
#include <QSet>

namespace talvero::teste {

namespace {

QString texto(int v) {
    return QString::number(v);
}
QString texto(const QString& v) {
    return v;
}
QString texto(const QDate& v) {
    return v.toString(Qt::ISODate);
}
QString texto(const QTime& v) {
    return v.toString(Qt::ISODate);
}
QString texto(const Moeda& v) {
    return v.textoPonto(4);
}

QString registroDe(const QString& resposta) {
    return resposta.left(GravacaoAbastecimento::kTamanhoRegistroAutomacao);
}

// What the database must hold for one fueling of the ledger; empty when it does.
QString diferencas(const sim::AbastecimentoSimulado& a, const Abastecimento& r,
                   const sim::ConfiguracaoConcentrador& c, const std::map<QString, int>& cartoes) {
    QStringList d;
    const auto confere = [&d](const char* campo, const auto& obtido, const auto& esperado) {
        if (!(obtido == esperado))
            d << QString::fromLatin1(campo) + u' ' + texto(obtido) + u'/' + texto(esperado);
    };
    Moeda preco = a.preco;
    for (const auto& b : c.bicos)
        if (b.codigo == a.codigoBico && preco == Moeda())
            preco = b.preco; // completed from the stock register
    const auto cartao = cartoes.find(a.cartao);
    confere("Bico", int(r.Bico), bicoDoCodigo(a.codigoBico));
    confere("Data", r.Data, a.relogio.date());
    confere("Hora", QTime(r.Hora.hour(), r.Hora.minute()), a.relogio.time());
    confere("Segundos", r.Hora.second() % 5, 0);
    confere("TempoAbastecimento", r.TempoAbastecimento,
            QString::number(a.duracaoS).rightJustified(4, QLatin1Char('0')));
    confere("Produto", r.Produto, a.produto);
    confere("PrecoUnitario", r.PrecoUnitario, preco);
    confere("Quantidade", r.Quantidade, a.litros);
    confere("ValorTotal", r.ValorTotal, a.total);
    confere("Encerrante", r.Encerrante, a.encerrante);
    confere("EncerranteInicial", r.EncerranteInicial, a.encerrante - a.litros);
    confere("Cartao", r.Cartao,
            c.leiaute == sim::Leiaute::IdentFid && cartao != cartoes.end() ? cartao->second : 0);
    confere("ValorParametro", int(r.ValorParametro), 1);
    return d.isEmpty() ? QString()
                       : QStringLiteral("abastecimento %1 (%2): %3")
                             .arg(a.id)
                             .arg(a.resposta, d.join(u','));
}

// Answers the concentrator damaged on the way, by the fueling they carried.
QHash<QString, std::int64_t> danificadas(const sim::LivroAbastecimentos& livro) {
    QHash<QString, std::int64_t> d;
    for (const auto& e : livro.eventos())
        if (e.evento == sim::EventoLivro::Entregue && !e.integra)
            d.insert(registroDe(e.resposta), e.id);
    return d;
}

} // namespace

// Quarantine holds only answers that reached the agent damaged; their fuelings
// count as kept.
QSet<std::int64_t> Estacao::quarentenaConfere(QStringList& problemas) {
    const QHash<QString, std::int64_t> danificada = danificadas(nucleo.livro());
    QSet<std::int64_t> guardados;
    for (const AbastecimentoRejeitado& r : rejeitados()) {
        if (const auto i = danificada.find(r.RegistroAutomacao); i != danificada.end())
            guardados.insert(i.value());
        else
            problemas << "em quarentena sem ter chegado ilegível: " + r.RegistroAutomacao;
    }
    return guardados;
}

QStringList Estacao::discrepancias(std::int64_t* viradas, int* identicas) {
    const QList<Abastecimento> gravados = abastecimentos();
    const auto& livro = nucleo.livro();
    const auto& c = nucleo.configuracao();
    QStringList problemas = confirmadosSemGravacao_;
    const QSet<std::int64_t> emQuarentena = quarentenaConfere(problemas);

    QHash<QString, const Abastecimento*> porResposta;
    for (const Abastecimento& r : gravados)
        if (std::exchange(porResposta[r.RegistroAutomacao], &r))
            problemas << "gravado duas vezes: " + r.RegistroAutomacao;
    QSet<QString> vistas;
    for (const auto& a : livro.abastecimentos()) {
        if (a.manual) continue; // never handed over: the totalizers' report finds it
        if (!livro.confirmado(a.id))
            problemas << QStringLiteral("abastecimento %1 não confirmado").arg(a.id);
        // An answer identical to an earlier one (a 34-character answer has no register
        // number) cannot be told from its redelivery: one record for both.
        if (vistas.contains(a.resposta)) {
            if (identicas) ++*identicas;
            continue;
        }
        vistas.insert(a.resposta);
        const Abastecimento* r = porResposta.take(registroDe(a.resposta));
        if (!r && !emQuarentena.contains(a.id))
            problemas
                << QStringLiteral("abastecimento %1 não gravado: %2").arg(a.id).arg(a.resposta);
        else if (const QString d = r ? diferencas(a, *r, c, codigoDoCartao) : QString();
                 !d.isEmpty())
            problemas << d;
    }
    for (const Abastecimento* r : std::as_const(porResposta))
        problemas << "gravado sem estar no livro: " + r->RegistroAutomacao;

    // The current totalizer continues each counter across its rollovers.
    std::int64_t milhoesTotal = 0;
    for (const auto& bico : c.bicos) {
        Moeda esperado = bico.encerrante, anterior = bico.encerrante;
        std::int64_t milhoes = 0;
        for (const auto& a : livro.abastecimentos()) {
            if (a.codigoBico != bico.codigo || c.leiaute == sim::Leiaute::Curto) continue;
            if (a.encerrante < anterior) ++milhoes;
            anterior = a.encerrante;
            if (!a.manual) esperado = a.encerrante + Moeda::deInteiro(1'000'000 * milhoes);
        }
        EncerranteAtual atual(banco());
        if (!atual.Localiza(1, std::int16_t(bicoDoCodigo(bico.codigo))) ||
            !(atual.Encerrante == esperado))
            problemas << QStringLiteral("encerrante atual do bico %1: %2, esperado %3")
                             .arg(bico.codigo, atual.Encerrante.textoPonto(2),
                                  esperado.textoPonto(2));
        milhoesTotal += milhoes;
    }
    if (viradas) *viradas = milhoesTotal;
    return problemas;
}

std::int64_t Estacao::confereComOLivro() {
    std::int64_t viradas = 0;
    const QStringList problemas = discrepancias(&viradas);
    EXPECT_TRUE(problemas.isEmpty())
        << problemas.size() << " problemas, o primeiro: " << problemas.value(0).toStdString();
    return viradas;
}

// The fueling an acknowledgement sent now takes off the concentrator's queue: at
// the front, the oldest not yet acknowledged.
QString Estacao::confirmacaoSemGravacao() {
    const auto& livro = nucleo.livro();
    if (nucleo.pendentes() == 0) return {};
    while (livro.confirmado(std::int64_t(primeiraPendente_) + 1) ||
           livro.abastecimentos().at(primeiraPendente_).manual)
        ++primeiraPendente_;
    const sim::AbastecimentoSimulado& a = livro.abastecimentos().at(primeiraPendente_);
    const auto guardado = [&](const char* tabela, const QString& registro) {
        QSqlQuery q =
            banco().executa(QStringLiteral("Estacao.confirmacao"),
                            QStringLiteral("SELECT COUNT(*) FROM %1 WHERE RegistroAutomacao = ?")
                                .arg(QLatin1String(tabela)),
                            {registro});
        return q.next() && q.value(0).toInt() > 0;
    };
    try {
        try {
            if (guardado("Abastecimento", registroDe(a.resposta))) return {};
        } catch (const ErroBanco&) { // the test's connection found its server gone: opened again
            if (guardado("Abastecimento", registroDe(a.resposta))) return {};
        }
        // In quarantine as it was handed over, or as it arrived damaged.
        if (guardado("AbastecimentoRejeitado", registroDe(a.resposta))) return {};
        for (const auto& [texto, id] : danificadas(livro).asKeyValueRange())
            if (id == a.id && guardado("AbastecimentoRejeitado", texto)) return {};
    } catch (const ErroBanco& e) {
        return QStringLiteral("abastecimento %1 confirmado sem poder conferir o banco: %2")
            .arg(a.id)
            .arg(e.descricao());
    }
    return QStringLiteral("abastecimento %1 confirmado antes de gravado: %2")
        .arg(a.id)
        .arg(a.resposta);
}

} // namespace talvero::teste
