#pragma once

#include "link/PerdaDoEnlace.h"
#include "link/PortaConcentrador.h"
#include "platform/SistemaArquivos.h"
#include "support/Configuracao.h"
#include "support/RegistroEventos.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

namespace talvero {

// The window's link to the concentrator: its configuration, its opening, its
// outages and the turn each exchange takes on it. The exchanges themselves are
// the port's.
class EnlaceConcentrador {
public:
    struct Dependencias {
        Configuracao& configuracao;
        RegistroEventos& registro;
        const SistemaArquivos& arquivos; // for the configuration file
        std::function<void(bool)> habilitaTimerAutomacao;
    };

    explicit EnlaceConcentrador(Dependencias dependencias);

    // The port the exchanges go through, chosen once where the agent is built.
    void usa(PortaConcentrador& porta) { porta_ = &porta; }
    PortaConcentrador& porta() { return *porta_; }
    // Told by the port of each outage and its end.
    PerdaDoEnlace& perda() { return perda_; }

    // Reads the link's configuration keys and opens the configured port; true
    // when the link is open (and TimerAutomacao enabled).
    bool IniciaAutomacao();

    // The decimal settings of the INI file as the link reads them: 0 or missing is 3.
    static void LeCasasDecimais(const SistemaArquivos& arquivos, Configuracao& c);
    // Key and value of a decimal setting the parser cannot read (anything but 2 or 3).
    static std::optional<std::pair<QString, std::int16_t>>
    CasaDecimalInvalida(const Configuracao& c);

    // Why IniciaAutomacao returned false, for the operator and the journal.
    const QString& motivoFalha() const { return motivoFalha_; }
    // The last opening failed on a value of the configuration, not on the device.
    bool falhaDeConfiguracao() const { return falhaDeConfiguracao_; }
    // The link was lost (a device gone, the library failing) and is not back yet.
    bool perdida() const { return perda_.perdida(); }
    const QString& motivoPerda() const { return perda_.motivo(); }

    // The window's unload; true when the program must end at once.
    bool Fecha();

    // The link carries one exchange at a time. Whoever talks with the
    // concentrator holds a reservation; the others see it and wait their turn.
    // A reservation that stops the automation timer enables it on its way out,
    // whatever state it had.
    class Reserva {
    public:
        enum class Timer { Intacto, Desligado };
        explicit Reserva(EnlaceConcentrador& e, Timer timer = Timer::Intacto);
        ~Reserva();
        Reserva(const Reserva&) = delete;
        Reserva& operator=(const Reserva&) = delete;

    private:
        EnlaceConcentrador& e_;
        Timer timer_;
    };
    bool emTroca() const { return reservas_ > 0; }
    // Someone wants the link, or may want it soon (a request just written): the
    // cycle's own wait may end with its answer. Forgotten when a holder lets it go.
    void aguardaVez() { aguardando_ = true; }
    bool alguemAguarda() const { return aguardando_; }

private:
    void leConfiguracao();
    bool casasDecimaisValidas();
    bool portaValida();
    void registra(const QString& mensagem) { d_.registro.registra(mensagem); }

    Dependencias d_;
    PerdaDoEnlace perda_{d_.registro};
    PortaConcentrador* porta_ = nullptr;
    QString motivoFalha_;
    bool falhaDeConfiguracao_ = false;
    int reservas_ = 0;
    bool aguardando_ = false;
};

} // namespace talvero
