#pragma once

#include "ensaio/LinhaVirtual.h"
#include "ensaio/TempoVirtual.h"
#include "platform/CanalBytes.h"

#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace talvero::sim {

// Hands the agent in-memory lines to one simulated concentrator, for its serial
// control and for its vendor library alike. Every serial port (COMn or a device
// path) and TCP address
// exists until one is named with `permite...`; from then on only the named ones
// open, the others fail as a missing port or a refused connection. A serial
// port is in use while another line from this factory holds it open.
//
// A test platform wants its channel factory before it has made its clock, and
// the core wants the clock: such a factory is made empty and joined later with
// `liga`; until then asking for a channel raises talvero::Erro.
class FabricaCanaisSimulador : public FabricaCanais {
public:
    FabricaCanaisSimulador();
    FabricaCanaisSimulador(NucleoConcentrador& nucleo, RelogioVirtual& relogio);
    ~FabricaCanaisSimulador() override;

    void liga(NucleoConcentrador& nucleo, RelogioVirtual& relogio);

    std::unique_ptr<CanalBytes> serial(const QString& porta) override;
    std::unique_ptr<CanalBytes> tcp(const QString& host, quint16 porta) override;

    void permiteSerial(int porta);
    void permiteSerial(const QString& porta);
    void permiteTcp(const QString& host, quint16 porta);

    // The concentrator goes away: every open line drops now.
    void desconectaTodas();

    int aberturas() const;                     // successful opens so far
    std::vector<LinhaVirtual*> linhas() const; // lines still alive, oldest first

    double msPorCaractere = 1.0417;

    struct Estado;

private:
    std::unique_ptr<LinhaVirtual> novaLinha(const QString& nome, std::function<void()> verifica,
                                            std::function<void()> libera);

    NucleoConcentrador* nucleo_ = nullptr;
    RelogioVirtual* relogio_ = nullptr;
    std::shared_ptr<Estado> estado_;
};

} // namespace talvero::sim
