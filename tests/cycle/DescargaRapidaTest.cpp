#include "estacao/Estacao.h"

namespace talvero::teste {
namespace {

const QDateTime kInicio(QDate(2026, 12, 5), QTime(8, 0));
const Cenario kSerial{"Serial52", false, sim::Leiaute::Padrao, 3, 3, false};
const Cenario kBiblioteca{"Biblioteca75", true, sim::Leiaute::IdentFid, 3, 3, false};

// The station computer was off: `n` fuelings wait, a minute's worth at most per
// nozzle and minute.
void acumula(Estacao& e, int n) {
    static const char* const kBicos[] = {"01", "02", "03", "04"};
    for (int i = 0; i < n; ++i) {
        if (i > 0 && i % 40 == 0) e.roda(kMinuto);
        e.nucleo.geraAbastecimento(QLatin1String(kBicos[i % 4]), Moeda::deInteiro(10 + i % 7));
    }
}

void ligaDescarga(Estacao& e, bool liga) {
    e.defineIni(QStringLiteral("Descarga Rapida"),
                liga ? QStringLiteral("SIM") : QStringLiteral("NAO"));
}

std::vector<std::int64_t> momentosConfirmados(const Estacao& e) {
    std::vector<std::int64_t> ms;
    for (const auto& r : e.nucleo.livro().eventos())
        if (r.evento == sim::EventoLivro::Confirmado) ms.push_back(r.ms);
    return ms;
}

int conta(const QStringList& quadros, const char* inicio) {
    return int(std::count_if(quadros.begin(), quadros.end(), [&](const QString& q) {
        return q.startsWith(QLatin1String(inicio));
    }));
}

QStringList quadrosDesde(const Estacao& e, qsizetype desde) {
    const auto& r = e.nucleo.quadrosRecebidos();
    return QStringList(r.begin() + desde, r.end());
}

// A hundred fuelings waiting: with the key, one asked for at every tick and no
// status request until none waits, then the status polling again; without it,
// today's pace. Every one stored once, none acknowledged before.
TEST(DescargaRapida, FilaEsvaziadaAUmPorVezEDepoisOsStatusVoltam) {
    constexpr int kEsperando = 100;
    // On the library a drained request's wait ends with its answer; without the
    // key the request waits its whole time.
    const struct {
        const Cenario& cenario;
        bool descarga;
        std::int64_t minimoMs, maximoMs; // between two acknowledgements, on average
    } casos[] = {{kSerial, true, 450, 600},
                 {kSerial, false, 2400, 2600},
                 {kBiblioteca, true, 200, 600},
                 {kBiblioteca, false, 1900, 2600}};
    for (const auto& c : casos) {
        SCOPED_TRACE(std::string(c.cenario.nome) + (c.descarga ? " com" : " sem"));
        Estacao e(c.cenario, 0, 1, kInicio);
        ligaDescarga(e, c.descarga);
        acumula(e, kEsperando);
        e.iniciaAgente();
        ASSERT_TRUE(e.esvazia(10 * kMinuto));
        e.roda(10'000);
        e.confereComOLivro();
        const auto ms = momentosConfirmados(e);
        ASSERT_EQ(ms.size(), std::size_t(kEsperando));
        const std::int64_t porAbastecimento = (ms.back() - ms.front()) / (kEsperando - 1);
        EXPECT_GE(porAbastecimento, c.minimoMs);
        EXPECT_LE(porAbastecimento, c.maximoMs);
        ::testing::Test::RecordProperty(std::string(c.cenario.nome) +
                                            (c.descarga ? "ComDescarga" : "SemDescarga") + "Ms",
                                        int(porAbastecimento));

        const QStringList q = quadrosDesde(e, 0);
        const qsizetype primeira = q.indexOf(QStringLiteral("(&I)"));
        const qsizetype ultima = q.lastIndexOf(QStringLiteral("(&I)"));
        EXPECT_EQ(conta(q.mid(primeira, ultima - primeira), "(&V)") == 0, c.descarga);
        EXPECT_GE(conta(q.mid(ultima), "(&V)"), 3);
    }
}

// A database failing mid-drain stops it: the fuelings wait unacknowledged and
// the status polling goes on between requests, not a request at every tick.
TEST(DescargaRapida, BancoQueFalhaParaADescargaENadaConfirma) {
    for (const Cenario& c : {kSerial, kBiblioteca}) {
        SCOPED_TRACE(c.nome);
        Estacao e(c, 0, 2, kInicio);
        ligaDescarga(e, true);
        acumula(e, 30);
        e.iniciaAgente();
        for (int i = 0; i < 200 && e.confirmacoesEntre(0, e.mundo.relogio.ms()) < 10; ++i)
            e.roda(500);
        e.recusaGravacoes(true);
        const std::int64_t inicioFalha = e.mundo.relogio.ms();
        const auto antes = e.nucleo.quadrosRecebidos().size();
        e.roda(kMinuto);
        EXPECT_LE(e.confirmacoesEntre(inicioFalha, e.mundo.relogio.ms()), 1); // the one at hand
        const QStringList q = quadrosDesde(e, qsizetype(antes));
        EXPECT_LE(conta(q, "(&A"), conta(q, "(&V)") + 1);
        e.recusaGravacoes(false);
        ASSERT_TRUE(e.esvazia(5 * kMinuto));
        e.confereComOLivro();
    }
}

} // namespace
} // namespace talvero::teste
