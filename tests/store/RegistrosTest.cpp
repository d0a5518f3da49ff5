#include "comum/BancoDeTeste.h"
#include "store/MensagemEmail.h"

#include <limits>

namespace talvero::teste {
namespace {

class RegistrosTest : public BancoTest {};
TALVERO_NOS_DOIS_BANCOS(RegistrosTest);

// Money and volume come back to the last ten-thousandth, as integers, never floating point.
TEST_P(RegistrosTest, AbastecimentoGravadoLidoEAlteradoExato) {
    const std::int64_t maior = std::numeric_limits<std::int64_t>::max();
    Abastecimento a(conexao());
    std::tie(a.Empresa, a.Data, a.Hora, a.Bico, a.TempoAbastecimento, a.Produto, a.Funcionario,
             a.Turno) = std::tuple(std::int16_t(1), QDate(2024, 3, 5), QTime(8, 0), std::int16_t(1),
                                   QString("0130"), 7, 3, 2);
    std::tie(a.NumeroCupom, a.PlacaVeiculo, a.Observacao, a.Motorista, a.Complemento, a.Cartao,
             a.ValorParametro) =
        std::tuple(981, QString("ABC1D23"), QString("ação"), QString("José"), QString("Aditivada"),
                   42, std::int16_t(1));
    std::tie(a.PrecoUnitario, a.Quantidade, a.EncerranteInicial, a.ValorDesconto) =
        std::tuple(Moeda::deDezMilesimos(1), Moeda::deDezMilesimos(maior),
                   Moeda::deDezMilesimos(-maior), M("0.0001"));
    a.ValorTotal = M("59.90");
    a.Encerrante = M("123456.78");
    a.RegistroAutomacao = QStringLiteral("(005990010345057900000130)");
    ASSERT_TRUE(a.Inclui());
    EXPECT_FALSE(a.Inclui()) << "chave repetida é recusada";

    Abastecimento lido(conexao());
    ASSERT_TRUE(lido.Localiza(1, a.Data, a.Hora, 1));
    EXPECT_EQ(campos(lido), campos(a));
    QSqlQuery q = direto(QStringLiteral("SELECT %1(Quantidade) FROM Abastecimento")
                             .arg(pg() ? "pg_typeof" : "typeof"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), pg() ? "bigint" : "integer");

    lido.ValorTotal = M("60");
    EXPECT_TRUE(lido.Altera(1, a.Data, a.Hora, 1));
    EXPECT_FALSE(lido.Altera(1, a.Data, QTime(8, 1), 1));
    EXPECT_FALSE(lido.Localiza(1, a.Data, QTime(8, 1), 1));
    ASSERT_EQ(Abastecimento::Lista(conexao()).size(), 1);
    EXPECT_EQ(campos(Abastecimento::Lista(conexao()).first()), campos(lido));

    // The records of one nozzle in one minute, by time.
    for (const auto& [bico, hora] : {std::pair{1, QTime(8, 0, 55)},
                                     {1, QTime(8, 0, 5)},
                                     {1, QTime(8, 1)},
                                     {2, QTime(8, 0, 10)}}) {
        std::tie(a.Bico, a.Hora) = std::tuple(std::int16_t(bico), hora);
        a.RegistroAutomacao = hora.toString();
        ASSERT_TRUE(a.Inclui());
    }
    const auto noMinuto = Abastecimento(conexao()).RegistrosNoMinuto(1, a.Data, QTime(8, 0, 30), 1);
    ASSERT_EQ(noMinuto.size(), 3);
    EXPECT_EQ(std::tuple(noMinuto[0].Hora, noMinuto[1].RegistroAutomacao, noMinuto[2].Hora),
              std::tuple(QTime(8, 0), QString("08:00:05"), QTime(8, 0, 55)));
}

TEST_P(RegistrosTest, MensagensNumeradasPorEmpresa) {
    MensagemEmail m(conexao());
    m.Mensagem = QStringLiteral("linha 1\r\nlinha 2");
    m.Concluido = true;
    for (const auto& [empresa, numero] : {std::pair{7, 1}, {7, 2}, {8, 1}}) {
        m.Empresa = std::int16_t(empresa);
        ASSERT_TRUE(m.Inclui());
        EXPECT_EQ(m.Numero, numero);
    }
    MensagemEmail lida(conexao());
    ASSERT_TRUE(lida.Localiza(7, 2));
    EXPECT_EQ(std::tuple(lida.Empresa, lida.Numero, lida.Mensagem, lida.Concluido),
              std::tuple(std::int16_t(7), 2, m.Mensagem, true));
    lida.Concluido = false;
    EXPECT_TRUE(lida.Altera(7, 2));
    EXPECT_FALSE(lida.Altera(7, 3));
    ASSERT_TRUE(lida.Localiza(7, 2));
    EXPECT_FALSE(lida.Concluido);
}

} // namespace
} // namespace talvero::teste
