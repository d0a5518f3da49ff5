#pragma once

#include "platform/Relogio.h"
#include "simulator/ConfiguracaoConcentrador.h"
#include "simulator/InterpretaComando.h"
#include "simulator/LivroAbastecimentos.h"
#include "simulator/PlanoFalhas.h"
#include "simulator/TabelaCartoes.h"

#include <QDateTime>
#include <deque>
#include <random>

namespace talvero::sim {

// The concentrator itself, without any I/O: whole frames in, the pieces of the
// answer (with their delays) out. The transports (in-memory line, TCP,
// pseudo-terminal) only cut the byte stream into frames and deliver the pieces.
//
// Finished fuelings wait in a queue: "(&A)" hands over the oldest again and again
// until "(&I)" acknowledges it. Time comes from the clock port, so the same core
// runs on the virtual clock in tests and on the system clock in the program.
class NucleoConcentrador {
public:
    // Raises talvero::Erro for a bad configuration.
    NucleoConcentrador(const Relogio& relogio, ConfiguracaoConcentrador cfg = {});

    // The answer to one frame "(...)"; empty when the frame gets none (an
    // acknowledgement, a bad checksum, an unknown command, a fault).
    std::vector<Trecho> respondeQuadro(const QString& quadro);

    // Lets generated traffic run up to now: fuelings start and finish.
    void atualiza();

    // A fueling that finishes now, at the nozzle with that code. `cartao` is
    // empty or 16 characters. Returns its id in the ledger (a manual fueling when
    // that fault strikes).
    std::int64_t geraAbastecimento(const QString& codigoBico, Moeda litros,
                                   const QString& cartao = {}, int duracaoS = 60);
    // A fueling that runs for `duracaoMs` from now and then finishes by itself.
    void iniciaAbastecimento(const QString& codigoBico, Moeda litros, std::int64_t duracaoMs,
                             const QString& cartao = {});
    // A raw answer handed over as it is, in turn with the others.
    std::int64_t enfileiraResposta(const QString& bruta);

    void defineEncerrante(const QString& codigoBico, Moeda encerrante);
    Moeda encerrante(const QString& codigoBico) const;

    QDateTime relogioConcentrador() const { return concentradorEm(relogio_.monotonicoMs()); }
    // The concentrator's own clock set `ms` away from the station's, as a drifting one.
    void defineAdiantamento(std::int64_t ms) { ajusteRelogioMs_ = ms; }
    int pendentes() const { return int(fila_.size()); }
    std::int64_t quadrosIgnorados() const { return ignorados_; }
    const std::deque<QString>& quadrosRecebidos() const { return recebidos_; }

    const ConfiguracaoConcentrador& configuracao() const { return cfg_; }
    LivroAbastecimentos& livro() { return livro_; }
    const LivroAbastecimentos& livro() const { return livro_; }
    PlanoFalhas& falhas() { return injetor_.plano(); }
    TabelaCartoes& cartoes() { return cartoes_; }

    static constexpr std::size_t kQuadrosGuardados = 10000;

private:
    struct Bico {
        BicoSimulado cfg;
        Moeda encerrante; // exact; the answer shows it cut to two decimals
    };
    struct Andamento {
        std::size_t bico;
        Moeda litros;
        std::int64_t inicioMs;
        std::int64_t fimMs;
        QString cartao;
    };

    QString responde(const Comando& c);
    std::int64_t latencia();
    void confirma();
    QString respostaAndamento() const;
    QString respostaCartaoAndamento() const;
    QString respostaCartao(const Comando& c);
    QString acertaRelogio(const Comando& c);

    std::int64_t criaAbastecimento(std::size_t bico, Moeda litros, const QString& cartao,
                                   int duracaoS, std::int64_t ms);
    void chegada(std::int64_t ms);
    std::int64_t intervaloChegadas();
    std::int64_t sorteia(std::int64_t limite);
    std::size_t indiceBico(const QString& codigo) const;
    bool ocupado(std::size_t bico) const;
    QString litrosAteAgora(const Andamento& a, std::int64_t ms) const;
    void guardaQuadro(const QString& quadro);

    QDateTime momentoEm(std::int64_t ms) const;
    QDateTime concentradorEm(std::int64_t ms) const {
        return momentoEm(ms).addMSecs(ajusteRelogioMs_);
    }

    const Relogio& relogio_;
    ConfiguracaoConcentrador cfg_;
    std::vector<Bico> bicos_;
    std::vector<Andamento> andamento_;
    std::deque<std::int64_t> fila_;
    TabelaCartoes cartoes_;
    LivroAbastecimentos livro_;
    InjetorFalhas injetor_;
    std::mt19937_64 sorteio_;
    std::mt19937_64 sorteioLatencia_; // apart, so a spread changes no fueling
    std::int64_t proximaChegadaMs_ = 0;
    std::int64_t ajusteRelogioMs_ = 0;
    std::int64_t ignorados_ = 0;
    std::deque<QString> recebidos_;
};

} // namespace talvero::sim
