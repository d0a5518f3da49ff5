#include "cycle/LogMemoria.h"
#include "platform/TempoVirtual.h"
#include "store/Abastecimento.h"
#include "store/BancoDeTeste.h"
#include "store/GravacaoAbastecimento.h"

namespace talvero::teste {
namespace {

Moeda M(const char* texto) { return Moeda::deTexto(QString::fromLatin1(texto)); }

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
    // The database refuses every write of that kind on that table, as a full or
    // failing disk would.
    void recusa(const QString& tabela, const QString& operacao) {
        const QString nome = QStringLiteral("recusa_") + tabela + QLatin1Char('_') + operacao;
        if (pg()) {
            direto(QStringLiteral("CREATE OR REPLACE FUNCTION recusa() RETURNS trigger LANGUAGE plpgsql AS "
                                  "$$ BEGIN RAISE EXCEPTION 'gravação recusada'; END $$"));
            direto(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW EXECUTE FUNCTION recusa()")
                       .arg(nome, operacao, tabela));
        } else {
            direto(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 BEGIN SELECT RAISE(ABORT, 'gravação recusada'); END")
                       .arg(nome, operacao, tabela));
        }
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

TEST_P(GravacaoTest, PrimeiraEntregaGravaTodasAsPropriedadesEAtualizaOEncerrante) {
    ASSERT_TRUE(grava(fueling(3, "50.00", "1050.00"), kBruta1));
    const auto lista = todos();
    ASSERT_EQ(lista.size(), 1);
    const Abastecimento& a = lista[0];
    EXPECT_EQ(a.Empresa, 1);
    EXPECT_EQ(a.Data, kDia);
    EXPECT_EQ(a.Hora, QTime(17, 30, 0));
    EXPECT_EQ(a.TempoAbastecimento, QStringLiteral("0130"));
    EXPECT_EQ(a.Bico, 3);
    EXPECT_EQ(a.Produto, 7);
    EXPECT_EQ(a.PrecoUnitario, M("5"));
    EXPECT_EQ(a.Quantidade, M("10"));
    EXPECT_EQ(a.ValorTotal, M("50"));
    EXPECT_EQ(a.Encerrante, M("1050"));
    EXPECT_EQ(a.EncerranteInicial, M("1040"));
    EXPECT_EQ(a.RegistroAutomacao, kBruta1);
    EXPECT_EQ(a.Complemento, QStringLiteral("Aditivada"));
    EXPECT_EQ(a.Cartao, 0);
    EXPECT_EQ(a.ValorParametro, 1);  // company setting 2 absent
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
}

TEST_P(GravacaoTest, DuracaoEmBrancoETotalIgualEhRepeticaoPelaRegraDaChave) {
    ASSERT_TRUE(grava(fueling(3, "50.00", "1050.00"), kBruta1));
    auto a = fueling(3, "50.00", "1050.00");
    a.lTempoAbastecimento = QStringLiteral("    ");
    EXPECT_TRUE(grava(a, QStringLiteral("(outra forma da mesma resposta)")));
    EXPECT_EQ(todos().size(), 1);
    EXPECT_EQ(log.conta(QStringLiteral("Não Foi Gravado")), 1);
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

TEST_P(GravacaoTest, CartaoSoComIdentFidESoQuandoCadastrado) {
    cadastra("CartaoIdentFid.csv", "Empresa,Cartao,Codigo\n1,0123456789ABCDEF,555\n");
    auto a = fueling(3, "50.00", "1050.00", 10);
    a.lCartaoIdentFid = QStringLiteral("0123456789ABCDEF");
    ASSERT_TRUE(grava(a, QStringLiteral("(sem IdentFid)")));
    cfg.lUsarIdentFid = true;
    a.lHoraAbastecimento = QTime(17, 11);
    ASSERT_TRUE(grava(a, QStringLiteral("(cartao cadastrado)")));
    a.lCartaoIdentFid = QStringLiteral("FFFFFFFFFFFFFFFF");
    a.lHoraAbastecimento = QTime(17, 12);
    ASSERT_TRUE(grava(a, QStringLiteral("(cartao desconhecido)")));
    const auto lista = todos();
    ASSERT_EQ(lista.size(), 3);
    EXPECT_EQ(lista[0].Cartao, 0);
    EXPECT_EQ(lista[1].Cartao, 555);
    EXPECT_EQ(lista[2].Cartao, 0);
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

TEST_P(GravacaoTest, SemLeituraDeEncerranteOEncerranteAtualFicaComoEstava) {
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
}

TEST_P(GravacaoTest, ViradaDoMilhaoEBicoSemEncerranteCadastrado) {
    ASSERT_TRUE(grava(fueling(4, "50.00", "15.00"), kBruta1));
    EXPECT_EQ(encerranteDo(4), M("1000015"));
    ASSERT_TRUE(grava(fueling(4, "50.00", "40.00", 31), kBruta2));
    EXPECT_EQ(encerranteDo(4), M("1000040"));

    ASSERT_TRUE(grava(fueling(9, "50.00", "40.00"), QStringLiteral("(bico 9)")));
    EXPECT_EQ(log.conta(QStringLiteral(" - ERRO AutoAtualTabeEncerranteAtual: bico não cadastrado=9")), 1);
    EXPECT_EQ(todos().size(), 3);
}

TEST_P(GravacaoTest, FalhaDoEncerranteNaoSeguraOAbastecimento) {
    recusa(QStringLiteral("EncerranteAtual"), QStringLiteral("UPDATE"));
    EXPECT_TRUE(grava(fueling(3, "50.00", "1050.00"), kBruta1));
    EXPECT_EQ(todos().size(), 1);
    EXPECT_EQ(encerranteDo(3), M("1000"));
    EXPECT_EQ(log.conta(QStringLiteral(" - ERRO AutoAtualTabeEncerranteAtual: ")), 1);
    EXPECT_EQ(timerHabilitado, 1);
}

TEST_P(GravacaoTest, BancoQueRecusaAGravacaoDaFalsoSemTocarNoEncerrante) {
    recusa(QStringLiteral("Abastecimento"), QStringLiteral("INSERT"));
    EXPECT_FALSE(grava(fueling(3, "50.00", "1050.00"), kBruta1));
    EXPECT_TRUE(todos().isEmpty());
    EXPECT_EQ(encerranteDo(3), M("1000"));
    EXPECT_EQ(log.conta(QStringLiteral(" - ERRO AutoAtualTabeAbastecimento: ")), 1);
    EXPECT_EQ(log.conta(QStringLiteral("Teste 1")), 0);
}

TEST(AjusteMilhao, LimitesDeCadaMilhao) {
    const auto ajuste = [](const char* queda) { return GravacaoAbastecimento::AjusteMilhao(-M(queda)); };
    EXPECT_EQ(GravacaoAbastecimento::AjusteMilhao(M("0")), Moeda());
    EXPECT_EQ(GravacaoAbastecimento::AjusteMilhao(M("25")), Moeda());
    EXPECT_EQ(ajuste("999975"), M("1000000"));
    EXPECT_EQ(ajuste("1000000"), M("1000000"));
    EXPECT_EQ(ajuste("1000000.01"), M("2000000"));
    EXPECT_EQ(ajuste("1999980"), M("2000000"));
    EXPECT_EQ(ajuste("7000000.01"), M("8000000"));
    EXPECT_EQ(ajuste("9000000"), M("9000000"));
    // Beyond nine millions the adjustment gives back the stored value unchanged.
    EXPECT_EQ(ajuste("9000000.01"), M("9000000.01"));
    EXPECT_EQ(ajuste("400000") + M("400000"), M("1400000"));  // 500,000 then 400,000 becomes 1,400,000
}

} // namespace
} // namespace talvero::teste
