#include "comum/BancoDeTeste.h"

namespace talvero::teste {
namespace {

class DurabilidadeTest : public BancoTest {};
INSTANTIATE_TEST_SUITE_P(Bancos, DurabilidadeTest, ::testing::Values(Motor::SQLite), nomeMotor);

// A killed process loses no committed fueling whatever the journal, so the
// settings that make it survive a power cut, and wait for another program
// holding the file, are checked on the connection itself.
TEST_P(DurabilidadeTest, SqliteComJournalWalSincronismoTotalEEsperaDe10SegundosPelaTrava) {
    const auto pragma = [this](const char* nome) {
        QSqlQuery q = conexao().executa(QStringLiteral("Durabilidade"),
                                        QStringLiteral("PRAGMA ") + QLatin1String(nome));
        return q.next() ? q.value(0).toString() : QString();
    };
    EXPECT_EQ(pragma("journal_mode"), QStringLiteral("wal"));
    EXPECT_EQ(pragma("synchronous"), QStringLiteral("2"));
    EXPECT_EQ(pragma("busy_timeout"), QStringLiteral("10000"));
}

} // namespace
} // namespace talvero::teste
