#include "platform/CodecAnsi.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace talvero::teste {
namespace {

QString roda(const QTemporaryDir& raiz, const QStringList& argumentos) {
    QProcess p;
    p.start(QStringLiteral(TALVERO_DADOS_EXE),
            QStringList{"--root", raiz.path(), "log"} + argumentos);
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The newest hour is judged by the date in the name: by name alone, 31/12 of a
// year before would come last.
TEST(ComandoLogTest, MostraOLogMaisRecenteEmUtf8) {
    QTemporaryDir raiz;
    const QString pasta = raiz.filePath("C/Talvero/AutoTalvero/");
    ASSERT_TRUE(QDir().mkpath(pasta));
    const auto escreve = [&](const char* nome, const QString& texto) {
        QFile f(pasta + nome);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(ansi::codifica(texto));
    };
    escreve("AUTOMACAO_31_12_2025_23.LOG", QStringLiteral("23:59:59 - véspera\r\n"));
    escreve("AUTOMACAO_07_12_2026_14.LOG",
            QStringLiteral("14:00:01 - Automação: opção «Caçamba» ½ €\r\n14:00:02 - fim\r\n"));
    EXPECT_EQ(roda(raiz, {}),
              QStringLiteral("14:00:01 - Automação: opção «Caçamba» ½ €\n14:00:02 - fim\n"));
    EXPECT_EQ(roda(raiz, {"AUTOMACAO_31_12_2025_23.LOG"}), QStringLiteral("23:59:59 - véspera\n"));
}

} // namespace
} // namespace talvero::teste
