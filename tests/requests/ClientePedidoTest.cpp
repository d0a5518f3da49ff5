#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The built client against a station root where the test plays the agent.
class ClientePedidoTest : public ::testing::Test {
protected:
    QTemporaryDir raiz_;
    QDir agente_{raiz_.filePath("C/Automacao")};
    QDir retornos_{raiz_.filePath("UNC/CAIXA01/Automacao")};
    QProcess cliente_;

    void SetUp() override { // "-PC" gets a share too, so that only its name can refuse it
        for (const char* pasta : {"C/Automacao", "UNC/CAIXA01/Automacao", "UNC/-PC/Automacao"})
            ASSERT_TRUE(QDir(raiz_.path()).mkpath(pasta));
    }
    void inicia(const QStringList& args) {
        cliente_.start(TALVERO_PEDIDO_EXE,
                       QStringList{"--root", raiz_.path(), "--origem", "CAIXA01"} + args);
    }
    int termina() { return cliente_.waitForFinished(30000) ? cliente_.exitCode() : -1; }

    // Takes the request as the agent does, checking it whole the moment it has its final name.
    QString recolhe(const QByteArray& esperado) {
        QStringList nomes;
        const QDeadlineTimer prazo(30000);
        while (nomes.isEmpty() && !prazo.hasExpired() && !cliente_.waitForFinished(10))
            nomes = agente_.entryList({"Pedido_*.AUT"}, QDir::Files);
        QFile pedido(agente_.filePath(nomes.value(0)));
        EXPECT_TRUE(nomes.size() == 1 && nomes[0].size() == 26 &&
                    pedido.open(QIODevice::ReadOnly) && pedido.readAll() == esperado &&
                    pedido.remove())
            << nomes.join(' ').toStdString();
        return nomes.value(0).mid(7, 15);
    }
    void responde(const QString& id, const QByteArray& retorno, const QByteArray& parametro) {
        QFile tmp(retornos_.filePath("Retorno_" + id + ".TMP"));
        ASSERT_TRUE(tmp.open(QIODevice::WriteOnly) &&
                    tmp.write("[RETORNO AUTOMACAO]\r\nRetorno=" + retorno +
                              "\r\nParametro=" + parametro + "\r\n") > 0);
        ASSERT_TRUE(tmp.rename(retornos_.filePath("Retorno_" + id + ".AUT")));
    }
};

// A card command exits 0 only when the identifier confirmed it.
TEST_F(ClientePedidoTest, RespostaDaOCodigoDeSaidaEComandoSemRespostaEsperaORecolhimento) {
    const std::tuple<QByteArray, QByteArray, int, QByteArray> casos[] = {
        {"OK", "000000|@|", 0, "cartão excluído do IdentFid (posição 000003)"},
        {"OK", "|@|", 1, "o identificador não confirmou"},
        {"OK", "", 1, "sem resposta do identificador"},
        {"AUTOMACAO EM PAUSA", "", 1, {}}};
    for (const auto& [retorno, parametro, codigo, resultado] : casos) {
        inicia({"AUTOMACAO EXCLUI CARTAO", "1234567890123456", "000003"});
        responde(
            recolhe("[PEDIDO AUTOMACAO]\r\nComando=AUTOMACAO EXCLUI CARTAO\r\nOrigem=CAIXA01\r\n"
                    "Parametro=1234567890123456|@|000003|@|\r\n"),
            retorno, parametro);
        EXPECT_EQ(termina(), codigo) << parametro.toStdString();
        EXPECT_EQ(cliente_.readAllStandardOutput(),
                  "Retorno: " + retorno + "\nParametro: " + parametro + "\n" +
                      (resultado.isEmpty() ? QByteArray() : "Resultado: " + resultado + ".\n"));
        EXPECT_TRUE(retornos_.isEmpty() && agente_.isEmpty());
    }
    inicia({"AUTOMACAO FECHA"});
    recolhe("[PEDIDO AUTOMACAO]\r\nComando=AUTOMACAO FECHA\r\nOrigem=CAIXA01\r\nParametro=\r\n");
    EXPECT_EQ(termina(), 0);
}

// A request nobody took is withdrawn, so that a restarted agent does not act on it.
TEST_F(ClientePedidoTest, SemRespostaNoPrazoSai2EEntradaRuimSai3SemDeixarPedido) {
    const std::pair<QStringList, int> casos[] = {
        {{"--espera", "1", "AUTOMACAO FECHA"}, 2},
        {{"--espera", "1", "AUTOMACAO ATIVADA"}, 2},
        {{"--origem", "-PC", "AUTOMACAO ATIVADA"}, 3},
        {{"--origem", "PC2", "AUTOMACAO ATIVADA"}, 3},
        {{"AUTOMACAO INCLUI CARTAO", "12\n34"}, 3},
        {{"AUTOMACAO INCLUI CARTAO", "(&I)(&I)(&I)(&I)"}, 3},
        {{"AUTOMACAO EXCLUI CARTAO", "1234567890123456", "00003"}, 3},
        {{"AUTOMACAO PESQUISA CARTAO"}, 3}};
    for (const auto& [args, codigo] : casos) {
        inicia(args);
        EXPECT_EQ(termina(), codigo) << args.join(' ').toStdString();
        EXPECT_TRUE(!cliente_.readAllStandardError().isEmpty() && agente_.isEmpty())
            << args.join(' ').toStdString();
    }
}
