#include "store/GravacaoAbastecimento.h"
#include "comum/BancoDeTeste.h"
#include "comum/LogMemoria.h"
#include "comum/RecusaGravacao.h"
#include "ensaio/TempoVirtual.h"

namespace talvero::teste {
namespace {

const QDate kDia(2026, 12, 5);

class GravacaoTest : public BancoTest {
protected:
    void SetUp() override {
        BancoTest::SetUp();
        if (IsSkipped()) return;
        cfg.lCodigoEmpresa = cfg.gCodigoEmpresa = 1;
        cadastra("EncerranteAtual.csv", "Empresa,Bico,Encerrante\n1,3,1000.00\n");
        objetos_ = std::make_unique<Objetos>(conexao());
        gravacao_ = std::make_unique<GravacaoAbastecimento>(GravacaoAbastecimento::Dependencias{
            cfg, log.registro, conexao(), objetos_->abastecimento, objetos_->encerrante,
            objetos_->parametro, objetos_->cartao, [this] { ++timerHabilitado; }});
    }

    static AbastecimentoEmTrabalho fueling(int bico, const char* total, const char* encerrante) {
        AbastecimentoEmTrabalho a;
        a.lBico = std::int16_t(bico);
        a.lDataAbastecimento = kDia;
        a.lHoraAbastecimento = QTime(17, 30);
        a.lTempoAbastecimento = QStringLiteral("0130");
        a.lPrecoUnitario = M("5.00");
        a.lValorTotal = M(total);
        a.lQuantidadeLitros = a.lValorTotal.vezes(M("0.2"));
        a.lAutomacaoEncerrante = M(encerrante);
        return a;
    }

    using Resultado = GravacaoAbastecimento::Resultado;
    Resultado resultado(AbastecimentoEmTrabalho a, const QString& bruta) {
        return gravacao_->AutoAtualTabeAbastecimento(a, bruta);
    }
    bool grava(AbastecimentoEmTrabalho a, const QString& bruta) {
        return GravacaoAbastecimento::noBanco(resultado(a, bruta));
    }
    QList<Abastecimento> todos() { return Abastecimento::Lista(conexao()); }
    Moeda encerranteDo(int bico) {
        EncerranteAtual e(conexao());
        EXPECT_TRUE(e.Localiza(1, std::int16_t(bico)));
        return e.Encerrante;
    }

    struct Objetos {
        explicit Objetos(Conexao& c) : abastecimento(c), encerrante(c), parametro(c), cartao(c) {}
        Abastecimento abastecimento;
        EncerranteAtual encerrante;
        ParametroEmpresa parametro;
        CartaoIdentFid cartao;
    };
    Configuracao cfg;
    RelogioVirtual relogio{QDateTime(kDia, QTime(17, 31))};
    LogMemoria log{relogio};
    int timerHabilitado = 0;
    std::unique_ptr<Objetos> objetos_;
    std::unique_ptr<GravacaoAbastecimento> gravacao_;
};
TALVERO_NOS_DOIS_BANCOS(GravacaoTest);

const QString kBruta1 = QStringLiteral("(005000010000050000000130030517301234000000105000000054)");
const QString kBruta2 = QStringLiteral("(002500005000050000000045030517301235000000107500000011)");

TEST_P(GravacaoTest,
       RepeticaoDaMesmaRespostaEmQualquerHorarioDoMinutoNaoDuplicaNemMexeNoEncerrante) {
    ASSERT_TRUE(grava(fueling(3, "50.00", "1050.00"), kBruta1));
    ASSERT_TRUE(
        grava(fueling(3, "25.00", "1075.00"), kBruta2)); // a different fueling in the same minute
    direto(QStringLiteral("UPDATE EncerranteAtual SET Encerrante = 77770000 WHERE Bico = 3"));

    EXPECT_TRUE(grava(fueling(3, "25.00", "1075.00"), kBruta2)); // stored at 17:30:05
    EXPECT_TRUE(grava(fueling(3, "50.00", "1050.00"), kBruta1));
    const auto lista = todos();
    ASSERT_EQ(lista.size(), 2);
    EXPECT_EQ(lista[1].Hora, QTime(17, 30, 5));
    EXPECT_EQ(lista[1].RegistroAutomacao, kBruta2);
    EXPECT_EQ(encerranteDo(3), M("7777"));

    // Blank duration and an equal total under a taken key: another fueling beside
    // records that hold their answers, a repeat of one stored without it.
    auto a = fueling(3, "50.00", "1050.00");
    a.lTempoAbastecimento = QStringLiteral("    ");
    EXPECT_TRUE(grava(a, QStringLiteral("(outra resposta, mesmo total)")));
    EXPECT_EQ(todos().size(), 3);
    direto(QStringLiteral("UPDATE Abastecimento SET RegistroAutomacao = ''"));
    EXPECT_TRUE(grava(a, QStringLiteral("(mais uma resposta, mesmo total)")));
    EXPECT_EQ(todos().size(), 3);
}

// Storing over the million, the short answer and the minute's 5-second times are
// proven by the cycle's station-day and full-minute tests. A setting that is no
// number stores nothing, but says nothing of the database.
TEST_P(GravacaoTest, FalhasNaoGravamMasFalhaDoEncerranteNaoSeguraOAbastecimento) {
    cadastra("ParametroEmpresa.csv", "Empresa,Numero,Valor\n1,2,abc\n");
    EXPECT_EQ(resultado(fueling(3, "50.00", "1050.00"), kBruta1), Resultado::Recusado);
    EXPECT_EQ(gravacao_->ultimoErro()->numero(), int(erros::TiposIncompativeis));
    EXPECT_EQ(timerHabilitado, 1);
    direto(QStringLiteral("UPDATE ParametroEmpresa SET Valor = '3'"));

    recusaGravacoes(conexao(), {"Abastecimento"}, {"INSERT"});
    EXPECT_EQ(resultado(fueling(3, "50.00", "1050.00"), kBruta1), Resultado::FalhaDoBanco);
    EXPECT_TRUE(todos().isEmpty());
    EXPECT_EQ(encerranteDo(3), M("1000"));

    recusaGravacoes(conexao(), {"Abastecimento"}, {"INSERT"}, false);
    recusaGravacoes(conexao(), {"EncerranteAtual"}, {"UPDATE"});
    const int habilitado = timerHabilitado;
    EXPECT_TRUE(grava(fueling(3, "50.00", "1050.00"), kBruta1));
    ASSERT_EQ(todos().size(), 1);
    EXPECT_EQ(todos()[0].ValorParametro, 3);
    EXPECT_EQ(encerranteDo(3), M("1000"));
    EXPECT_EQ(timerHabilitado, habilitado + 1);

    ASSERT_TRUE(grava(fueling(9, "50.00", "40.00"), kBruta2)) << "bico sem encerrante atual";
    EXPECT_EQ(todos().size(), 2);
}

TEST(AjusteMilhao, LimitesDeCadaMilhao) {
    // (fall of the totalizer, adjustment); beyond nine millions the value comes back unchanged.
    const std::pair<const char*, const char*> casos[] = {{"-25", "0"},
                                                         {"0", "0"},
                                                         {"999975", "1000000"},
                                                         {"1000000", "1000000"},
                                                         {"1000000.01", "2000000"},
                                                         {"1999980", "2000000"},
                                                         {"7000000.01", "8000000"},
                                                         {"9000000", "9000000"},
                                                         {"9000000.01", "9000000.01"}};
    for (const auto& [queda, ajuste] : casos)
        EXPECT_EQ(GravacaoAbastecimento::AjusteMilhao(-M(queda)), M(ajuste)) << queda;
    // 500,000 then 400,000 becomes 1,400,000.
    EXPECT_EQ(GravacaoAbastecimento::AjusteMilhao(-M("400000")) + M("400000"), M("1400000"));
}

} // namespace
} // namespace talvero::teste
