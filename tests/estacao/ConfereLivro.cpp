#include "estacao/Estacao.h"

#include <QHash>

namespace talvero::teste {

namespace {

// What the database must hold for one fueling of the ledger; empty when it does.
QString diferencas(const sim::AbastecimentoSimulado& a, const Abastecimento& r, const sim::ConfiguracaoConcentrador& c,
                   const std::map<QString, int>& cartoes) {
    QStringList d;
    const auto confere = [&d](const char* campo, const auto& obtido, const auto& esperado) {
        if (!(obtido == esperado)) d << QString::fromLatin1(campo);
    };
    Moeda preco = a.preco;
    for (const auto& b : c.bicos)
        if (b.codigo == a.codigoBico && preco == Moeda()) preco = b.preco;  // completed from the stock register
    const auto cartao = cartoes.find(a.cartao);
    confere("Bico", int(r.Bico), bicoDoCodigo(a.codigoBico));
    confere("Data", r.Data, a.relogio.date());
    confere("Hora", QTime(r.Hora.hour(), r.Hora.minute()), a.relogio.time());
    confere("Segundos", r.Hora.second() % 5, 0);
    confere("TempoAbastecimento", r.TempoAbastecimento, QString::number(a.duracaoS).rightJustified(4, QLatin1Char('0')));
    confere("Produto", r.Produto, a.produto);
    confere("PrecoUnitario", r.PrecoUnitario, preco);
    confere("Quantidade", r.Quantidade, a.litros);
    confere("ValorTotal", r.ValorTotal, a.total);
    confere("Encerrante", r.Encerrante, a.encerrante);
    confere("EncerranteInicial", r.EncerranteInicial, a.encerrante - a.litros);
    confere("Cartao", r.Cartao, c.layout == sim::Layout::IdentFid && cartao != cartoes.end() ? cartao->second : 0);
    confere("ValorParametro", int(r.ValorParametro), 1);
    return d.isEmpty() ? QString() : QStringLiteral("abastecimento %1 (%2): %3").arg(a.id).arg(a.resposta, d.join(u','));
}

} // namespace

std::int64_t Estacao::confereComOLivro() {
    const QList<Abastecimento> gravados = abastecimentos();
    const auto& livro = nucleo.livro();
    const auto& c = nucleo.configuracao();
    EXPECT_EQ(std::size_t(gravados.size()), livro.abastecimentos().size());
    EXPECT_TRUE(rejeitados().isEmpty());

    QHash<QString, const Abastecimento*> porResposta;
    QStringList problemas;
    for (const Abastecimento& r : gravados)
        if (std::exchange(porResposta[r.RegistroAutomacao], &r)) problemas << "gravado duas vezes: " + r.RegistroAutomacao;
    for (const auto& a : livro.abastecimentos()) {
        if (!livro.confirmado(a.id)) problemas << QStringLiteral("abastecimento %1 não confirmado").arg(a.id);
        const Abastecimento* r = porResposta.value(a.resposta);
        if (!r) problemas << QStringLiteral("abastecimento %1 não gravado: %2").arg(a.id).arg(a.resposta);
        else if (const QString d = diferencas(a, *r, c, codigoDoCartao); !d.isEmpty()) problemas << d;
    }
    EXPECT_TRUE(problemas.isEmpty()) << problemas.size() << " problemas, o primeiro: " << problemas.value(0).toStdString();

    // The current totalizer continues each counter across its rollovers.
    std::int64_t viradas = 0;
    for (const auto& bico : c.bicos) {
        Moeda esperado = bico.encerrante, anterior = bico.encerrante;
        std::int64_t milhoes = 0;
        for (const auto& a : livro.abastecimentos()) {
            if (a.codigoBico != bico.codigo || c.layout == sim::Layout::Curto) continue;
            if (a.encerrante < anterior) ++milhoes;
            anterior = a.encerrante;
            esperado = a.encerrante + Moeda::deInteiro(1'000'000 * milhoes);
        }
        EncerranteAtual atual(banco());
        EXPECT_TRUE(atual.Localiza(1, std::int16_t(bicoDoCodigo(bico.codigo))));
        EXPECT_EQ(atual.Encerrante, esperado) << "bico " << bico.codigo.toStdString();
        viradas += milhoes;
    }
    return viradas;
}

} // namespace talvero::teste
