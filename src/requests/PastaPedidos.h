#pragma once

#include "platform/Agendador.h"
#include "platform/Relogio.h"
#include "platform/SistemaArquivos.h"
#include "support/RegistroEventos.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace talvero {

// The request folder as the agent reads it. Every computer of the station can
// write there, so it holds requests only: regular files with plain names, read
// once each and never beyond a bound, without following a link and without
// blocking. A request is taken only once it is complete and nobody writes to it
// any more, so a program that writes its values one at a time never loses one.
// Whatever else is there is told once and passed over; a flooded folder costs a
// bounded amount per tick and holds no complete request back.
class PastaPedidos {
public:
    struct Dependencias {
        const Relogio& relogio;
        Agendador& agendador;
        const SistemaArquivos& arquivos;
        RegistroEventos& registro;
        const QString& pasta;  // "C:\Automacao\"
        const QString& padrao; // "Pedido_*.AUT"
    };

    // A request is four short lines: no real one comes near this.
    static constexpr qint64 kLimiteBytes = 64 * 1024;
    // Request entries looked at per tick; files and bytes read per tick.
    static constexpr int kMaximoEntradas = 10'000;
    static constexpr int kLeiturasPorTick = 64;
    static constexpr qint64 kBytesPorTick = 1024 * 1024;
    // Two looks this far apart that saw the same: nobody is writing it.
    static constexpr std::int64_t kEstavelMs = 50;
    // Still incomplete after this, a request is taken as it stands.
    static constexpr std::int64_t kIncompletoMs = 3000;
    // A request that could not be deleted, or read, is tried again after this.
    static constexpr std::int64_t kNovaTentativaMs = 3000;

    // A request as it may be taken: its values, read once.
    struct Pedido {
        QString nome;
        QString comando, origem, parametro;
        bool completo = false;
    };

    explicit PastaPedidos(Dependencias dependencias) : d_(dependencias) {}

    // Looks at the folder and returns the requests that may be taken now: the
    // complete ones in name order, then those taken as they stand. May wait a
    // moment (kEstavelMs) for a second look.
    std::vector<Pedido> prontos();

    // The request was deleted (or is gone): forgotten.
    void retirado(const QString& nome) { vistos_.erase(nome); }
    // It could not be deleted: offered again only after a while. True for the
    // first failure of a streak, the one worth a log line.
    bool naoApagado(const QString& nome);
    bool conhece(const QString& nome) const { return vistos_.count(nome) > 0; }

    // Entries passed over because they are no requests, as the last look found them.
    int recusados() const { return recusados_; }
    // The last look found an entry new, or changed since it was looked at before.
    bool mudou() const { return mudou_; }

private:
    struct Visto {
        std::optional<EntradaPasta> entrada; // as last looked at
        std::int64_t desdeMs = 0;            // seen as it is now since then
        std::int64_t primeiroMs = 0;         // the name first seen
        std::int64_t apagarDepoisMs = 0;
        std::int64_t lerDepoisMs = 0; // unreadable now: tried again then
        bool recusado = false;
        bool recusaAvisada = false;
        bool lido = false;
        bool falhaAoApagar = false;
        bool incompletoAvisado = false;
        Pedido pedido;
    };
    struct Orcamento {
        int leituras = 0;
        qint64 bytes = 0;
        bool esgotado() const { return leituras >= kLeiturasPorTick || bytes >= kBytesPorTick; }
    };

    std::optional<QList<EntradaPasta>> lista();
    void olha(const EntradaPasta& e, Orcamento& orcamento);
    void recusa(const QString& nome, Visto& v, const QString& motivo);
    void le(const QString& nome, Visto& v, Orcamento& orcamento);
    void aguardaSegundaOlhada();
    bool pronto(const QString& nome, Visto& v);
    QString caminho(const QString& nome) const;
    std::int64_t agora() const { return d_.relogio.monotonicoMs(); }
    void registra(const QString& mensagem) { d_.registro.registra(mensagem); }

    Dependencias d_;
    std::map<QString, Visto> vistos_;
    int recusados_ = 0;
    bool mudou_ = false;
    bool listagemFalhou_ = false;
    bool cheia_ = false;
};

} // namespace talvero
