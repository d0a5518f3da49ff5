#include "estacao/ServidorPgDeTeste.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <algorithm>
#include <unistd.h>

namespace talvero::teste {

namespace {

const QString kScript = QStringLiteral(TALVERO_FONTES "/scripts/postgres-teste");

// The newest installed version's, as the throwaway-server script picks it.
QString pgCtlInstalado() {
    const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin/pg_ctl");
    QStringList versoes =
        QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versoes.begin(), versoes.end(),
              [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
    for (const QString& v : versoes)
        if (QFile::exists(bin.arg(v))) return bin.arg(v);
    return QStringLiteral("pg_ctl");
}

} // namespace

QString ServidorPgDeTeste::motivoParaPular() {
    if (qEnvironmentVariable("CI") == QLatin1String("true")) return {};
    if (qEnvironmentVariable("TALVERO_TESTE_PG_HOST").isEmpty())
        return QStringLiteral("sem servidor PostgreSQL de teste (TALVERO_TESTE_PG_* ausente)");
    return {};
}

ServidorPgDeTeste::ServidorPgDeTeste() {
    QString saida;
    if (!executa(kScript, {QStringLiteral("start"), dir_.path()}, &saida)) return;
    QFile pgdata(dir_.filePath(QStringLiteral("pgdata")));
    if (pgdata.open(QIODevice::ReadOnly))
        dados_ = QString::fromLocal8Bit(pgdata.readAll()).trimmed();
    // The script prints "export TALVERO_TESTE_PG_HOST=..." lines.
    QMap<QString, QString> valores;
    for (QString linha : saida.split(QLatin1Char('\n'))) {
        linha = linha.trimmed().remove(QStringLiteral("export "));
        valores[linha.section(QLatin1Char('='), 0, 0)] = linha.section(QLatin1Char('='), 1);
    }
    opcoes_.driver = OpcoesBanco::Driver::PostgreSQL;
    opcoes_.servidor = valores.value(QStringLiteral("TALVERO_TESTE_PG_HOST"));
    opcoes_.porta = valores.value(QStringLiteral("TALVERO_TESTE_PG_PORTA")).toInt();
    opcoes_.usuario = valores.value(QStringLiteral("TALVERO_TESTE_PG_USUARIO"));
    opcoes_.banco = valores.value(QStringLiteral("TALVERO_TESTE_PG_BANCO"));
}

ServidorPgDeTeste::~ServidorPgDeTeste() {
    if (!dados_.isEmpty()) executa(kScript, {QStringLiteral("stop"), dir_.path()});
}

void ServidorPgDeTeste::para() {
    pgCtl({QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("stop")});
}
void ServidorPgDeTeste::inicia() {
    pgCtl(
        {QStringLiteral("-l"), dados_ + QStringLiteral("/servidor.log"), QStringLiteral("start")});
}

bool ServidorPgDeTeste::pgCtl(const QStringList& argumentos) {
    return teste::pgCtl(dados_, argumentos);
}

bool pgCtl(const QString& dados, const QStringList& argumentos) {
    QStringList comando =
        QStringList{pgCtlInstalado(),     QStringLiteral("-D"), dados,
                    QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60")} +
        argumentos;
    if (::geteuid() == 0) comando = QStringList{"runuser", "-u", "postgres", "--"} + comando;
    QProcess p;
    p.start(comando.first(), comando.mid(1));
    return p.waitForFinished(120'000) && p.exitStatus() == QProcess::NormalExit &&
           p.exitCode() == 0;
}

bool ServidorPgDeTeste::executa(const QString& programa, const QStringList& argumentos,
                                QString* saida) {
    QProcess p;
    p.start(programa, argumentos);
    if (!p.waitForFinished(120'000) || p.exitStatus() != QProcess::NormalExit ||
        p.exitCode() != 0) {
        erro_ = programa + QLatin1Char(' ') + argumentos.join(QLatin1Char(' ')) +
                QStringLiteral(": ") + QString::fromLocal8Bit(p.readAllStandardError());
        return false;
    }
    if (saida) *saida = QString::fromLocal8Bit(p.readAllStandardOutput());
    return true;
}

} // namespace talvero::teste
