#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

namespace talvero::medicao {

// CPU time and memory of a running process, as Linux reports them in /proc.
struct Consumo {
    double cpuS = 0;   // utime + stime (/proc/PID/stat, in clock ticks of 10 ms)
    double execS = -1; // the same to the nanosecond: se.sum_exec_runtime of every thread; -1 when the kernel hides it
    qint64 vmRssKb = 0;
    qint64 vmHwmKb = 0;
};

Consumo leConsumo(qint64 pid);

// Waits while the event loop runs (the programs' output keeps flowing).
void aguarda(int ms);
// Polls every `passoMs`; false when the limit passes first.
bool aguardaAte(const std::function<bool()>& pronto, int limiteMs, int passoMs = 100);

// A demo station under a temporary root: INI file, registers, SQLite database,
// the concentrator simulator on a pseudo-terminal linked at ROOT/dev/COM3 and the
// agent started headless against it. Raises std::runtime_error when a program
// does not start or a step fails.
class EstacaoMedida {
public:
    explicit EstacaoMedida(QString binarios);
    ~EstacaoMedida();

    void prepara();
    void iniciaSimulador(const QStringList& opcoes);
    // Headless, or with its window on a virtual X server (Xvfb) when there is one,
    // else on Qt's offscreen platform. Returns the platform used.
    QString iniciaAgente(bool janela = false);
    void paraAgente();
    void paraSimulador();

    qint64 pidAgente() const { return agente_.processId(); }
    bool agenteRodando() const { return agente_.state() == QProcess::Running; }
    // Fuelings in the database, read through a read-only connection.
    int gravados();
    // The agent's log holds the answer to its first command (the clock setting).
    bool primeiraTroca() const;
    QString raiz() const { return raiz_.path(); }
    // The end of the agent's log and of both programs' output, for a failure report.
    QString diagnostico() const;

private:
    QString caminho(const QString& relativo) const { return raiz_.filePath(relativo); }
    void escreve(const QString& relativo, const QByteArray& conteudo);
    void dados(const QStringList& argumentos);

    QString binarios_;
    QTemporaryDir raiz_;
    QProcess simulador_;
    QProcess agente_;
    QProcess xvfb_;
    QString conexao_;
};

} // namespace talvero::medicao
