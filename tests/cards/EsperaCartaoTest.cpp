#include "estacao/Estacao.h"
#include "link/EsperaResposta.h"

namespace talvero::teste {
namespace {

const QString kCartao = QStringLiteral("0123456789ABCDEF");

// How the identifier's answer to a card write comes back.
struct Forma {
    const char* nome;
    int pedacos = 1;
    int intervaloMs = 0;
    int truncado = -1;  // characters left; -1: the whole answer
    bool falha = false; // the table is full: "(1)"
};

struct Medida {
    QString resultado;
    std::int64_t esperaMs = 0; // from the frame sent to the command's end
};

Medida gravaCartao(bool biblioteca, bool fixa, const Forma& f) {
    sim::ConfiguracaoConcentrador c;
    if (biblioteca) c.leiaute = sim::Leiaute::IdentFid;
    c.atrasoRespostaMs = 60;
    Estacao e(c);
    for (int r = 0; f.falha && r < c.tamanhoTabelaCartoes; ++r)
        e.nucleo.cartoes().defineRegistro(
            r, QStringLiteral("AAAABBBBCCCC%1").arg(r, 4, 10, QLatin1Char('0')));
    e.defineIni(QStringLiteral("Usar Dll da Company"),
                biblioteca ? QStringLiteral("SIM") : QStringLiteral("NAO"));
    e.defineIni(QStringLiteral("Espera Fixa"),
                fixa ? QStringLiteral("SIM") : QStringLiteral("NAO"));
    e.iniciaAgente();
    e.roda(3000);
    std::int64_t enviadoMs = -1;
    e.vigias.antesDeEnviar = [&](const QByteArray& b) {
        if (!b.startsWith("(?F27G")) return;
        sim::PlanoFalhas& p = e.nucleo.falhas();
        p.partida.proximas = f.pedacos > 1;
        p.pedacos = f.pedacos;
        p.intervaloPedacosMs = f.intervaloMs;
        p.truncada.proximas = f.truncado >= 0;
        p.tamanhoTruncado = f.truncado;
        enviadoMs = e.mundo.relogio.ms();
    };
    Medida m;
    m.resultado = e.agente().cartoes().AutoIncluiCartaoIdentFid(kCartao);
    m.esperaMs = e.mundo.relogio.ms() - enviadoMs;
    EXPECT_TRUE(e.esvazia(kMinuto));
    e.confereComOLivro();
    return m;
}

// Adaptive, a wait judges the same answer as the fixed one and never ends later:
// early once the whole answer (or a failure nothing follows) is in, even when it
// comes in pieces up to just under the limit; at the limit when it never completes.
TEST(EsperaCartao, TerminaComARespostaInteiraENuncaDepoisDaFixa) {
    const Forma formas[] = {
        {"inteira"},
        {"2 pedaços", 2, 800},
        {"5 pedaços", 5, 200},
        {"cortada", 1, 0, 49},
        {"tabela cheia", 1, 0, -1, true},
    };
    for (const bool biblioteca : {false, true}) {
        for (const Forma& f : formas) {
            const Medida fixa = gravaCartao(biblioteca, true, f);
            const Medida adaptativa = gravaCartao(biblioteca, false, f);
            const std::string caso =
                std::string(f.nome) + (biblioteca ? ", biblioteca" : ", serial");
            EXPECT_EQ(adaptativa.resultado, fixa.resultado) << caso;
            // Fixed: the serial line's whole second; the library's two second boundaries.
            if (biblioteca) {
                EXPECT_GT(fixa.esperaMs, 1000) << caso;
                EXPECT_LE(fixa.esperaMs, 2000) << caso;
            } else {
                EXPECT_EQ(fixa.esperaMs, 1000) << caso;
            }
            const bool completa = f.truncado < 0;
            if (completa) {
                const std::int64_t ultimoPedacoMs = 60 + 54 + (f.pedacos - 1) * f.intervaloMs;
                EXPECT_LE(adaptativa.esperaMs, ultimoPedacoMs + 3 * EsperaResposta::kIntervaloMs)
                    << caso;
            } else {
                EXPECT_EQ(adaptativa.esperaMs, fixa.esperaMs) << caso;
            }
        }
    }
}

} // namespace
} // namespace talvero::teste
