#pragma once

#include "platform/Moeda.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

namespace talvero {

// What the running agent tells on standard error (the journal under a service
// manager): one line when it starts, one when it ends with its cause, and one
// at each change of its state, never one per tick. Values from outside are
// written with their control characters spelled out.
class Acompanhamento {
public:
    enum class Enlace { Aguardando, Respondendo, SemResposta, Perdido };
    struct Estado {
        Enlace enlace = Enlace::Aguardando;
        QDateTime ultimaResposta; // also the start of a silence
        QString motivoPerda;
        bool bancoPerdido = false;
        QString motivoBanco;
        bool pausada = false;
        int quarentena = 0;
        int lacunas = 0; // of the day's totalizers
        Moeda litrosLacunas;
    };

    Acompanhamento();
    // Where the lines go (standard error unless replaced).
    void defineSaida(std::function<void(const QString&)> saida);

    void inicio(const QString& descricao);
    // The state as it stands now; only what changed is told.
    void observa(const Estado& estado);
    // Why the agent cannot work; the end follows.
    void falha(const QString& causa);
    void fim(int codigo);

private:
    void diz(const QString& linha);

    std::function<void(const QString&)> saida_;
    std::optional<Estado> dito_;
    bool terminado_ = false;
};

} // namespace talvero
