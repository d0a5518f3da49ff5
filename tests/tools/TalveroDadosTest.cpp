#include "comum/BancoDeTeste.h"
#include "comum/RecusaGravacao.h"
#include "platform/CodecAnsi.h"
#include "store/AbastecimentoRejeitado.h"
#include "store/Cadastros.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

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
        QStringList ini{"[AUTOMACAO]", "Casas decimais da litragem=2", "[BANCO DE DADOS]"};
        if (pg())
            ini << "Driver=POSTGRESQL"
                << "Servidor=" + opcoes_.servidor << "Porta=" + QString::number(opcoes_.porta)
                << "Banco=" + opcoes_.banco << "Usuario=" + opcoes_.usuario
                << "Esquema=" + opcoes_.esquema;
        else
            opcoes_.arquivo = pasta + QStringLiteral("/Talvero.db");
        escreve(pasta + QStringLiteral("/AutoTalvero.INI"),
                ini.join(QStringLiteral("\r\n")).toLatin1());
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
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    // A 52-character answer of day 05 kept in quarantine on 10 March 2024: 100.00
    // litres with two decimal places, 10.000 with three.
    std::int64_t rejeita(const char* bico, const char* horaMinuto, const char* encerrante) {
        AbastecimentoRejeitado r(conexao());
        r.Empresa = 1;
        r.DataHoraRecebido = QDateTime(QDate(2024, 3, 10), QTime(9, 0));
        r.RegistroAutomacao = QStringLiteral("(0050000100000500000130") + bico + "05" + horaMinuto +
                              "000000" + encerrante + "0000)";
        r.Erro = QStringLiteral("Código de bico não cadastrado");
        r.Passo = QStringLiteral("1");
        EXPECT_TRUE(r.Inclui());
        return r.Id;
    }
    QList<Abastecimento> gravados() { return Abastecimento::Lista(conexao()); }
    Moeda encerrante() {
        EncerranteAtual e(conexao());
        EXPECT_TRUE(e.Localiza(1, 3));
        return e.Encerrante;
    }
};
TALVERO_NOS_DOIS_BANCOS(TalveroDadosTest);

TEST_P(TalveroDadosTest, CriaImportaListaERecusaImportacaoComErro) {
    ASSERT_EQ(roda({"criar"}).codigo, 0);
    const QString cadastros = dir_.filePath(QStringLiteral("cadastros"));
    escreve(cadastros + "/Bico.csv",
            ansi::codifica(QStringLiteral(
                "Empresa;Bico;Produto;Complemento\r\n1;1;7;Gasolina aditivação\r\n")));
    escreve(cadastros + "/BicoAutomacao.csv", "\xEF\xBB\xBF"
                                              "Codigo,Bico\n0C,1\n0D,2\n");
    Execucao e = roda({"importar", cadastros});
    ASSERT_EQ(e.codigo, 0) << e.erro.toStdString();
    Bico bico(conexao());
    ASSERT_TRUE(bico.Localiza(1, 1));
    EXPECT_EQ(bico.Complemento, QStringLiteral("Gasolina aditivação"));
    EXPECT_EQ(BicoAutomacao(conexao()).BicoDoCodigo(QStringLiteral("0D")), 2);

    Abastecimento a(conexao());
    std::tie(a.Empresa, a.Data, a.Hora, a.Bico) =
        std::tuple(std::int16_t(1), QDate(2024, 3, 5), QTime(10, 20, 5), std::int16_t(1));
    std::tie(a.PrecoUnitario, a.Quantidade, a.ValorTotal) =
        std::tuple(M("5.79"), M("10.345"), M("59.9"));
    a.RegistroAutomacao = QStringLiteral("(A,\"B\")");
    ASSERT_TRUE(a.Inclui());
    e = roda({"abastecimentos", "--csv"});
    EXPECT_EQ(e.saida.split(QStringLiteral("\r\n")).value(1),
              QStringLiteral("1,2024-03-05,10:20:05,1,,0,5.79,10.345,59.90,0,0,0,,0.00,\"(A,"
                             "\"\"B\"\")\",,,0.00,0.00,,0,0"));
    EXPECT_TRUE(roda({"abastecimentos"}).saida.endsWith(QStringLiteral("\n1 abastecimento(s)\n")));
    a.Data = QDate(2024, 3, 6);
    ASSERT_TRUE(a.Inclui());
    e = roda({"abastecimentos", "--data", "2024-03-06"});
    EXPECT_TRUE(e.saida.contains(QStringLiteral("2024-03-06")) &&
                !e.saida.contains(QStringLiteral("2024-03-05")) &&
                e.saida.endsWith(QStringLiteral("\n1 abastecimento(s)\n")))
        << e.saida.toStdString();
    e = roda({"abastecimentos", "--data", "2024-02-30"});
    EXPECT_EQ(e.codigo, 2);
    EXPECT_TRUE(e.erro.contains(QStringLiteral("2024-02-30"))) << e.erro.toStdString();

    // A bad value anywhere imports nothing.
    escreve(cadastros + "/Produto.csv", "Produto,PrecoVenda\n7,9.99\n");
    escreve(cadastros + "/Estoque.csv",
            "# o posto\nEmpresa,Produto,PrecoVenda\n#1,7,x\n1,7,5.79\n1,8,5.7.9\n");
    e = roda({"importar", cadastros});
    EXPECT_EQ(e.codigo, 1);
    EXPECT_TRUE(e.erro.contains(QStringLiteral("Estoque.csv, linha 5, coluna PrecoVenda")))
        << e.erro.toStdString();
    EXPECT_FALSE(Produto(conexao()).Localiza(7));
    // Beyond the currency's range: refused, not wrapped round.
    escreve(cadastros + "/Estoque.csv", "Empresa,Produto,PrecoVenda\n1,7,99999999999999999\n");
    EXPECT_TRUE(roda({"importar", cadastros})
                    .erro.contains(QStringLiteral("Estoque.csv, linha 2, coluna PrecoVenda")));
    // A column the table has not: the ones it has are named.
    escreve(cadastros + "/Estoque.csv", "Empresa,Produto,Preco\n1,7,5.79\n");
    e = roda({"importar", cadastros});
    EXPECT_EQ(e.codigo, 1);
    EXPECT_TRUE(e.erro.contains(QStringLiteral(
        "'Preco' na tabela Estoque (as colunas dela: Empresa, Produto, PrecoVenda)")))
        << e.erro.toStdString();
    EXPECT_EQ(roda({}).codigo, 2);
}

// Untouched, the templates import nothing; with their examples taken in, one
// row each. Their INI file names this very database.
TEST_P(TalveroDadosTest, ModelosImportadosNumBancoVazio) {
    const QString modelos = dir_.filePath(QStringLiteral("modelos"));
    ASSERT_EQ(roda({"modelos", modelos}).codigo, 0);
    EXPECT_EQ(roda({"modelos", modelos}).codigo, 1) << "um modelo escrito por cima";
    ASSERT_EQ(roda({"criar"}).codigo, 0);
    Execucao e = roda({"importar", modelos});
    ASSERT_EQ(e.codigo, 0) << e.erro.toStdString();
    EXPECT_EQ(e.saida.count(QStringLiteral(": 0 registro(s)")), 7) << e.saida.toStdString();

    for (const QFileInfo& info : QDir(modelos).entryInfoList({"*.csv"}, QDir::Files)) {
        QFile f(info.filePath());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QByteArray csv = f.readAll();
        csv.replace("\n#", "\n"); // the example; the first line, a comment, stays
        f.close();
        escreve(info.filePath(), csv);
    }
    e = roda({"importar", modelos});
    ASSERT_EQ(e.codigo, 0) << e.erro.toStdString();
    EXPECT_EQ(e.saida.count(QStringLiteral(": 1 registro(s)")), 7) << e.saida.toStdString();
    EXPECT_EQ(BicoAutomacao(conexao()).BicoDoCodigo(QStringLiteral("01")), 1);

    if (pg()) return;
    const QString ini = dir_.filePath(QStringLiteral("C/Talvero/AutoTalvero/AutoTalvero.INI"));
    ASSERT_TRUE(QFile::remove(ini) && QFile::copy(modelos + "/AutoTalvero.INI", ini));
    e = roda({"abastecimentos"});
    EXPECT_EQ(e.codigo, 0) << e.erro.toStdString();
}

// A path of this system in Arquivo= is the file, not one under the root; a folder
// that is not there is named as the cause.
TEST_P(TalveroDadosTest, ArquivoComCaminhoAbsolutoUsadoComoEsta) {
    if (pg()) GTEST_SKIP() << "só SQLite";
    QTemporaryDir fora;
    const QString arquivo = fora.filePath(QStringLiteral("posto/Talvero.db"));
    const QString ini = dir_.filePath(QStringLiteral("C/Talvero/AutoTalvero/AutoTalvero.INI"));
    escreve(ini, ("[BANCO DE DADOS]\r\nArquivo=" + arquivo + "\r\n").toLocal8Bit());
    Execucao e = roda({"criar"});
    EXPECT_EQ(e.codigo, 1);
    EXPECT_TRUE(
        e.erro.contains(QStringLiteral("a pasta %1 não existe").arg(fora.filePath("posto"))))
        << e.erro.toStdString();
    ASSERT_TRUE(QDir(fora.path()).mkpath(QStringLiteral("posto")));
    e = roda({"criar"});
    EXPECT_EQ(e.codigo, 0) << e.erro.toStdString();
    EXPECT_TRUE(QFileInfo(arquivo).isFile());
    EXPECT_FALSE(QFileInfo::exists(dir_.filePath(arquivo.mid(1)))) << "posto sob a raiz";
}

// Dated by the day it was received, stored once with its totalizer, marked; an
// older fueling of the nozzle leaves the totalizer alone instead of adding a million.
TEST_P(TalveroDadosTest, ReprocessarGravaOQueAgoraSeLeUmaVez) {
    cadastra("EncerranteAtual.csv", "Empresa,Bico,Encerrante\n1,3,1000.00\n");
    const std::int64_t lida = rejeita("0C", "1730", "0000105000");
    rejeita("0C", "1710", "0000102000");
    const std::int64_t ilegivel = rejeita("0D", "1740", "0000106000");
    cadastra("BicoAutomacao.csv", "Codigo,Bico\n0C,3\n");

    for (int vez = 0; vez < 2; ++vez) {
        const Execucao e = roda({"reprocessar"});
        ASSERT_EQ(e.codigo, 0) << e.erro.toStdString();
        const auto lista = gravados();
        ASSERT_EQ(lista.size(), 2) << e.saida.toStdString();
        EXPECT_EQ(std::tuple(lista[0].Data, lista[0].Hora, lista[0].Quantidade, lista[1].Hora),
                  std::tuple(QDate(2024, 3, 5), QTime(17, 10), M("100"), QTime(17, 30)));
        EXPECT_EQ(encerrante(), M("1050"));
        const auto rejeitados = AbastecimentoRejeitado::Lista(conexao());
        EXPECT_EQ(std::tuple(rejeitados[0].DataAbastecimento, rejeitados[0].HoraAbastecimento,
                             rejeitados[0].BicoAbastecimento),
                  std::tuple(QDate(2024, 3, 5), QTime(17, 30), std::int16_t(3)));
        EXPECT_TRUE(rejeitados[1].Reprocessado());
        EXPECT_EQ(std::tuple(rejeitados[2].Reprocessado(), rejeitados[2].Passo),
                  std::tuple(false, QString("1")));
        EXPECT_TRUE(rejeitados[2].Erro.contains(QStringLiteral("0D")))
            << rejeitados[2].Erro.toStdString();
    }
    EXPECT_TRUE(
        roda({"rejeitados", "--csv"}).saida.contains(QStringLiteral(",2024-03-05,17:30:00,3\r\n")));

    // Stored already but not marked: found by the repeat rule, only marked.
    direto(QStringLiteral(
               "UPDATE AbastecimentoRejeitado SET DataHoraReprocessado = NULL WHERE Id = %1")
               .arg(lida));
    ASSERT_EQ(roda({"reprocessar", "--id", QString::number(lida)}).codigo, 0);
    EXPECT_EQ(gravados().size(), 2);
    EXPECT_TRUE(AbastecimentoRejeitado::Lista(conexao())[0].Reprocessado());
    EXPECT_EQ(roda({"reprocessar", "--id", QString::number(ilegivel + 1)}).codigo, 1);
}

// The fueling, its totalizer and the mark go in together or not at all.
TEST_P(TalveroDadosTest, ReprocessarComFalhaDoBancoNaoGravaNemMarcaNada) {
    cadastra("EncerranteAtual.csv", "Empresa,Bico,Encerrante\n1,3,1000.00\n");
    cadastra("BicoAutomacao.csv", "Codigo,Bico\n0C,3\n");
    rejeita("0C", "1730", "0000105000");
    for (const auto& [tabela, operacao] : {std::pair{"AbastecimentoRejeitado", "UPDATE"},
                                           {"EncerranteAtual", "UPDATE"},
                                           {"Abastecimento", "INSERT"}}) {
        recusaGravacoes(conexao(), {tabela}, {operacao});
        const Execucao e = roda({"reprocessar"});
        EXPECT_EQ(e.codigo, 1) << tabela << e.saida.toStdString();
        EXPECT_FALSE(e.erro.isEmpty());
        EXPECT_TRUE(gravados().isEmpty()) << tabela;
        EXPECT_EQ(encerrante(), M("1000")) << tabela;
        EXPECT_FALSE(AbastecimentoRejeitado::Lista(conexao())[0].Reprocessado()) << tabela;
        recusaGravacoes(conexao(), {tabela}, {operacao}, false);
    }
}

} // namespace
} // namespace talvero::teste

namespace talvero::teste {
namespace {

// Nozzle 1 lost 20 L between its two fuelings; nozzle 2's answers carry no totalizer.
TEST_P(TalveroDadosTest, EncerrantesPorBicoComLacunaSaiComTres) {
    ASSERT_EQ(roda({"criar"}).codigo, 0);
    const auto grava = [&](int bico, int produto, QTime hora, const char* litros,
                           const char* encerrante) {
        Abastecimento a(conexao());
        a.Empresa = 1;
        a.Data = QDate(2024, 3, 10);
        a.Hora = hora;
        a.Bico = std::int16_t(bico);
        a.Produto = produto;
        a.Quantidade = M(litros);
        a.Encerrante = M(encerrante);
        a.EncerranteInicial = a.Encerrante - a.Quantidade;
        ASSERT_TRUE(a.Inclui());
    };
    grava(1, 7, QTime(10, 0), "10.000", "1010.00");
    grava(1, 7, QTime(11, 0), "10.000", "1040.00");
    grava(2, 8, QTime(10, 30), "5.500", "0");
    rejeita("0C", "1200", "0000105000");

    const Execucao csv = roda({"encerrantes", "--data", "2024-03-10", "--empresa", "1", "--csv"});
    EXPECT_EQ(csv.codigo, 3) << csv.erro.toStdString();
    EXPECT_EQ(
        csv.saida.toStdString(),
        "Bico,Produto,EncerranteInicial,EncerranteFinal,LitrosEncerrantes,LitrosAbastecimentos,"
        "Diferenca,Lacunas\n"
        "1,7,1000.000,1040.00,40.000,20.000,20.000,1\n"
        "2,8,,,,5.500,,0\n"
        "\n"
        "Bico,DataAnterior,HoraAnterior,EncerranteAnterior,Data,Hora,EncerranteInicial,Litros\n"
        "1,2024-03-10,10:00:00,1010.00,2024-03-10,11:00:00,1030.000,20.000\n");
    const Execucao texto =
        roda({"encerrantes", "--de", "2024-03-10", "--ate", "2024-03-10", "--empresa", "1"});
    EXPECT_EQ(texto.codigo, 3);
    EXPECT_TRUE(texto.saida.contains(
        QStringLiteral("1 resposta(s) do concentrador recebida(s) no período")));
    EXPECT_EQ(roda({"encerrantes", "--data", "2024-03-11", "--empresa", "1"}).codigo, 0);

    // Without --empresa the INI's, read as the agent reads it: none there is company 0.
    EXPECT_EQ(roda({"encerrantes", "--data", "2024-03-10"}).saida.section('\n', 0, 0),
              "Encerrantes de 10/03/2024, empresa 0");
    // A day that does not exist is no day.
    for (const QStringList& uso :
         {QStringList{"encerrantes", "--data", "2024-02-30", "--empresa", "1"},
          {"encerrantes", "--de", "2024-03-10", "--empresa", "1"},
          {"encerrantes", "--de", "2024-03-11", "--ate", "2024-03-10", "--empresa", "1"}}) {
        const Execucao e = roda(uso);
        EXPECT_EQ(e.codigo, 2) << uso.join(' ').toStdString();
        EXPECT_TRUE(e.saida.isEmpty());
    }
}

} // namespace
} // namespace talvero::teste
