#include "comum/BancoDeTeste.h"
#include "platform/SistemaArquivosLocal.h"
#include "store/AbastecimentoRejeitado.h"
#include "store/Cadastros.h"
#include "store/Esquema.h"

#include <QDir>
#include <optional>

namespace talvero::teste {
namespace {

class ConexaoTest : public BancoTest {};
TALVERO_NOS_DOIS_BANCOS(ConexaoTest);

TEST_P(ConexaoTest, EsquemaCriadoUmaVezAtualizadoDaVersao1ERecusadoQuandoMaisNovo) {
    AbastecimentoRejeitado r(conexao());
    r.DataHoraRecebido = QDateTime(QDate(2024, 3, 5), QTime(10, 20, 31));
    ASSERT_TRUE(r.Inclui());
    if (pg())
        direto(QStringLiteral("ALTER TABLE AbastecimentoRejeitado DROP CONSTRAINT "
                              "abastecimentorejeitado_pkey, ADD PRIMARY KEY (Id)"));
    direto(QStringLiteral("DROP INDEX AbastecimentoRejeitado_EmpresaDataHoraReprocessado"));
    for (const char* coluna :
         {"DataHoraReprocessado", "DataAbastecimento", "HoraAbastecimento", "BicoAbastecimento"})
        direto(QStringLiteral("ALTER TABLE AbastecimentoRejeitado DROP COLUMN ") + coluna);
    direto(QStringLiteral("UPDATE VersaoEsquema SET Versao = 1"));

    novaConexao();
    novaConexao();
    QSqlQuery q = direto(QStringLiteral("SELECT COUNT(*), MAX(Versao) FROM VersaoEsquema"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(std::pair(q.value(0).toInt(), q.value(1).toInt()), std::pair(1, esquema::kVersao));
    q.finish();
    r.BicoAbastecimento = 3;
    r.DataHoraReprocessado = r.DataHoraRecebido;
    ASSERT_TRUE(r.Altera(r.Id));
    EXPECT_EQ(AbastecimentoRejeitado::Lista(conexao()).at(0).BicoAbastecimento, 3);
    // Another station's answer with the same number, as a central server gathers them.
    const QString outraEstacao = QStringLiteral(
        "INSERT INTO AbastecimentoRejeitado (Id, Empresa, DataHoraRecebido) SELECT Id, Empresa + "
        "1, DataHoraRecebido FROM AbastecimentoRejeitado");
    bool aceita = true;
    try {
        direto(outraEstacao);
    } catch (const ErroBanco&) {
        aceita = false;
    }
    EXPECT_EQ(aceita, pg());

    direto(QStringLiteral("UPDATE VersaoEsquema SET Versao = 99"));
    Conexao nova(opcoes_);
    EXPECT_FALSE(nova.Conecta());
    EXPECT_TRUE(nova.ultimoErro().contains(QStringLiteral("mais novo")))
        << nova.ultimoErro().toStdString();
}

TEST_P(ConexaoTest, BancoInalcancavelDaFalsoEChamadaLevantaErroDeBanco) {
    OpcoesBanco inalcancavel = opcoes_;
    if (pg())
        inalcancavel.porta = 1;
    else
        inalcancavel.arquivo = dir_.filePath(QStringLiteral("nao/existe/Talvero.db"));
    Conexao c(inalcancavel);
    EXPECT_FALSE(c.Conecta());
    EXPECT_THROW(Bico(c).Localiza(1, 1), ErroBanco);
}

// Transactions nest: an inner one undone alone leaves the outer one going; a
// failed statement anywhere undoes all of it.
TEST_P(ConexaoTest, TransacoesAninhadas) {
    Abastecimento a(conexao());
    std::tie(a.Empresa, a.Data, a.Hora) =
        std::tuple(std::int16_t(1), QDate(2024, 3, 5), QTime(10, 20));
    const auto inclui = [&](int bico) {
        a.Bico = std::int16_t(bico);
        return a.Inclui();
    };
    const auto bicos = [&] {
        QList<int> r;
        for (const Abastecimento& x : Abastecimento::Lista(conexao()))
            r << x.Bico;
        return r;
    };
    {
        Transacao fora(conexao());
        ASSERT_TRUE(inclui(1));
        std::optional<Transacao> dentro(conexao());
        ASSERT_TRUE(inclui(2));
        dentro.reset();
        dentro.emplace(conexao());
        ASSERT_TRUE(inclui(3));
        dentro->confirma();
        fora.confirma();
    }
    EXPECT_EQ(bicos(), QList<int>({1, 3}));
    {
        Transacao fora(conexao());
        ASSERT_TRUE(inclui(4));
        {
            Transacao dentro(conexao());
            a.Data = QDate();
            EXPECT_THROW(inclui(5), ErroBanco);
        }
        a.Data = QDate(2024, 3, 5);
        EXPECT_THROW(inclui(6), ErroBanco) << "a falha desfez a transação";
        EXPECT_THROW(fora.confirma(), ErroBanco);
    }
    ASSERT_TRUE(inclui(7));
    EXPECT_EQ(bicos(), QList<int>({1, 3, 7}));
}

// The section read by the real tool on both databases is proven by talvero-dados's tests.
TEST(OpcoesBancoTest, ValorErradoNoIniRecusaAConexao) {
    QTemporaryDir raiz;
    const MapaCaminhos caminhos(raiz.path());
    SistemaArquivosLocal arquivos(caminhos);
    QDir().mkpath(raiz.filePath(QStringLiteral("C/Talvero/AutoTalvero")));
    const QString ini = QStringLiteral("C:\\Talvero\\AutoTalvero\\AutoTalvero.INI");
    for (const char* errado : {"Driver=ORACLE", "Porta=70000"}) {
        arquivos.criaTexto(ini, {"[BANCO DE DADOS]", errado});
        EXPECT_FALSE(Conexao(OpcoesBanco::doIni(arquivos, caminhos, ini)).Conecta()) << errado;
    }
    EXPECT_TRUE(Conexao(OpcoesBanco::sqlite(QStringLiteral(":memory:"))).Conecta());
}

} // namespace
} // namespace talvero::teste
