#pragma once

#include "comum/Ajuda.h"
#include "comum/LogMemoria.h"
#include "ensaio/FabricaCanaisSimulador.h"
#include "ensaio/PlataformaDeTeste.h"
#include "shell/JanelaSemTela.h"
#include "shell/MenuAutomacao.h"
#include "simulator/NucleoConcentrador.h"
#include "store/Abastecimento.h"
#include "store/AbastecimentoRejeitado.h"

#include <QSet>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace talvero::teste {

constexpr std::int64_t kMinuto = 60'000;
constexpr std::int64_t kHora = 60 * kMinuto;

// A transport, an answer layout and the decimal settings of a station.
struct Cenario {
    const char* nome;
    bool biblioteca;
    sim::Leiaute leiaute;
    int casasLitragem;
    int casasValor;
    bool precoZero; // the concentrator sends no price: the agent completes it from the registers
};
std::string nomeDoCenario(const ::testing::TestParamInfo<Cenario>& info);

// Four nozzles whose counters are near their million, generated traffic.
sim::ConfiguracaoConcentrador ConcentradorDoCenario(const Cenario& c, double porMinuto,
                                                    std::uint64_t semente);

// The station's nozzle number of a concentrator code: 01-04 are 1-4, 0C is 5.
int bicoDoCodigo(const QString& codigo);

// Raised by a hook to stop the agent dead where it stands, as a killed process.
struct MorteDoAgente {};

// Hooks on the bytes between the agent and the concentrator, on both transports.
struct Vigias {
    std::function<void(const QByteArray&)> antesDeEnviar;
    std::function<void(const QByteArray&)> depoisDeEnviar;
    std::function<void(const QByteArray&)> depoisDeReceber;
};

// The service manager of a test: each notice with the virtual time it came at.
class AvisosGravados : public AvisoServico {
public:
    explicit AvisosGravados(const RelogioVirtual& relogio) : relogio_(relogio) {}
    void avisa(const QByteArray& estado) override { avisos.emplace_back(relogio_.ms(), estado); }
    int intervaloVigiaMs() const override { return intervaloMs; }

    int intervaloMs = 0; // the watchdog's, as the agent is to feed it
    std::vector<std::pair<std::int64_t, QByteArray>> avisos;

private:
    const RelogioVirtual& relogio_;
};

// A station on the virtual clock: the simulated concentrator, the station's
// database with its registers, the INI file, and the agent as the executable
// builds it (MenuAutomacao and its start-up) on the test platform, its serial
// control and vendor library reaching the simulator through its channel factory.
// The agent can be killed and started again on the same root.
class Estacao {
public:
    // The INI file follows the concentrator's layout and decimals; `cenario` picks
    // the transport too. Without `banco`, the agent's default SQLite file; a SQLite
    // `banco` names its file by a Windows path, written to the INI file.
    explicit Estacao(sim::ConfiguracaoConcentrador concentrador = {},
                     const QDateTime& inicio = PlataformaDeTeste::inicioPadrao(),
                     OpcoesBanco banco = {});
    Estacao(const Cenario& cenario, double porMinuto, std::uint64_t semente,
            const QDateTime& inicio = PlataformaDeTeste::inicioPadrao(), OpcoesBanco banco = {});
    ~Estacao();

    // The INI file's lines, written when the agent starts; empty: no file.
    QStringList ini;
    // Changes a key of `ini` (every section); a null value drops it.
    void defineIni(const QString& chave, const QString& valor);

    // A new agent process: the window's object made and loaded. `janela` replaces
    // the window without a screen.
    MenuAutomacao& iniciaAgente(JanelaPrincipal* janela = nullptr);
    MenuAutomacao& criaAgente(JanelaPrincipal* janela = nullptr); // not loaded yet
    void mataAgente();
    MenuAutomacao& agente() { return *agente_; }
    JanelaSemTela& janela() { return *janela_; }
    bool vivo() const { return agente_ != nullptr; }

    // Runs the virtual clock; a MorteDoAgente raised by a hook kills the agent.
    // True when it was killed.
    bool roda(std::int64_t ms);
    // Runs, restarting a killed agent, until the concentrator has nothing left to
    // hand over (at most `limiteMs`).
    bool esvazia(std::int64_t limiteMs);

    // Every fueling of the concentrator's ledger stored once, acknowledged, with
    // every field as the concentrator gave it; the nozzles' totalizers continue
    // their counters; in quarantine only answers that arrived damaged; no "(&I)"
    // went out before its fueling was kept. Returns the rollovers met.
    std::int64_t confereComOLivro();
    // The same comparison: one line per discrepancy, none when the database agrees.
    // `identicas` counts fuelings whose answer repeats an earlier one's byte for byte.
    QStringList discrepancias(std::int64_t* viradas = nullptr, int* identicas = nullptr);
    int confirmacoesEntre(std::int64_t deMs, std::int64_t ateMs) const;

    // Cards written in the identifier, the first `cadastrados` also in the register.
    void cadastraCartoes(int gravados, int cadastrados);
    void cadastra(const char* arquivo, const QByteArray& csv);
    // The database refuses (or accepts again) every write, as a full disk would.
    void recusaGravacoes(bool recusa);

    QList<Abastecimento> abastecimentos();
    QList<AbastecimentoRejeitado> rejeitados();
    Conexao& banco(); // the test's own connection to the station database

    // The log lines of every run, without their time of day.
    const QStringList& log() const { return arquivos_.linhas; }
    int conta(const QString& trecho) const { return arquivos_.conta(trecho); }

    OpcoesBanco opcoesBanco;
    int linhasForaDoLog =
        0; // lines the agent could not write to its log (standard error on a station)
    QStringList saidaErro; // what the agent told on standard error about its state
    Vigias vigias;         // kept across the agent's restarts
    std::map<QString, int> codigoDoCartao;

private:
    class CanaisVigiados : public FabricaCanais {
    public:
        CanaisVigiados(FabricaCanais& real, Estacao& e) : real_(real), e_(e) {}
        std::unique_ptr<CanalBytes> serial(const QString& porta) override;
        std::unique_ptr<CanalBytes> tcp(const QString& host, quint16 porta) override;

    private:
        FabricaCanais& real_;
        Estacao& e_;
    };
    class CanalVigiado;

    void escreveIni();
    void cadastraEstacao();
    // Every "(&I)", before the test's own hooks: the fueling it acknowledges must be
    // stored (or in quarantine) already. The discrepancy, or empty.
    void antesDeEnviar(const QByteArray& bytes);
    QString confirmacaoSemGravacao();
    QSet<std::int64_t> quarentenaConfere(QStringList& problemas);

    sim::FabricaCanaisSimulador linhas_;
    CanaisVigiados canais_{linhas_, *this};

public:
    PlataformaDeTeste mundo;
    sim::NucleoConcentrador nucleo;
    AvisosGravados servico{mundo.relogio}; // kept across the agent's restarts
    sim::FabricaCanaisSimulador& linhas() { return linhas_; }

private:
    ArquivosComLog arquivos_{&mundo.arquivos};
    std::unique_ptr<JanelaSemTela> janela_;
    std::unique_ptr<MenuAutomacao> agente_;
    std::unique_ptr<Conexao> banco_;
    std::size_t primeiraPendente_ = 0;
    QStringList confirmadosSemGravacao_;
};

} // namespace talvero::teste
