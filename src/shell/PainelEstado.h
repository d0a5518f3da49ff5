#pragma once

#include "link/CanaisObservados.h"
#include "platform/Moeda.h"
#include "shell/TextosPainel.h"
#include "support/Acompanhamento.h"

#include <QDate>
#include <QDateTime>
#include <QStringList>
#include <QTime>
#include <cstdint>
#include <optional>

namespace talvero {

// What the status panel tells. The counts are kept where things happen (a
// fueling stored, an answer put in quarantine), so that a refresh needs no
// database.
class PainelEstado {
public:
    struct Abastecido {
        QDate data;
        QTime hora;
        std::int16_t bico = 0;
        Moeda litros;
        Moeda valor;
        bool comEncerrante = false;
        std::optional<Moeda> lacuna; // litres of the gap before it
    };

    // The day's totalizers against its stored fuelings.
    struct Encerrantes {
        int lacunas = 0;
        Moeda litros;                // a step back counted by its size
        bool comEncerrantes = false; // some fueling carried one
    };

    // The rest of the panel as it stands at a refresh.
    struct Momento {
        QDateTime agora;
        std::int64_t agoraMs = 0; // monotonic
        UltimaRecepcao recepcao;
        QString via; // "controle serial"
        QString porta;
        QString esperas; // "adaptativas" or "fixas"
        bool descargaRapida = false;
        bool pausada = false;
        QString banco;
        QString raiz; // of the path map, for the command that lists the quarantine
        int recusadosNaPasta = 0;
        bool enlacePerdido = false; // a device gone, the library failing
        bool bancoPerdido = false;
        QString falhaPartida; // the start-up could not finish: why
    };

    // The WAL this station's busiest slot of the chain's central server holds back
    // (nothing: the server dropped the slot) and the server's cap (-1: none).
    struct WalCentral {
        std::optional<qint64> retidoBytes;
        qint64 limiteBytes = -1;
    };

    static constexpr std::int64_t kSilencioMs = 10'000;

    // The counts as the database has them: they replace those kept so far.
    void leContagens(const QDate& dia, int gravadosNoDia, const std::optional<Abastecido>& ultimo,
                     int emQuarentena);
    void gravou(const Abastecido& abastecido, const QDate& hoje);
    // The day's gaps as the stored fuelings show them: they replace those counted so far.
    void leEncerrantes(const QDate& dia, const Encerrantes& encerrantes);
    const Encerrantes& encerrantesHoje() const { return encerrantes_; }
    void ficouEmQuarentena() { ++emQuarentena_; }
    void leWalCentral(const std::optional<WalCentral>& wal) { walCentral_ = wal; }

    TextosPainel textos(const Momento& m);
    // The link as the journal and the status file tell it.
    Acompanhamento::Enlace enlace(const Momento& m) const;
    // The panel's counts and state as key=value lines of the status file.
    QStringList situacao(const Momento& m) const;
    int emQuarentena() const { return emQuarentena_; }
    // A time as the status file writes it: ISO 8601 with its offset; empty for none.
    static QString Iso(const QDateTime& momento);

private:
    void acertaDia(const QDate& hoje);
    const UltimaRecepcao& desde(const Momento& m) const;
    QString comunicacao(const Momento& m, bool silencio) const;
    QString abastecimentos() const;
    QString quarentena(const QString& raiz) const;
    QString encerrantes(const QString& raiz) const;
    static QString recusados(int n);
    QStringList resumo(const Momento& m, Acompanhamento::Enlace enlace) const;

    QDate dia_;
    int gravadosHoje_ = 0;
    Encerrantes encerrantes_;
    std::optional<Abastecido> ultimo_;
    int emQuarentena_ = 0;
    UltimaRecepcao inicio_; // before the first answer, silence counts from here
    // Paused, the cycle asks nothing: after a resume, silence counts from the resume.
    UltimaRecepcao retomada_;
    bool pausadaAntes_ = false;
    std::optional<WalCentral> walCentral_; // nothing: the station publishes nowhere
};

} // namespace talvero
