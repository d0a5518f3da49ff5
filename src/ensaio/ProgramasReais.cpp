#include "ensaio/ProgramasReais.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <stdexcept>
#include <unistd.h>

namespace talvero {

namespace {

QByteArray leArquivo(const QString& caminho) {
    QFile f(caminho);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

qint64 campoKb(const QByteArray& status, const QByteArray& nome) {
    for (const QByteArray& linha : status.split('\n'))
        if (linha.startsWith(nome + ':'))
            return linha.mid(nome.size() + 1).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// Milliseconds in "se.sum_exec_runtime   :   123.456789"; -1 when absent.
double execucaoMs(const QByteArray& sched) {
    for (const QByteArray& linha : sched.split('\n'))
        if (linha.startsWith("se.sum_exec_runtime"))
            return linha.mid(linha.indexOf(':') + 1).trimmed().toDouble();
    return -1;
}

double execucaoS(qint64 pid) {
    double total = 0;
    const QString tarefas = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& tid : QDir(tarefas).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const double ms =
            execucaoMs(leArquivo(tarefas + QLatin1Char('/') + tid + QStringLiteral("/sched")));
        if (ms < 0) return -1;
        total += ms;
    }
    return total / 1000.0;
}

// Only Linux has /proc: elsewhere leConsumo raises before it needs this.
double tiquesPorSegundo() {
#ifdef _SC_CLK_TCK
    return double(sysconf(_SC_CLK_TCK));
#else
    return 100;
#endif
}

} // namespace

QString pastaProgramas(const QString& semVariavel) {
    const QString bin = qEnvironmentVariable("TALVERO_BIN");
    return bin.isEmpty() ? QCoreApplication::applicationDirPath() + semVariavel : bin;
}

Consumo leConsumo(qint64 pid) {
    Consumo c;
    const QByteArray stat = leArquivo(QStringLiteral("/proc/%1/stat").arg(pid));
    // Fields after the command name, which may hold blanks: state is the 3rd, utime the 14th.
    const QList<QByteArray> campos = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (campos.size() < 13)
        throw std::runtime_error(QStringLiteral("/proc/%1/stat ilegível").arg(pid).toStdString());
    c.cpuS = double(campos[11].toLongLong() + campos[12].toLongLong()) / tiquesPorSegundo();
    c.execS = execucaoS(pid);
    const QByteArray status = leArquivo(QStringLiteral("/proc/%1/status").arg(pid));
    c.vmRssKb = campoKb(status, "VmRSS");
    c.vmHwmKb = campoKb(status, "VmHWM");
    return c;
}

bool encerra(QProcess& p, int limiteMs) {
    if (p.state() == QProcess::NotRunning) return true;
    p.terminate();
    if (p.waitForFinished(limiteMs)) return true;
    p.kill();
    p.waitForFinished();
    return false;
}

void aguarda(int ms) {
    QEventLoop laco;
    QTimer::singleShot(ms, &laco, &QEventLoop::quit);
    laco.exec();
}

bool aguardaAte(const std::function<bool()>& pronto, int limiteMs, int passoMs) {
    const QDeadlineTimer prazo(limiteMs);
    while (!pronto()) {
        if (prazo.hasExpired()) return false;
        aguarda(passoMs);
    }
    return true;
}

void escreveCadastros(const QString& pasta, int empresa) {
    const QByteArray e = QByteArray::number(empresa);
    const std::pair<const char*, QByteArray> arquivos[] = {
        {"BicoAutomacao.csv", "Codigo,Bico\n01,1\n02,2\n03,3\n04,4\n"},
        {"Bico.csv", "Empresa,Bico,Produto,Complemento\n" + e + ",1,1,ILHA 1\n" + e +
                         ",2,2,ILHA 1\n" + e + ",3,3,ILHA 2\n" + e + ",4,1,ILHA 2\n"},
        {"Produto.csv", "Produto,PrecoVenda\n1,5.79\n2,3.89\n3,5.99\n"},
        {"Estoque.csv",
         "Empresa,Produto,PrecoVenda\n" + e + ",1,5.79\n" + e + ",2,3.89\n" + e + ",3,5.99\n"},
        {"EncerranteAtual.csv",
         "Empresa,Bico,Encerrante\n" + e + ",1,0\n" + e + ",2,0\n" + e + ",3,0\n" + e + ",4,0\n"}};
    for (const auto& [nome, conteudo] : arquivos) {
        QFile f(pasta + QLatin1Char('/') + QLatin1String(nome));
        if (!f.open(QIODevice::WriteOnly) || f.write(conteudo) != conteudo.size())
            throw std::runtime_error(
                (f.fileName() + QStringLiteral(": ") + f.errorString()).toStdString());
    }
}

} // namespace talvero
