#include "Concentrador.h"

#include "simulator/RitmoLinha.h"

#include <set>

using namespace talvero;
using namespace talvero::sim;
using namespace talvero::sim::teste;

namespace {

struct Resposta {
    std::int64_t chegouMs;
    std::vector<Trecho> trechos;
};

Trecho pedaco(qsizetype tamanho, std::int64_t pausaMs) {
    return {QByteArray(tamanho, 'x'), pausaMs, false};
}

} // namespace

// Each write when its last character is through: the pause, then the characters
// at 10 bits each; further pieces after the one before is out, plus their gap;
// an answer never before the earlier ones are out.
TEST(RitmoLinha, CadaEscritaSaiQuandoALinhaAPassou) {
    const struct {
        const char* nome;
        int baud;
        std::vector<Resposta> respostas;
        std::vector<std::pair<qsizetype, std::int64_t>> escritas; // size, due
    } casos[] = {
        {"sem linha, inteira", 0, {{0, {pedaco(52, 30)}}}, {{52, 30}}},
        {"9600, 52 caracteres",
         9600,
         {{0, {pedaco(52, 60)}}},
         {{8, 69}, {8, 77}, {8, 85}, {8, 94}, {8, 102}, {8, 110}, {4, 115}}},
        {"pedaços: pausa além da linha",
         9600,
         {{0, {pedaco(4, 10), pedaco(4, 100)}}},
         {{4, 15}, {4, 120}}},
        {"sem linha, pedaços", 0, {{0, {pedaco(3, 30), pedaco(3, 600)}}}, {{3, 30}, {3, 630}}},
        {"a segunda espera a primeira sair",
         9600,
         {{0, {pedaco(16, 0)}}, {5, {pedaco(3, 0)}}},
         {{8, 9}, {8, 17}, {3, 21}}},
        {"uma rápida não ultrapassa uma lenta",
         0,
         {{0, {pedaco(2, 500)}}, {10, {pedaco(2, 0)}}},
         {{2, 500}, {2, 500}}},
        {"queda depois do que já ia",
         1200,
         {{0, {pedaco(3, 0)}}, {1, {{QByteArray(), 0, true}}}},
         {{3, 25}, {0, 25}}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        CronogramaSaida cronograma(RitmoLinha::daVelocidade(c.baud));
        std::vector<std::pair<qsizetype, std::int64_t>> escritas;
        QByteArray enviado, saiu;
        std::int64_t anterior = 0;
        for (const Resposta& r : c.respostas) {
            for (const Trecho& t : r.trechos)
                enviado += t.bytes;
            for (const Parcela& p : cronograma.agenda(r.chegouMs, r.trechos)) {
                escritas.emplace_back(p.bytes.size(), p.quandoMs);
                EXPECT_GE(p.quandoMs, anterior);
                EXPECT_LE(p.bytes.size(), c.baud > 0 ? 8 : p.bytes.size());
                anterior = p.quandoMs;
                saiu += p.bytes;
            }
        }
        EXPECT_EQ(escritas, c.escritas);
        EXPECT_EQ(saiu, enviado);
    }
}

// Each answer's latency is drawn within the spread, never below zero, from draws
// of its own: the same seed hands over the same fuelings with or without it.
TEST(RitmoLinha, VariacaoDaLatenciaNaoMudaOTrafego) {
    for (const auto& [latencia, variacao] : {std::pair(50, 20), std::pair(5, 20)}) {
        ConfiguracaoConcentrador cfg;
        cfg.taxaPorMinuto = 20;
        cfg.semente = 7;
        Concentrador fixo(cfg);
        cfg.atrasoRespostaMs = latencia;
        cfg.variacaoAtrasoMs = variacao;
        fixo.nucleo.falhas().partida.probabilidade = 0.3;
        Concentrador variado(cfg);
        variado.nucleo.falhas().partida.probabilidade = 0.3;
        std::set<std::int64_t> latencias;
        for (int i = 0; i < 300; ++i) {
            fixo.avancaSegundos(10);
            variado.avancaSegundos(10);
            const std::vector<Trecho> t = variado.nucleo.respondeQuadro(QStringLiteral("(&A)"));
            ASSERT_FALSE(t.empty());
            latencias.insert(t.front().pausaMs);
            QByteArray tudo;
            for (const Trecho& x : t)
                tudo += x.bytes;
            ASSERT_EQ(ansi::decodifica(tudo), fixo.pede());
            fixo.confirma();
            variado.confirma();
        }
        EXPECT_EQ(*latencias.begin(), std::max(0, latencia - variacao));
        EXPECT_EQ(*latencias.rbegin(), latencia + variacao);
    }
}
