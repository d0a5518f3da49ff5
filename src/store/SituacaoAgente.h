#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <utility>

// The agent's status file judged the way monitoring plugins report: a state,
// whose number is the check's exit status, and the reasons for it.
namespace talvero::situacao {

enum class Estado { Ok = 0, Aviso = 1, Critico = 2, Desconhecido = 3 };

// The file's "chave=valor" lines in the order written.
using Chaves = QList<std::pair<QString, QString>>;

Chaves le(const QByteArray& utf8);

struct Juizo {
    Estado estado = Estado::Ok;
    QStringList motivos; // the worst first; empty when OK
};

// `criticoSegundos`: how long the concentrator may stay silent before it is critical.
// `processoExiste` tells whether the process the file names still runs here
// (nothing when that cannot be told): a killed agent's heartbeat looks fresh for
// a while.
Juizo julga(const Chaves& chaves, const QDateTime& agora, int criticoSegundos,
            const std::function<std::optional<bool>(qint64)>& processoExiste = {});

// "AUTOTALVERO <ESTADO> - ..." and then one line per key in words.
QStringList relatorio(const Chaves& chaves, const Juizo& juizo, const QDateTime& agora);

QString nomeDoEstado(Estado estado);

} // namespace talvero::situacao
