#pragma once

#include "cycle/AgenteDeTeste.h"
#include "link/TransportesConcentrador.h"
#include "simulator/FabricaCanaisSimulador.h"
#include "simulator/NucleoConcentrador.h"

#include <QTemporaryDir>
#include <functional>
#include <map>

namespace talvero::teste {

// A transport, an answer layout and the decimal settings of a station.
struct Cenario {
    const char* nome;
    bool biblioteca;
    sim::Layout layout;
    int casasLitragem;
    int casasValor;
    bool precoZero;  // the concentrator sends no price: the agent completes it from the registers
};

// Four nozzles whose counters are near their million, generated traffic.
sim::ConfiguracaoConcentrador ConcentradorDoCenario(const Cenario& c, double porMinuto, std::uint64_t semente);

constexpr std::int64_t kMinuto = 60'000;
constexpr std::int64_t kHora = 60 * kMinuto;

// Raised by a hook to stop the agent dead where it stands, as a killed process.
struct MorteDoAgente {};

// Hooks on what the agent sends and receives, on both transports.
struct Vigias {
    std::function<void(const QString&)> antesDeEnviar;
    std::function<void(const QString&)> depoisDeReceber;
};

// The serial control and the library of the agent, under the station's hooks.
class SerialVigiado : public ControleSerial {
public:
    SerialVigiado(ControleSerial& real, const Vigias& v) : real_(real), v_(v) {}
    bool portaAberta() const override { return real_.portaAberta(); }
    void setPortaAberta(bool a) override { real_.setPortaAberta(a); }
    void setNumeroPorta(int p) override { real_.setNumeroPorta(p); }
    int numeroPorta() const override { return real_.numeroPorta(); }
    void setConfiguracao(const QString& c) override { real_.setConfiguracao(c); }
    void envia(const QString& t) override {
        if (v_.antesDeEnviar) v_.antesDeEnviar(t);
        real_.envia(t);
    }
    int quantidadeRecebida() override { return real_.quantidadeRecebida(); }
    void descartaEntrada() override { real_.descartaEntrada(); }
    QString leEntrada() override {
        const QString t = real_.leEntrada();
        if (v_.depoisDeReceber) v_.depoisDeReceber(t);
        return t;
    }
    int tamanhoBufferEntrada() const override { return real_.tamanhoBufferEntrada(); }
    int tamanhoLeitura() const override { return real_.tamanhoLeitura(); }

private:
    ControleSerial& real_;
    const Vigias& v_;
};

class BibliotecaVigiada : public BibliotecaConcentrador {
public:
    BibliotecaVigiada(BibliotecaConcentrador& real, const Vigias& v) : real_(real), v_(v) {}
    std::int16_t VB_OpenSerial(std::int16_t p) override { return real_.VB_OpenSerial(p); }
    std::int16_t VB_OpenSocket(const QString& e) override { return real_.VB_OpenSocket(e); }
    std::int16_t VB_SendText(const QString& t) override {
        if (v_.antesDeEnviar) v_.antesDeEnviar(t);
        return real_.VB_SendText(t);
    }
    std::int16_t VB_ReceiveText(QString& t) override {
        const std::int16_t r = real_.VB_ReceiveText(t);
        if (v_.depoisDeReceber) v_.depoisDeReceber(t);
        return r;
    }
    std::int16_t VB_SendReceiveText(QString& t, std::int32_t ms) override { return real_.VB_SendReceiveText(t, ms); }
    std::int16_t VB_CloseSerial() override { return real_.VB_CloseSerial(); }
    std::int16_t VB_CloseSocket() override { return real_.VB_CloseSocket(); }

private:
    BibliotecaConcentrador& real_;
    const Vigias& v_;
};

// A station on the virtual clock: the simulated concentrator, the station's
// database and the agent joined to the concentrator through the link's ports.
// The agent can be killed and started again on the same database and the same
// concentrator.
class EstacaoSimulada {
public:
    EstacaoSimulada(sim::ConfiguracaoConcentrador cfgConcentrador, const QDateTime& inicio, OpcoesBanco banco = {});
    ~EstacaoSimulada();

    // The agent's configuration follows the concentrator's layout and decimals.
    void iniciaAgente();
    void mataAgente();
    // Runs the virtual clock; a MorteDoAgente raised by a hook ends the agent.
    // True when the agent was killed.
    bool roda(std::int64_t ms);
    // Runs until the concentrator has nothing left to hand over (at most `limiteMs`).
    bool esvazia(std::int64_t limiteMs);

    // Every fueling of the concentrator's ledger is stored once, with every field
    // as the concentrator gave it, and the nozzles' totalizers continue the counters.
    void confereComOLivro();
    int confirmacoesEntre(std::int64_t deMs, std::int64_t ateMs) const;

    void cadastraCartoes(int gravados, int cadastrados);
    // The database refuses (or accepts again) every write the agent makes.
    void recusaGravacoes(bool recusa);

    RelogioVirtual relogio;
    AgendadorVirtual agendador{relogio};
    LogMemoria log{relogio};
    QTemporaryDir dir;
    OpcoesBanco banco;
    Configuracao cfg;
    Vigias vigias;  // kept across the agent's restarts
    sim::NucleoConcentrador nucleo;
    sim::FabricaCanaisSimulador fabrica{nucleo, relogio};
    std::unique_ptr<TransportesConcentrador> transportes;
    std::unique_ptr<SerialVigiado> serial;
    std::unique_ptr<BibliotecaVigiada> biblioteca;
    std::unique_ptr<AgenteDeTeste> agente;
    std::map<QString, int> codigoDoCartao;  // cards of the station's register
    int mortes = 0;
    std::int64_t viradas = 0;  // totalizer rollovers met by the last check

private:
    Moeda encerranteInicial_;
};

} // namespace talvero::teste
