#pragma once

#include <QByteArray>
#include <memory>

namespace talvero {

// What the agent tells the service manager that started it: "READY=1" once it
// works, "WATCHDOG=1" to show that its event loop still turns, "STOPPING=1" as
// it ends. A hung agent stops the watchdog notices and is killed and restarted.
class AvisoServico {
public:
    virtual ~AvisoServico() = default;
    virtual void avisa(const QByteArray& estado) = 0;
    // How often the watchdog must hear from the agent; 0 when none watches.
    virtual int intervaloVigiaMs() const = 0;
};

// No service manager listens: the desktop, Windows, the tests.
class AvisoServicoAusente final : public AvisoServico {
public:
    void avisa(const QByteArray&) override {}
    int intervaloVigiaMs() const override { return 0; }
};

// The service manager named by the environment (NOTIFY_SOCKET, WATCHDOG_USEC,
// WATCHDOG_PID), or none. The variables are cleared, so that the programs the
// agent starts never speak in its name.
std::unique_ptr<AvisoServico> avisoServicoDoAmbiente();

} // namespace talvero
