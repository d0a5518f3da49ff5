#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <signal.h>
#include <sys/time.h>

namespace talvero::fuzz {

// The reads of the request folder: none blocks, none brings more than
// kLimiteLeitura bytes, and none reads the same entry twice in a tick.
namespace leituraPedidos {

constexpr qsizetype kLimiteLeitura = 64 * 1024 + 1;

// The folder whose reads are watched, as the agent names it ("C:\Automacao\").
void vigia(const QString& pasta);
void novoTick();
// What the alarm and the allocation guard print about the input.
void descreveEntrada(const QByteArray& descricao);

// Runs one read of the agent (`leitura`) under the oracle: the file-system
// wrapper's overrides pass every read through here.
QByteArray le(const QString& caminho, const std::function<QByteArray()>& leitura);

} // namespace leituraPedidos

// A tick that takes longer than `segundos` of real time aborts with the read in
// progress. libFuzzer's own timer is put back afterwards.
class AlarmeTick {
public:
    explicit AlarmeTick(int segundos);
    ~AlarmeTick();
    AlarmeTick(const AlarmeTick&) = delete;
    AlarmeTick& operator=(const AlarmeTick&) = delete;

private:
    struct sigaction tratadorAnterior_ {};
    itimerval timerAnterior_{};
};

} // namespace talvero::fuzz
