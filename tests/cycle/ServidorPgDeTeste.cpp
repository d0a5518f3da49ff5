#include "cycle/ServidorPgDeTeste.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <unistd.h>

namespace talvero::teste {

namespace {

const QString kScript = QStringLiteral(TALVERO_FONTES "/scripts/postgres-teste");

QString pgCtlInstalado() {
    QDir raiz(QStringLiteral("/usr/lib/postgresql"));
    QStringList versoes = raiz.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCollator numerico;
    numerico.setNumericMode(true);
    std::sort(versoes.begin(), versoes.end(), numerico);
    for (auto v = versoes.rbegin(); v != versoes.rend(); ++v) {
        const QString p = raiz.filePath(*v + QStringLiteral("/bin/pg_ctl"));
        if (QFile::exists(p)) return p;
    }
    return QStandardPaths::findExecutable(QStringLiteral("pg_ctl"));
}

} // namespace

QString ServidorPgDeTeste::motivoParaPular() {
    if (qEnvironmentVariable("CI") == QLatin1String("true")) return {};
    if (qEnvironmentVariable("TALVERO_TESTE_PG_HOST").isEmpty())
        return QStringLiteral("sem servidor PostgreSQL de teste (TALVERO_TESTE_PG_* ausente)");
    if (pgCtlInstalado().isEmpty()) return QStringLiteral("pg_ctl não encontrado");
    return {};
}

ServidorPgDeTeste::ServidorPgDeTeste() : pgCtl_(pgCtlInstalado()) {
    QString saida;
    if (!executa(kScript, {QStringLiteral("start"), dir_.path()}, &saida)) return;
    QFile pgdata(dir_.filePath(QStringLiteral("pgdata")));
    if (pgdata.open(QIODevice::ReadOnly)) dados_ = QString::fromLocal8Bit(pgdata.readAll()).trimmed();
    opcoes_.driver = OpcoesBanco::Driver::PostgreSQL;
    for (const QString& linha : saida.split(QLatin1Char('\n'))) {
        const QString l = linha.trimmed().remove(QStringLiteral("export "));
        const QString valor = l.section(QLatin1Char('='), 1);
        if (l.startsWith(QLatin1String("TALVERO_TESTE_PG_HOST="))) opcoes_.servidor = valor;
        if (l.startsWith(QLatin1String("TALVERO_TESTE_PG_PORTA="))) opcoes_.porta = valor.toInt();
        if (l.startsWith(QLatin1String("TALVERO_TESTE_PG_USUARIO="))) opcoes_.usuario = valor;
        if (l.startsWith(QLatin1String("TALVERO_TESTE_PG_BANCO="))) opcoes_.banco = valor;
    }
}

ServidorPgDeTeste::~ServidorPgDeTeste() {
    if (!dados_.isEmpty()) executa(kScript, {QStringLiteral("stop"), dir_.path()});
}

void ServidorPgDeTeste::para() { pgCtl({QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("stop")}); }

void ServidorPgDeTeste::inicia() {
    pgCtl({QStringLiteral("-l"), dados_ + QStringLiteral("/servidor.log"), QStringLiteral("start")});
}

// The cluster belongs to the 'postgres' user when the tests run as root.
bool ServidorPgDeTeste::pgCtl(const QStringList& argumentos) {
    const QStringList comum = QStringList{QStringLiteral("-D"), dados_, QStringLiteral("-w"), QStringLiteral("-t"),
                                          QStringLiteral("60")} + argumentos;
    if (::geteuid() == 0)
        return executa(QStringLiteral("runuser"),
                       QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"), pgCtl_} + comum);
    return executa(pgCtl_, comum);
}

bool ServidorPgDeTeste::executa(const QString& programa, const QStringList& argumentos, QString* saida) {
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(programa, argumentos);
    if (!p.waitForFinished(120'000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        erro_ = programa + QLatin1Char(' ') + argumentos.join(QLatin1Char(' ')) + QStringLiteral(": ") +
                QString::fromLocal8Bit(p.readAllStandardError());
        return false;
    }
    if (saida) *saida = QString::fromLocal8Bit(p.readAllStandardOutput());
    return true;
}

} // namespace talvero::teste
