#pragma once

#include <QProcess>
#include <QString>
#include <functional>

namespace talvero {

// The built programs run for real, by the real-process tests and the benchmark.

// The build's src/ folder: TALVERO_BIN, else `semVariavel` from this program's folder.
QString pastaProgramas(const QString& semVariavel);

// CPU time and memory of a running process, as Linux reports them in /proc.
struct Consumo {
    double cpuS = 0;   // utime + stime (/proc/PID/stat, in clock ticks of 10 ms)
    double execS = -1; // the same to the nanosecond: se.sum_exec_runtime of every thread; -1 when
                       // the kernel hides it
    qint64 vmRssKb = 0;
    qint64 vmHwmKb = 0;
};

// Raises std::runtime_error when the process is gone.
Consumo leConsumo(qint64 pid);

// SIGTERM, then SIGKILL when it has not ended within `limiteMs`; false when it took SIGKILL.
bool encerra(QProcess& p, int limiteMs);

// Waits while the event loop runs (the programs' output keeps flowing).
void aguarda(int ms);
// Polls every `passoMs`; false when the limit passes first.
bool aguardaAte(const std::function<bool()>& pronto, int limiteMs, int passoMs = 100);

// The demo station's registers (four nozzles, three products) as CSV files in
// `pasta`, for `talvero-dados importar`. Raises std::runtime_error when a file fails.
void escreveCadastros(const QString& pasta, int empresa = 1);

} // namespace talvero
