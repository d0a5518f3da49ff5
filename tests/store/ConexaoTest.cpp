#include "platform/SistemaArquivosLocal.h"
#include "store/BancoDeTeste.h"
#include "store/Cadastros.h"

#include <QDir>

namespace talvero::teste {
namespace {

class ConexaoTest : public BancoTest {};
TALVERO_NOS_DOIS_BANCOS(ConexaoTest);

TEST_P(ConexaoTest, EsquemaCriadoUmaVezERecusadoQuandoMaisNovo) {
    conexao();
    auto outra = novaConexao();
    ASSERT_TRUE(outra->Conecta());
    QSqlQuery q = direto(QStringLiteral("SELECT COUNT(*), MAX(Versao) FROM VersaoEsquema"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 1);
    EXPECT_EQ(q.value(1).toInt(), 1);

    direto(QStringLiteral("UPDATE VersaoEsquema SET Versao = 99"));
    Conexao nova(opcoes_);
    EXPECT_FALSE(nova.Conecta());
    EXPECT_TRUE(nova.ultimoErro().contains(QStringLiteral("mais novo"))) << nova.ultimoErro().toStdString();
}

TEST_P(ConexaoTest, BancoInalcancavelDaFalsoEChamadaLevantaErro) {
    OpcoesBanco inalcancavel = opcoes_;
    if (pg()) inalcancavel.porta = 1;
    else inalcancavel.arquivo = dir_.filePath(QStringLiteral("nao/existe/Talvero.db"));
    Conexao c(inalcancavel);
    EXPECT_FALSE(c.Conecta());
    EXPECT_FALSE(c.ultimoErro().isEmpty());
    Bico bico(c);
    EXPECT_EQ(erroDe([&] { bico.Localiza(1, 1); }), erros::BancoDeDados);
    EXPECT_TRUE(descricaoDe([&] { bico.Localiza(1, 1); }).startsWith("Falha no banco de dados (Bico.Localiza)"));
}

TEST_P(ConexaoTest, TransacaoDesfeitaSemConfirmacao) {
    Abastecimento a(conexao());
    a.Empresa = 1;
    a.Data = QDate(2024, 3, 5);
    a.Hora = QTime(10, 20);
    a.Bico = 1;
    {
        Transacao t(conexao());
        ASSERT_TRUE(a.Inclui());
        a.Bico = 2;
        ASSERT_TRUE(a.Inclui());
    }
    EXPECT_TRUE(Abastecimento::Lista(conexao()).isEmpty());
    {
        Transacao t(conexao());
        ASSERT_TRUE(a.Inclui());
        Abastecimento semData = a;
        semData.Data = QDate();
        EXPECT_THROW(semData.Inclui(), Erro);
        a.Bico = 3;
        EXPECT_THROW(a.Inclui(), Erro) << "a falha desfez a transação";
        EXPECT_THROW(t.confirma(), Erro);
    }
    EXPECT_TRUE(Abastecimento::Lista(conexao()).isEmpty());
    {
        Transacao t(conexao());
        ASSERT_TRUE(a.Inclui());
        t.confirma();
    }
    EXPECT_EQ(Abastecimento::Lista(conexao()).size(), 1);
}

class ServidorTest : public BancoTest {};
INSTANTIATE_TEST_SUITE_P(Bancos, ServidorTest, ::testing::Values(Motor::PostgreSQL), nomeMotor);

TEST_P(ServidorTest, ConexaoPerdidaReabertaNaChamadaSeguinte) {
    cadastra("Produto.csv", "Produto,PrecoVenda\n7,5.79\n");
    QSqlQuery q = conexao().executa(QStringLiteral("teste"), QStringLiteral("SELECT pg_backend_pid()"));
    ASSERT_TRUE(q.next());
    const int pid = q.value(0).toInt();
    q.finish();
    direto(QStringLiteral("SELECT pg_terminate_backend(%1, 10000)").arg(pid));

    Produto produto(conexao());
    EXPECT_THROW(produto.Localiza(7), Erro);
    ASSERT_TRUE(produto.Localiza(7));
    EXPECT_EQ(produto.PrecoVenda, Moeda::deTexto(u"5.79"));
}

TEST(OpcoesBancoTest, LidasDaSecaoDoIni) {
    QTemporaryDir raiz;
    const MapaCaminhos caminhos(raiz.path());
    SistemaArquivosLocal arquivos(caminhos);
    QDir().mkpath(raiz.filePath(QStringLiteral("C/Talvero/AutoTalvero")));
    const QString ini = QStringLiteral("C:\\Talvero\\AutoTalvero\\AutoTalvero.INI");

    OpcoesBanco padrao = OpcoesBanco::doIni(arquivos, caminhos, ini);
    EXPECT_EQ(padrao.driver, OpcoesBanco::Driver::SQLite);
    EXPECT_EQ(padrao.arquivo, raiz.filePath(QStringLiteral("C/Talvero/AutoTalvero/Talvero.db")));

    arquivos.criaTexto(ini, {"[BANCO DE DADOS]", "Driver=PostgreSQL", "Servidor=srv", "Porta=6543", "Banco=posto",
                             "Usuario=agente"});
    OpcoesBanco pg = OpcoesBanco::doIni(arquivos, caminhos, ini);
    EXPECT_EQ(pg.driver, OpcoesBanco::Driver::PostgreSQL);
    EXPECT_EQ(pg.destino(), QStringLiteral("PostgreSQL agente@srv:6543/posto"));
    EXPECT_TRUE(pg.erroConfiguracao.isEmpty());

    arquivos.criaTexto(ini, {"[BANCO DE DADOS]", "Driver=ORACLE", "Porta=70000"});
    Conexao errada(OpcoesBanco::doIni(arquivos, caminhos, ini));
    EXPECT_FALSE(errada.Conecta());
    EXPECT_TRUE(errada.ultimoErro().contains(QStringLiteral("Porta inválida"))) << errada.ultimoErro().toStdString();

    Conexao memoria(OpcoesBanco::sqlite(QStringLiteral(":memory:")));
    ASSERT_TRUE(memoria.Conecta()) << memoria.ultimoErro().toStdString();
    EXPECT_FALSE(Produto(memoria).Localiza(1));
}

} // namespace
} // namespace talvero::teste
