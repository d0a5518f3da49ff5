#pragma once

#include "store/Conexao.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// A chain's central database: every station publishes its fuelings, the central
// server subscribes to each station through PostgreSQL's logical replication. The
// station stores and acknowledges locally, as ever; nothing here is on that path.
namespace talvero::central {

inline const QString kPublicacao = QStringLiteral("talvero_central");
inline const QString kPapel = QStringLiteral("talvero_central");
inline const QString kLimiteWalPadrao = QStringLiteral("4GB");

// The tables the head office needs, as the publication lists them.
const QStringList& tabelasPublicadas();

// What a command did, one line a step; `mudou` is false for a step found done.
struct Passo {
    QString texto;
    bool mudou = false;
};

struct Publicacao {
    QList<Passo> passos;
    std::optional<QString> senhaNova; // the role's password, when the role was created now
};

// On the station's server, as a superuser: the checks, the cap on the WAL a slot may
// hold (`limiteWal` empty: the server's own cap, or kLimiteWalPadrao when it has none),
// the central server's role and the publication. Raises Erro with what to do.
Publicacao publica(Conexao& admin, const QString& limiteWal);

// The station's busiest replication slot of the central server, for the agent's
// status file: the WAL it holds back (nothing when the server has dropped it) and the
// server's cap (-1: none). Nothing when the station publishes nowhere.
struct SlotCentral {
    QString nome;
    std::optional<qint64> retidoBytes;
    qint64 limiteBytes = -1;
};
std::optional<SlotCentral> slotMaisCheio(Conexao& conexao);

// One station as the central server reaches it; every field checked by `confere`.
struct Estacao {
    QString nome; // the subscription is talvero_<nome>
    QString servidor;
    int porta = 5432;
    QString banco;
    QString usuario;
    QString arquivoSenhas;
    QString sslmode = QStringLiteral("require");

    QString assinatura() const { return QStringLiteral("talvero_") + nome; }
    // The connection string the central server keeps: never a password.
    QString conexao() const;
    OpcoesBanco opcoes() const;
};

// Empty when every field can go into a connection string and a statement as it stands.
QString confere(const Estacao& e);
bool nomeValido(const QString& nome);

// Raises Erro when the role of this connection is not a superuser; `comando` names
// the command in the message.
void exigeSuperusuario(Conexao& admin, const QString& comando);

// The one company of the station's registers (EncerranteAtual and Abastecimento).
std::int16_t empresaDaEstacao(Conexao& estacao);

bool existe(Conexao& admin, const QString& assinatura);

// On the central server: enables a subscription that an error disabled.
Passo reativa(Conexao& admin, const QString& assinatura);

// On the central server: subscribes to the station. Its rows are copied only when
// the central server holds none of its company.
QList<Passo> assina(Conexao& admin, const Estacao& e, std::int16_t empresa);

// Drops the subscription and its slot at the station; `semEstacao` leaves the slot
// there (the station is unreachable) and says how to drop it.
QList<Passo> remove(Conexao& admin, const QString& nome, bool semEstacao);

struct Assinatura {
    QString nome; // talvero_<nome>
    std::optional<int> empresa;
    bool ativa = false;
    bool conectada = false;
    bool copiando = false;                 // the first copy of a table is not done
    std::optional<qint64> ultimaMensagemS; // seconds since the station last said anything
    std::optional<qint64> pendenteBytes;   // received from the station, not yet confirmed
    qint64 erros = 0;                      // apply and copy errors since the statistics began
};
QList<Assinatura> assinaturas(Conexao& central);

// How long the central server waits before it starts a failed subscription's worker again.
int intervaloNovaTentativaMs(Conexao& central);

} // namespace talvero::central
