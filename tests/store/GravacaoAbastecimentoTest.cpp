#include "comum/LogMemoria.h"
#include "platform/TempoVirtual.h"
#include "store/BancoDeTeste.h"
#include "store/GravacaoAbastecimento.h"
#include "store/RecusaGravacao.h"

namespace talvero::teste {
namespace {

const QDate kDia(2026, 12, 5);

class GravacaoTest : public BancoTest {
protected:
    void SetUp() override {
        BancoTest::SetUp();
        if (IsSkipped()) return;
        cfg.lCodigoEmpresa = 1;
        cfg.gCodigoEmpresa = 1;
        cadastra("EncerranteAtual.csv", "Empresa,Bico,Encerrante\n1,3,1000.00\n1,4,999990.00\n");
        abastecimento_ = std::make_unique<Abastecimento>(conexao());
        encerrante_ = std::make_unique<EncerranteAtual>(conexao());
        parametro_ = std::make_unique<ParametroEmpresa>(conexao());
        cartao_ = std::make_unique<CartaoIdentFid>(conexao());
        gravacao_ = std::make_unique<GravacaoAbastecimento>(GravacaoAbastecimento::Dependencias{
            cfg, log.registro, conexao(), *abastecimento_, *encerrante_, *parametro_, *cartao_,
            [this] { ++timerHabilitado; }});
    }

    static AbastecimentoEmTrabalho fueling(int bico, const char* total, const char* encerrante, int minuto = 30) {
        AbastecimentoEmTrabalho a;
        a.lBico = std::int16_t(bico);
        a.lDataAbastecimento = kDia;
        a.lHoraAbastecimento = QTime(17, minuto, 0);
        a.lTempoAbastecimento = QStringLiteral("0130");
        a.lPrecoUnitario = M("5.00");
        a.lValorTotal = M(total);
        a.lQuantidadeLitros = a.lValorTotal.vezes(M("0.2"));
        a.lAutomacaoEncerrante = M(encerrante);
        a.lProduto = 7;
        a.lComplementoBico = QStringLiteral("Aditivada");
        return a;
    }

    bool grava(AbastecimentoEmTrabalho a, const QString& bruta) { return gravacao_->AutoAtualTabeAbastecimento(a, bruta); }
    QList<Abastecimento> todos() { return Abastecimento::Lista(conexao()); }
    Moeda encerranteDo(int bico) {
        EncerranteAtual e(conexao());
        EXPECT_TRUE(e.Localiza(1, std::int16_t(bico)));
        return e.Encerrante;
    }
    Configuracao cfg;
    RelogioVirtual relogio{QDateTime(kDia, QTime(17, 31))};
    LogMemoria log{relogio};
    int timerHabilitado = 0;
    std::unique_ptr<Abastecimento> abastecimento_;
    std::unique_ptr<EncerranteAtual> encerrante_;
    std::unique_ptr<ParametroEmpresa> parametro_;
    std::unique_ptr<CartaoIdentFid> cartao_;
    std::unique_ptr<GravacaoAbastecimento> gravacao_;
};
TALVERO_NOS_DOIS_BANCOS(GravacaoTest);

const QString kBruta1 = QStringLiteral("(005000010000050000000130030517301234000000105000000054)");
const QString kBruta2 = QStringLiteral("(002500005000050000000045030517301235000000107500000011)");

// A registered card is looked up only with IdentFid (the cycle's tests and the
// station-day proof cover the card looked up and the unknown card).
TEST_P(GravacaoTest, PrimeiraEntregaGravaEAtualizaOEncerrante) {
    cadastra("CartaoIdentFid.csv", "Empresa,Cartao,Codigo\n1,0123456789ABCDEF,555\n");
    auto f = fueling(3, "50.00", "1050.00");
    f.lCartaoIdentFid = QStringLiteral("0123456789ABCDEF");
    ASSERT_TRUE(grava(f, kBruta1));
    const auto lista = todos();
    ASSERT_EQ(lista.size(), 1);
    // Every column is proven by the record round trip and by the station-day proof;
    // here what this routine computes.
    const Abastecimento& a = lista[0];
    EXPECT_EQ(std::tuple(a.Empresa, a.Data, a.Hora, a.EncerranteInicial, a.ValorParametro, a.RegistroAutomacao, a.Cartao),
              std::tuple(std::int16_t(1), kDia, QTime(17, 30), M("1040"), std::int16_t(1), kBruta1, 0));  // setting 2 absent: 1
    EXPECT_EQ(encerranteDo(3), M("1050"));
    EXPECT_EQ(log.conta(QStringLiteral(" - AutoAtualTabeEncerranteAtual: Teste 1 lAutomacaoEncerrante=1050 "
                                       "EncerranteAtual.Encerrante=1000")),
              1);
    EXPECT_EQ(log.conta(QStringLiteral(" - AutoAtualTabeEncerranteAtual: Teste 2 lDiferencaMilhao=50")), 1);
}

TEST_P(GravacaoTest, RepeticaoDaMesmaRespostaEmQualquerHorarioDoMinutoNaoDuplicaNemMexeNoEncerrante) {
    ASSERT_TRUE(grava(fueling(3, "50.00", "1050.00"), kBruta1));
    ASSERT_TRUE(grava(fueling(3, "25.00", "1075.00"), kBruta2));  // a different fueling in the same minute
    direto(QStringLiteral("UPDATE EncerranteAtual SET Encerrante = 77770000 WHERE Bico = 3"));

    EXPECT_TRUE(grava(fueling(3, "25.00", "1075.00"), kBruta2));  // stored at 17:30:05
    EXPECT_TRUE(grava(fueling(3, "50.00", "1050.00"), kBruta1));
    const auto lista = todos();
    ASSERT_EQ(lista.size(), 2);
    EXPECT_EQ(lista[1].Hora, QTime(17, 30, 5));
    EXPECT_EQ(lista[1].RegistroAutomacao, kBruta2);
    EXPECT_EQ(encerranteDo(3), M("7777"));
    EXPECT_EQ(log.com(QStringLiteral("(Abastecimento Não Foi Gravado)")),
              QStringList({QStringLiteral(" - (Abastecimento Não Foi Gravado): Data=05/12/2026 - Hora=17:30:05 - "
                                          "Bico=3 - Valor Total=25 - Tempo de Abastecimento=0130"),
                           QStringLiteral(" - (Abastecimento Não Foi Gravado): Data=05/12/2026 - Hora=17:30:00 - "
                                          "Bico=3 - Valor Total=50 - Tempo de Abastecimento=0130")}));

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

TEST_P(GravacaoTest, OutroAbastecimentoNoMinutoVaiParaOProximoHorarioLivreAteOsDozeSeTomarem) {
    for (int i = 0; i < 12; ++i) {
        auto a = fueling(3, "10.00", "0");
        a.lAutomacaoEncerrante = Moeda::deInteiro(1010 + 10 * i);
        ASSERT_TRUE(grava(a, QStringLiteral("(resposta %1)").arg(i))) << i;
    }
    const auto lista = todos();
    ASSERT_EQ(lista.size(), 12);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(lista[i].Hora, QTime(17, 30, 5 * i));
    EXPECT_EQ(encerranteDo(3), M("1120"));
    EXPECT_EQ(log.conta(QStringLiteral("horário já ocupado por outro abastecimento, gravado em Hora=17:30:55 - Bico=3")), 1);

    EXPECT_FALSE(grava(fueling(3, "10.00", "1130.00"), QStringLiteral("(resposta 12)")));
    EXPECT_EQ(todos().size(), 12);
    EXPECT_EQ(encerranteDo(3), M("1120"));
    EXPECT_EQ(log.conta(QStringLiteral(" AutoAtualTabeAbastecimento: - Nenhum horário livre no minuto, abastecimento "
                                       "não gravado: Data=05/12/2026 - Hora=17:30:00 - Bico=3")),
              1);
}

TEST_P(GravacaoTest, ParametroDaEmpresaNumericoOuErroSemGravar) {
    cadastra("ParametroEmpresa.csv", "Empresa,Numero,Valor\n1,2,3\n");
    ASSERT_TRUE(grava(fueling(3, "50.00", "1050.00"), kBruta1));
    EXPECT_EQ(todos()[0].ValorParametro, 3);

    direto(QStringLiteral("UPDATE ParametroEmpresa SET Valor = 'abc'"));
    EXPECT_FALSE(grava(fueling(3, "25.00", "1075.00", 31), kBruta2));
    EXPECT_EQ(todos().size(), 1);
    EXPECT_EQ(log.conta(QStringLiteral(" - ERRO AutoAtualTabeAbastecimento: Tipos incompatíveis - Err: 13")), 1);
    EXPECT_EQ(timerHabilitado, 1);
}

TEST_P(GravacaoTest, EncerranteAtualSemLeituraViradaDoMilhaoEBicoSemCadastro) {
    auto a = fueling(3, "50.00", "0");
    a.lSemEncerrante = true;
    ASSERT_TRUE(grava(a, QStringLiteral("(003400)")));
    const auto lista = todos();
    ASSERT_EQ(lista.size(), 1);
    EXPECT_EQ(lista[0].Encerrante, Moeda());
    EXPECT_EQ(lista[0].EncerranteInicial, M("-10"));
    EXPECT_EQ(encerranteDo(3), M("1000"));
    EXPECT_EQ(log.conta(QStringLiteral("AutoAtualTabeEncerranteAtual: abastecimento sem encerrante, Encerrante Atual "
                                       "não alterado. Bico=3")),
              1);

    // Past the million the counter starts again; the current totalizer goes on.
    ASSERT_TRUE(grava(fueling(4, "50.00", "15.00"), kBruta1));
    EXPECT_EQ(encerranteDo(4), M("1000015"));
    ASSERT_TRUE(grava(fueling(4, "50.00", "40.00", 31), kBruta2));
    EXPECT_EQ(encerranteDo(4), M("1000040"));

    ASSERT_TRUE(grava(fueling(9, "50.00", "40.00"), QStringLiteral("(bico 9)")));
    EXPECT_EQ(log.conta(QStringLiteral(" - ERRO AutoAtualTabeEncerranteAtual: bico não cadastrado=9")), 1);
    EXPECT_EQ(todos().size(), 4);
}

TEST_P(GravacaoTest, BancoQueRecusaAGravacaoDaFalsoEFalhaDoEncerranteNaoSeguraOAbastecimento) {
    recusaGravacoes(conexao(), {"Abastecimento"}, {"INSERT"});
    EXPECT_FALSE(grava(fueling(3, "50.00", "1050.00"), kBruta1));
    EXPECT_TRUE(todos().isEmpty());
    EXPECT_EQ(encerranteDo(3), M("1000"));
    EXPECT_EQ(log.conta(QStringLiteral(" - ERRO AutoAtualTabeAbastecimento: ")), 1);
    EXPECT_EQ(log.conta(QStringLiteral("Teste 1")), 0);

    recusaGravacoes(conexao(), {"Abastecimento"}, {"INSERT"}, false);
    recusaGravacoes(conexao(), {"EncerranteAtual"}, {"UPDATE"});
    const int habilitado = timerHabilitado;
    EXPECT_TRUE(grava(fueling(3, "50.00", "1050.00"), kBruta1));
    EXPECT_EQ(todos().size(), 1);
    EXPECT_EQ(encerranteDo(3), M("1000"));
    EXPECT_EQ(log.conta(QStringLiteral(" - ERRO AutoAtualTabeEncerranteAtual: ")), 1);
    EXPECT_EQ(timerHabilitado, habilitado + 1);
}

TEST(AjusteMilhao, LimitesDeCadaMilhao) {
    // (fall of the totalizer, adjustment); beyond nine millions the value comes back unchanged.
    const std::pair<const char*, const char*> casos[] = {
        {"-25", "0"}, {"0", "0"}, {"999975", "1000000"}, {"1000000", "1000000"}, {"1000000.01", "2000000"},
        {"1999980", "2000000"}, {"7000000.01", "8000000"}, {"9000000", "9000000"}, {"9000000.01", "9000000.01"}};
    for (const auto& [queda, ajuste] : casos) EXPECT_EQ(GravacaoAbastecimento::AjusteMilhao(-M(queda)), M(ajuste)) << queda;
    // 500,000 then 400,000 becomes 1,400,000.
    EXPECT_EQ(GravacaoAbastecimento::AjusteMilhao(-M("400000")) + M("400000"), M("1400000"));
}

} // namespace
} // namespace talvero::teste
