#include "comum/BancoDeTeste.h"
#include "comum/LogMemoria.h"
#include "ensaio/TempoVirtual.h"
#include "store/GravacaoAbastecimento.h"

#include <random>

namespace talvero::teste {
namespace {

const QDate kDia(2026, 12, 5);

struct Venda {
    int minuto; // from 00:00 of kDia; beyond 1440 the next day
    const char* litros;
    const char* encerrante; // "0": the answer carried none
};

struct Caso {
    const char* nome;
    std::vector<Venda> vendas;
    std::vector<std::pair<int, const char*>> lacunas; // the fueling after the gap, its litres
};

// Each fueling goes through the agent's storage routine, which must tell the gap
// before it at once; the report, from the stored fuelings alone, must find the same.
class ConferenciaTest : public BancoTest {
protected:
    void SetUp() override {
        BancoTest::SetUp();
        if (IsSkipped()) return;
        cfg.lCodigoEmpresa = cfg.gCodigoEmpresa = 1;
        cadastra("EncerranteAtual.csv", "Empresa,Bico,Encerrante\n1,3,0\n");
        abastecimento = std::make_unique<Abastecimento>(conexao());
        encerranteAtual = std::make_unique<EncerranteAtual>(conexao());
        parametro = std::make_unique<ParametroEmpresa>(conexao());
        cartao = std::make_unique<CartaoIdentFid>(conexao());
        reinicia();
    }

    // An agent started anew on the database as it stands.
    void reinicia() {
        gravacao = std::make_unique<GravacaoAbastecimento>(
            GravacaoAbastecimento::Dependencias{cfg, log.registro, conexao(), *abastecimento,
                                                *encerranteAtual, *parametro, *cartao, [] {}});
    }

    std::optional<Moeda> grava(int minuto, Moeda litros, Moeda encerrante, bool tarde = false) {
        AbastecimentoEmTrabalho a;
        a.lBico = 3;
        a.lDataAbastecimento = kDia.addDays(minuto / 1440);
        a.lHoraAbastecimento = QTime(0, 0).addSecs(60 * (minuto % 1440));
        a.lTempoAbastecimento = QStringLiteral("0100");
        a.lQuantidadeLitros = litros;
        a.lValorTotal = litros;
        a.lAutomacaoEncerrante = encerrante;
        a.lSemEncerrante = encerrante == Moeda();
        a.lEncerranteSuperado = tarde;
        EXPECT_TRUE(GravacaoAbastecimento::noBanco(gravacao->AutoAtualTabeAbastecimento(
            a, QStringLiteral("(resposta %1)").arg(++respostas))));
        if (!gravacao->lacuna()) return std::nullopt;
        return gravacao->lacuna()->litros;
    }

    Configuracao cfg;
    RelogioVirtual relogio{QDateTime(kDia, QTime(23, 59))};
    LogMemoria log{relogio};
    std::unique_ptr<Abastecimento> abastecimento;
    std::unique_ptr<EncerranteAtual> encerranteAtual;
    std::unique_ptr<ParametroEmpresa> parametro;
    std::unique_ptr<CartaoIdentFid> cartao;
    std::unique_ptr<GravacaoAbastecimento> gravacao;
    int respostas = 0;
};
TALVERO_NOS_DOIS_BANCOS(ConferenciaTest);

const Caso kCasos[] = {
    {"contínua",
     {{600, "10.00", "1010.00"}, {610, "20.00", "1030.00"}, {620, "1.50", "1031.50"}},
     {}},
    {"lacuna", {{600, "10.00", "1010.00"}, {610, "20.00", "1050.00"}}, {{1, "20"}}},
    {"para trás: gravado duas vezes",
     {{600, "10.00", "1010.00"}, {610, "10.00", "1020.00"}, {620, "10.00", "1020.00"}},
     {{2, "-10"}}},
    {"giro do milhão", {{600, "10.00", "999990.00"}, {610, "15.00", "5.00"}}, {}},
    {"lacuna no giro do milhão",
     {{600, "10.00", "999990.00"}, {610, "15.00", "25.00"}},
     {{1, "20"}}},
    {"giro dos cem milhões com lacuna",
     {{600, "5.00", "99999995.00"}, {610, "10.00", "7.00"}},
     {{1, "2"}}},
    {"resposta sem encerrante no meio",
     {{600, "10.00", "1010.00"}, {605, "5.00", "0"}, {610, "10.00", "1025.00"}},
     {}},
    {"lacuna depois de resposta sem encerrante",
     {{600, "10.00", "1010.00"}, {605, "5.00", "0"}, {610, "10.00", "1030.00"}},
     {{2, "5"}}},
    {"meia-noite", {{1430, "10.00", "1010.00"}, {1450, "10.00", "1040.00"}}, {{1, "20"}}},
    // The concentrator's clock set back between the second and the third.
    {"relógio atrasado",
     {{600, "10.00", "1010.00"},
      {610, "10.00", "1020.00"},
      {605, "10.00", "1030.00"},
      {612, "10.00", "1040.00"}},
     {}},
    {"relógio atrasado com lacuna",
     {{600, "10.00", "1010.00"},
      {610, "10.00", "1020.00"},
      {605, "10.00", "1035.00"},
      {612, "10.00", "1045.00"}},
     {{2, "5"}}},
    {"relógio atrasado à meia-noite",
     {{1430, "10.00", "1010.00"},
      {1441, "10.00", "1020.00"},
      {1438, "10.00", "1030.00"},
      {1445, "10.00", "1040.00"}},
     {}},
    {"arredondamento",
     {{600, "10.005", "1010.00"}, {610, "10.005", "1020.01"}, {620, "0.011", "1020.03"}},
     {}},
};

TEST_P(ConferenciaTest, CadaLacunaDitaAoGravarEAchadaPeloRelatorio) {
    for (const Caso& caso : kCasos) {
        SCOPED_TRACE(caso.nome);
        direto(QStringLiteral("DELETE FROM Abastecimento"));
        reinicia();
        std::vector<std::pair<int, Moeda>> ditas;
        for (std::size_t i = 0; i < caso.vendas.size(); ++i) {
            const Venda& v = caso.vendas[i];
            if (auto l = grava(v.minuto, M(v.litros), M(v.encerrante)))
                ditas.push_back({int(i), *l});
        }
        std::vector<std::pair<int, Moeda>> esperadas;
        for (const auto& [i, litros] : caso.lacunas)
            esperadas.push_back({i, M(litros)});
        EXPECT_EQ(ditas, esperadas);

        const auto r = encerrantes::calcula(conexao(), 1, kDia, kDia.addDays(1));
        ASSERT_EQ(r.lacunas.size(), qsizetype(esperadas.size()));
        for (std::size_t k = 0; k < esperadas.size(); ++k) {
            const Venda& depois = caso.vendas[std::size_t(esperadas[k].first)];
            EXPECT_EQ(r.lacunas[qsizetype(k)].litros, esperadas[k].second);
            EXPECT_EQ(r.lacunas[qsizetype(k)].posterior.data, kDia.addDays(depois.minuto / 1440));
        }
        ASSERT_EQ(r.bicos.size(), 1);
        EXPECT_EQ(r.bicos[0].lacunas, qsizetype(esperadas.size()));
        // Day by day, each gap belongs to the day of the fueling after it.
        const auto dia1 = encerrantes::calcula(conexao(), 1, kDia, kDia).lacunas;
        const auto dia2 =
            encerrantes::calcula(conexao(), 1, kDia.addDays(1), kDia.addDays(1)).lacunas;
        EXPECT_EQ(dia1.size() + dia2.size(), qsizetype(esperadas.size()));
    }
}

// A fueling stored late, out of quarantine, says nothing at once and closes its
// gap in the report; a value no pump counts makes the check fail, never the storing.
TEST_P(ConferenciaTest, GuardadoDepoisPreencheALacunaEValorAbsurdoNaoSeguraAGravacao) {
    EXPECT_FALSE(grava(600, M("10"), M("1010")));
    EXPECT_EQ(grava(620, M("10"), M("1040")), M("20"));
    EXPECT_FALSE(grava(610, M("10"), M("1030"), true));
    auto r = encerrantes::calcula(conexao(), 1, kDia, kDia);
    ASSERT_EQ(r.lacunas.size(), 1);
    EXPECT_EQ(std::pair(r.lacunas[0].posterior.hora, r.lacunas[0].litros),
              std::pair(QTime(10, 10), M("10")));

    direto(QStringLiteral(
        "UPDATE Abastecimento SET Quantidade = 500000000000000000 WHERE Hora = '10:20:00'"));
    EXPECT_FALSE(grava(630, M("10"), M("1050")));
    EXPECT_EQ(Abastecimento::ContaNoDia(conexao(), 1, kDia), 4);
    EXPECT_THROW(encerrantes::calcula(conexao(), 1, kDia, kDia), Erro);
}

// A gap at midnight belongs to the day of the fueling after it; the one before is
// the nozzle's last of the day before.
TEST_P(ConferenciaTest, LacunaDaMeiaNoiteEDoDiaSeguinte) {
    grava(1430, M("10"), M("1010"));
    grava(1450, M("10"), M("1040"));
    EXPECT_TRUE(encerrantes::calcula(conexao(), 1, kDia, kDia).lacunas.isEmpty());
    const auto r = encerrantes::calcula(conexao(), 1, kDia.addDays(1), kDia.addDays(1));
    ASSERT_EQ(r.lacunas.size(), 1);
    EXPECT_EQ(r.lacunas[0].anterior.data, kDia);
    EXPECT_EQ(r.bicos[0].encerranteInicial, M("1030"));
    EXPECT_EQ(r.bicos[0].litrosEncerrantes, M("10"));
}

// Litres with three decimals against a totalizer cut to two: a day of 300 fuelings
// gives no gap, and a real one of 0.02 L among them is still found.
TEST_P(ConferenciaTest, DiaDeTrezentosAbastecimentosSemLacunaFalsa) {
    for (int casas : {2, 3}) {
        SCOPED_TRACE(casas);
        direto(QStringLiteral("DELETE FROM Abastecimento"));
        reinicia();
        std::mt19937 sorteio(casas);
        const std::int64_t unidade = casas == 2 ? 100 : 10;
        std::int64_t exato =
            Moeda::deInteiro(999'000).dezMilesimos(); // turns at the million during the day
        int lacunasDitas = 0;
        for (int i = 0; i < 300; ++i) {
            const std::int64_t litros = unidade * std::uniform_int_distribution<std::int64_t>(
                                                      100, 400'000 / unidade * 10)(sorteio);
            if (i == 150) exato += 200; // 0.02 L pumped unseen
            exato = (exato + litros) % Moeda::deInteiro(1'000'000).dezMilesimos();
            const Moeda cortado = Moeda::deDezMilesimos(exato - exato % 100);
            if (grava(i * 4, Moeda::deDezMilesimos(litros), cortado)) ++lacunasDitas;
        }
        EXPECT_EQ(lacunasDitas, 1);
        const auto r = encerrantes::calcula(conexao(), 1, kDia, kDia.addDays(1));
        ASSERT_EQ(r.lacunas.size(), 1);
        EXPECT_EQ(r.lacunas[0].posterior.hora, QTime(10, 0));
    }
}

} // namespace
} // namespace talvero::teste
