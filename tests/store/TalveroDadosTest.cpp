#include "platform/CodecAnsi.h"
#include "store/BancoDeTeste.h"
#include "store/Cadastros.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace talvero::teste {
namespace {

struct Execucao {
    int codigo = -1;
    QString saida;
    QString erro;
};

// The technicians' tool against the database named by the INI file of a station
// laid out under a temporary root.
class TalveroDadosTest : public BancoTest {
protected:
    void SetUp() override {
        BancoTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        const QString pasta = dir_.filePath(QStringLiteral("C/Talvero/AutoTalvero"));
        QDir().mkpath(pasta);
        QStringList ini{"[BANCO DE DADOS]"};
        if (pg())
            ini << "Driver=POSTGRESQL" << "Servidor=" + opcoes_.servidor << "Porta=" + QString::number(opcoes_.porta)
                << "Banco=" + opcoes_.banco << "Usuario=" + opcoes_.usuario << "Esquema=" + opcoes_.esquema;
        else
            opcoes_.arquivo = pasta + QStringLiteral("/Talvero.db");
        escreve(pasta + QStringLiteral("/AutoTalvero.INI"), ini.join(QStringLiteral("\r\n")).toLatin1());
    }

    void escreve(const QString& caminho, const QByteArray& conteudo) {
        QDir().mkpath(QFileInfo(caminho).path());
        QFile f(caminho);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(conteudo);
    }

    Execucao roda(QStringList argumentos) {
        QProcess p;
        p.start(QStringLiteral(TALVERO_DADOS_EXE), QStringList{"--root", dir_.path()} + argumentos);
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }
};
TALVERO_NOS_DOIS_BANCOS(TalveroDadosTest);

TEST_P(TalveroDadosTest, CriaImportaELista) {
    Execucao e = roda({"criar"});
    ASSERT_EQ(e.codigo, 0) << e.erro.toStdString();
    EXPECT_TRUE(e.saida.contains(QStringLiteral("esquema versão 1")));

    const QString cadastros = dir_.filePath(QStringLiteral("cadastros"));
    escreve(cadastros + "/Bico.csv", ansi::codifica(QStringLiteral("Empresa;Bico;Produto;Complemento\r\n1;1;7;Gasolina aditivação\r\n1;2;7;\r\n")));
    escreve(cadastros + "/BicoAutomacao.csv", "\xEF\xBB\xBF" "Codigo,Bico\n0C,1\n0D,2\n");
    escreve(cadastros + "/Produto.csv", "Produto,PrecoVenda\n7,5.79\n");
    e = roda({"importar", cadastros});
    ASSERT_EQ(e.codigo, 0) << e.erro.toStdString();
    EXPECT_EQ(e.saida, QStringLiteral("BicoAutomacao: 2 registro(s) importado(s)\nBico: 2 registro(s) importado(s)\n"
                                      "Produto: 1 registro(s) importado(s)\nImportação concluída: 3 arquivo(s).\n"));
    Bico bico(conexao());
    ASSERT_TRUE(bico.Localiza(1, 1));
    EXPECT_EQ(bico.Complemento, QStringLiteral("Gasolina aditivação"));
    EXPECT_EQ(BicoAutomacao(conexao()).BicoDoCodigo(QStringLiteral("0D")), 2);

    Abastecimento a(conexao());
    a.Empresa = 1;
    a.Data = QDate(2024, 3, 5);
    a.Hora = QTime(10, 20, 5);
    a.Bico = 1;
    a.PrecoUnitario = Moeda::deTexto(u"5.79");
    a.Quantidade = Moeda::deTexto(u"10.345");
    a.ValorTotal = Moeda::deTexto(u"59.9");
    a.RegistroAutomacao = QStringLiteral("(A,\"B\")");
    ASSERT_TRUE(a.Inclui());
    e = roda({"abastecimentos", "--csv"});
    ASSERT_EQ(e.codigo, 0) << e.erro.toStdString();
    EXPECT_EQ(e.saida.split(QStringLiteral("\r\n")).value(1),
              QStringLiteral("1,2024-03-05,10:20:05,1,,0,5.79,10.345,59.90,0,0,0,,0.00,\"(A,\"\"B\"\")\",,,0.00,0.00,,0,0"));
    e = roda({"abastecimentos"});
    EXPECT_TRUE(e.saida.endsWith(QStringLiteral("\n1 abastecimento(s)\n"))) << e.saida.toStdString();
    e = roda({"rejeitados", "--csv"});
    EXPECT_EQ(e.saida, QStringLiteral("Id,Empresa,DataHoraRecebido,RegistroAutomacao,Erro,Passo\r\n"));
}

TEST_P(TalveroDadosTest, ImportacaoComErroNaoGravaNada) {
    const QString cadastros = dir_.filePath(QStringLiteral("cadastros"));
    escreve(cadastros + "/Produto.csv", "Produto,PrecoVenda\n7,9.99\n");
    escreve(cadastros + "/Estoque.csv", "Empresa,Produto,PrecoVenda\n1,7,5.79\n1,8,5.7.9\n");
    Execucao e = roda({"importar", cadastros});
    EXPECT_EQ(e.codigo, 1);
    EXPECT_TRUE(e.erro.contains(QStringLiteral("Estoque.csv, linha 3, coluna PrecoVenda"))) << e.erro.toStdString();
    EXPECT_FALSE(Produto(conexao()).Localiza(7));

    escreve(cadastros + "/Estoque.csv", "Empresa,PrecoVenda\n1,5.79\n");
    e = roda({"importar", cadastros});
    EXPECT_TRUE(e.erro.contains(QStringLiteral("falta a coluna-chave 'Produto'"))) << e.erro.toStdString();
    EXPECT_EQ(roda({}).codigo, 2);
}

} // namespace
} // namespace talvero::teste
