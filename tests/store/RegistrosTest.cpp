#include "store/AbastecimentoRejeitado.h"
#include "store/BancoDeTeste.h"
#include "store/Cadastros.h"
#include "store/MensagemEmail.h"

#include <limits>

namespace talvero::teste {
namespace {

class RegistrosTest : public BancoTest {
protected:
    Abastecimento abastecimento(int bico, QTime hora) {
        Abastecimento a(conexao());
        a.Empresa = 1;
        a.Data = QDate(2024, 3, 5);
        a.Hora = hora;
        a.Bico = std::int16_t(bico);
        a.TempoAbastecimento = QStringLiteral("0130");
        a.Produto = 7;
        a.PrecoUnitario = M("5.79");
        a.Quantidade = M("10.345");
        a.ValorTotal = M("59.90");
        a.Encerrante = M("123456.78");
        a.RegistroAutomacao = QStringLiteral("(005990010345057900000130") + QString::number(bico);
        a.EncerranteInicial = a.Encerrante - a.Quantidade;
        a.Complemento = QStringLiteral("Aditivada");
        a.Cartao = 42;
        a.ValorParametro = 1;
        return a;
    }
};
TALVERO_NOS_DOIS_BANCOS(RegistrosTest);

TEST_P(RegistrosTest, CadastrosLocalizadosPelaChave) {
    cadastra("BicoAutomacao.csv", "Codigo,Bico\n0C,12\n");
    cadastra("Bico.csv", "Empresa;Bico;Produto;Complemento\n1;12;7;\"Diesel S10; aditivado\"\n");
    cadastra("Produto.csv", "Produto,PrecoVenda\n7,5.79\n");
    cadastra("Estoque.csv", "Empresa,Produto,PrecoVenda\n1,7,5.8999\n");
    cadastra("CartaoIdentFid.csv", "Empresa,Cartao,Codigo\n1,0123456789ABCDEF,555\n");
    cadastra("ParametroEmpresa.csv", "Empresa,Numero,Valor\n1,2,3\n");
    cadastra("EncerranteAtual.csv", "Empresa,Bico,Encerrante\n1,12,99999999.99\n");

    EXPECT_EQ(BicoAutomacao(conexao()).BicoDoCodigo(QStringLiteral("0C")), 12);
    EXPECT_EQ(descricaoDe([&] { BicoAutomacao(conexao()).BicoDoCodigo(QStringLiteral("0D")); }),
              QStringLiteral("Código de bico não cadastrado: 0D"));
    Bico bico(conexao());
    ASSERT_TRUE(bico.Localiza(1, 12));
    EXPECT_EQ(std::tuple(bico.Produto, bico.Complemento), std::tuple(7, QString("Diesel S10; aditivado")));
    EXPECT_FALSE(bico.Localiza(2, 12));
    EXPECT_EQ(bico.Produto, 7) << "uma busca sem resultado não mexe nas propriedades";
    Produto produto(conexao());
    ASSERT_TRUE(produto.Localiza(7));
    EXPECT_EQ(produto.PrecoVenda, M("5.79"));
    Estoque estoque(conexao());
    ASSERT_TRUE(estoque.Localiza(1, 7));
    EXPECT_EQ(estoque.PrecoVenda, M("5.8999"));
    CartaoIdentFid cartao(conexao());
    ASSERT_TRUE(cartao.Localiza(1, QStringLiteral("0123456789ABCDEF")));
    EXPECT_EQ(cartao.Codigo, 555);
    EXPECT_FALSE(cartao.Localiza(1, QStringLiteral("0123456789ABCDEE")));
    ParametroEmpresa parametro(conexao());
    ASSERT_TRUE(parametro.Localiza(1, 2));
    EXPECT_EQ(parametro.Valor, QStringLiteral("3"));

    EncerranteAtual encerrante(conexao());
    ASSERT_TRUE(encerrante.Localiza(1, 12));
    EXPECT_EQ(encerrante.Encerrante, M("99999999.99"));
    encerrante.Encerrante = encerrante.Encerrante + M("9000000.01");
    EXPECT_TRUE(encerrante.Altera(1, 12));
    EXPECT_FALSE(encerrante.Altera(1, 13));
    EncerranteAtual relido(conexao());
    ASSERT_TRUE(relido.Localiza(1, 12));
    EXPECT_EQ(relido.Encerrante, M("109000000"));
}

TEST_P(RegistrosTest, AbastecimentoGravadoLidoEAlterado) {
    Abastecimento a = abastecimento(1, QTime(10, 20));
    a.Funcionario = 3;
    a.Turno = 2;
    a.NumeroCupom = 981;
    a.PlacaVeiculo = QStringLiteral("ABC1D23");
    a.Observacao = QStringLiteral("ação");
    a.Motorista = QStringLiteral("José");
    a.ValorDesconto = M("0.0001");
    ASSERT_TRUE(a.Inclui());
    EXPECT_FALSE(a.Inclui()) << "chave repetida é recusada";

    Abastecimento lido(conexao());
    ASSERT_TRUE(lido.Localiza(1, QDate(2024, 3, 5), QTime(10, 20), 1));
    EXPECT_EQ(campos(lido), campos(a));
    EXPECT_EQ(lido.EncerranteInicial, M("123446.435"));

    lido.ValorTotal = M("60");
    EXPECT_TRUE(lido.Altera(1, QDate(2024, 3, 5), QTime(10, 20), 1));
    EXPECT_FALSE(lido.Altera(1, QDate(2024, 3, 5), QTime(10, 21), 1));
    EXPECT_FALSE(lido.Localiza(1, QDate(2024, 3, 5), QTime(10, 21), 1));
    const auto lista = Abastecimento::Lista(conexao());
    ASSERT_EQ(lista.size(), 1);
    EXPECT_EQ(campos(lista.first()), campos(lido));
}

TEST_P(RegistrosTest, DinheiroEVolumeExatosEMesmoMinuto) {
    const std::int64_t maior = std::numeric_limits<std::int64_t>::max();
    for (int i = 0; i < 5; ++i) {
        Abastecimento a = abastecimento(1, QTime(8, 0, i * 5));
        a.PrecoUnitario = Moeda::deDezMilesimos(i);
        a.Quantidade = Moeda::deDezMilesimos(maior - i);
        a.EncerranteInicial = Moeda::deDezMilesimos(-maior + i);
        ASSERT_TRUE(a.Inclui());
    }
    const QList<Abastecimento> lista = Abastecimento::Lista(conexao());
    ASSERT_EQ(lista.size(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(std::tuple(lista[i].PrecoUnitario.dezMilesimos(), lista[i].Quantidade.dezMilesimos(),
                             lista[i].EncerranteInicial.dezMilesimos()),
                  std::tuple(std::int64_t(i), maior - i, -maior + i));
    QSqlQuery q = direto(QStringLiteral("SELECT %1(PrecoUnitario), PrecoUnitario FROM Abastecimento WHERE Hora = '08:00:05'")
                             .arg(pg() ? "pg_typeof" : "typeof"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), pg() ? "bigint" : "integer") << "guardado como inteiro, nunca ponto flutuante";
    EXPECT_EQ(q.value(1).toLongLong(), 1);

    // The records of one nozzle in one minute, by time.
    ASSERT_TRUE(abastecimento(1, QTime(8, 0, 55)).Inclui());
    ASSERT_TRUE(abastecimento(1, QTime(8, 1)).Inclui());
    ASSERT_TRUE(abastecimento(2, QTime(8, 0, 10)).Inclui());
    const auto noMinuto = Abastecimento(conexao()).RegistrosNoMinuto(1, QDate(2024, 3, 5), QTime(8, 0), 1);
    ASSERT_EQ(noMinuto.size(), 6);
    EXPECT_EQ(noMinuto[0].Hora, QTime(8, 0, 0));
    EXPECT_EQ(noMinuto[5].Hora, QTime(8, 0, 55));
    EXPECT_EQ(noMinuto[1].RegistroAutomacao, abastecimento(1, QTime()).RegistroAutomacao);
}

TEST_P(RegistrosTest, MensagensNumeradasPorEmpresaERejeitadosGuardados) {
    MensagemEmail m(conexao());
    m.Empresa = 7;
    m.Mensagem = QStringLiteral("linha 1\r\nlinha 2");
    m.Concluido = true;
    for (const auto& [empresa, numero] : {std::pair{7, 1}, {7, 2}, {8, 1}}) {
        m.Empresa = std::int16_t(empresa);
        ASSERT_TRUE(m.Inclui());
        EXPECT_EQ(m.Numero, numero);
    }
    MensagemEmail lida(conexao());
    ASSERT_TRUE(lida.Localiza(7, 2));
    EXPECT_EQ(std::tuple(lida.Empresa, lida.Numero, lida.Mensagem, lida.Concluido), std::tuple(std::int16_t(7), 2, m.Mensagem, true));
    lida.Concluido = false;
    EXPECT_TRUE(lida.Altera(7, 2));
    EXPECT_FALSE(lida.Altera(7, 3));
    ASSERT_TRUE(lida.Localiza(7, 2));
    EXPECT_FALSE(lida.Concluido);
    EXPECT_FALSE(lida.Localiza(7, 3));

    AbastecimentoRejeitado r(conexao());
    r.Empresa = 1;
    r.DataHoraRecebido = QDateTime(QDate(2024, 3, 5), QTime(10, 20, 31));
    r.RegistroAutomacao = QStringLiteral("(0059X0010345)");
    r.Erro = QStringLiteral("Tipos incompatíveis");
    r.Passo = QStringLiteral("10");
    ASSERT_TRUE(r.Inclui());
    const std::int64_t primeiro = r.Id;
    ASSERT_TRUE(r.Inclui());
    EXPECT_GT(r.Id, primeiro);
    const auto lista = AbastecimentoRejeitado::Lista(conexao());
    ASSERT_EQ(lista.size(), 2);
    EXPECT_EQ(std::tuple(lista[0].Id, lista[0].DataHoraRecebido, lista[0].RegistroAutomacao, lista[0].Erro, lista[0].Passo),
              std::tuple(primeiro, r.DataHoraRecebido, r.RegistroAutomacao, r.Erro, QString("10")));
}

} // namespace
} // namespace talvero::teste
