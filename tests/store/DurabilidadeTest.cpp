#include "store/BancoDeTeste.h"

#include <QProcess>

namespace talvero::teste {
namespace {

class DurabilidadeTest : public BancoTest {};
INSTANTIATE_TEST_SUITE_P(Bancos, DurabilidadeTest, ::testing::Values(Motor::SQLite), nomeMotor);

// A process killed in the middle of its inserts leaves a sound file that holds
// every fueling whose Inclui had returned.
TEST_P(DurabilidadeTest, ProcessoMortoNaoPerdeAbastecimentoGravado) {
    QProcess filho;
    filho.start(QStringLiteral(TALVERO_FILHO_EXE), {opcoes_.arquivo});
    ASSERT_TRUE(filho.waitForStarted());
    int confirmado = -1;
    QByteArray pendente;
    while (confirmado < 150) {
        ASSERT_TRUE(filho.waitForReadyRead(30000)) << filho.readAllStandardError().toStdString();
        pendente += filho.readAllStandardOutput();
        const qsizetype fim = pendente.lastIndexOf('\n');
        if (fim < 0) continue;
        const QList<QByteArray> linhas = pendente.left(fim).split('\n');
        confirmado = linhas.last().toInt();
        pendente = pendente.mid(fim + 1);
    }
    filho.kill();
    ASSERT_TRUE(filho.waitForFinished());
    EXPECT_EQ(filho.exitStatus(), QProcess::CrashExit);

    QSqlQuery integridade = direto(QStringLiteral("PRAGMA integrity_check"));
    ASSERT_TRUE(integridade.next());
    EXPECT_EQ(integridade.value(0).toString(), QStringLiteral("ok"));
    const QList<Abastecimento> gravados = Abastecimento::Lista(conexao());
    ASSERT_GE(gravados.size(), confirmado + 1);
    for (int i = 0; i <= confirmado; ++i) EXPECT_EQ(gravados[i].ValorTotal.dezMilesimos(), i);
}

} // namespace
} // namespace talvero::teste
