#pragma once

#include "platform/Operador.h"
#include "platform/Relogio.h"
#include "platform/SistemaArquivos.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <functional>

namespace talvero {

// The hourly event log: every routine's work and errors end up here, one line at a
// time, the file opened and closed for each line.
class RegistroEventos {
public:
    RegistroEventos(const Relogio& relogio, SistemaArquivos& arquivos, Operador& operador);

    // Appends the line to the current hour's file. Never raises: a line that cannot
    // be written goes to standard error, and the operator hears of it once per run of
    // failures, not once per line.
    void CriaLogCupom(const QString& linha);

    // The usual log line: the time of day followed by the message (" - ...").
    void registra(const QString& mensagem);

    // For the operator without a window: its messages become log lines (" - " + text),
    // except the log's own failure messages, which would only fail again the same way.
    void registraDoOperador(const QString& mensagem);

    // Where lines that cannot be written go (standard error unless replaced).
    void defineSaidaErro(std::function<void(const QString&)> saida);

    bool emFalha() const { return emFalha_; }

    // Hourly logs older than this many days (by the date in their names) are
    // removed at the first line of each hour; 0 keeps them all.
    void defineRetencao(int dias);

    // "14:05:09": a time as the station's system renders it.
    static QString HoraDoDia(const QTime& hora);
    // "05/12/2026": a date as the station's system renders it.
    static QString DataPadrao(const QDate& data);
    // "C:\Talvero\AutoTalvero\AUTOMACAO_05_12_2026_18.LOG"
    static QString NomeArquivo(const QDateTime& momento);

private:
    void avisaFalha(const QString& descricao, const QString& linha);
    void removeAntigos(const QDateTime& agora);

    const Relogio& relogio_;
    SistemaArquivos& arquivos_;
    Operador& operador_;
    std::function<void(const QString&)> saidaErro_;
    bool emFalha_ = false;
    bool avisando_ = false;
    int diasRetencao_ = 0;
    qint64 horaLimpa_ = -1; // hours since the epoch of the last look for old logs
};

} // namespace talvero
