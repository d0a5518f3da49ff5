#pragma once

#include "platform/Agendador.h"
#include "platform/BibliotecaConcentrador.h"
#include "platform/ControleSerial.h"
#include "platform/Relogio.h"
#include "platform/SistemaArquivos.h"
#include "support/Configuracao.h"
#include "support/RegistroEventos.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

namespace talvero {

// The window's link to the concentrator: its opening, its working fields and the
// transactions the cycle, the card commands and the operator tools are built of.
// The owners of those exchanges log them; only the opening logs here.
class EnlaceConcentrador {
public:
    struct Dependencias {
        Configuracao& configuracao;
        ControleSerial& serial;                  // MSCommAutomacao
        BibliotecaConcentrador& biblioteca;      // concentrador.dll
        RegistroEventos& registro;
        const SistemaArquivos& arquivos;         // for the configuration file
        const Relogio& relogio;
        Agendador& agendador;
        std::function<void()> habilitaTimerAutomacao;
        std::function<void()> zeraFlagAutomacao;  // lAutomacaoFlag := 0
    };

    explicit EnlaceConcentrador(Dependencias dependencias);

    QString lTimerAutoString;
    std::int16_t lAutoQuant = 0;
    std::int16_t lRetDll = 0;

    // Reads the link's configuration keys and opens the configured transport;
    // true when the link is open (and TimerAutomacao enabled).
    bool IniciaAutomacao();

    // The decimal settings of the INI file as the link reads them: 0 or missing is 3.
    static void LeCasasDecimais(const SistemaArquivos& arquivos, Configuracao& c);
    // Key and value of a decimal setting the parser cannot read (anything but 2 or 3).
    static std::optional<std::pair<QString, std::int16_t>> CasaDecimalInvalida(const Configuracao& c);

    // Why IniciaAutomacao returned false, for the operator and the journal.
    const QString& motivoFalha() const { return motivoFalha_; }
    // The last opening failed on a value of the configuration, not on the device.
    bool falhaDeConfiguracao() const { return falhaDeConfiguracao_; }
    // The link was lost (a device gone, the library failing) and is not back yet.
    bool perdida() const { return perdida_; }
    const QString& motivoPerda() const { return motivoPerda_; }

    // Shutdown: closes the vendor library's link (nothing on the serial control).
    void Fecha();

    // Serial tick, after its pause check: a port that became unusable (adapter
    // unplugged, line hung up) is opened again as at the start; false while it
    // cannot be, and the tick has nothing to do.
    bool ReabreSerialPerdida();

    // Vendor library.
    std::int16_t enviaSomente(const QString& frame);    // VB_SendText -> lRetDll
    void recebe();                                       // lTimerAutoString := what the library holds
    void enviaEColeta(const QString& frame);             // send, wait 2 s, receive
    void troca(const QString& frame, int esperaMs);      // VB_SendReceiveText

    // Serial control.
    void enviaSerial(const QString& frame);              // discard input, send
    void coletaSerial();                                 // lAutoQuant, read, discard
    // Before an exchange of its own: the answer to the cycle's last request,
    // still on its way, is let in and thrown away so it cannot mix with ours.
    void assentaSerial();
    // The last frame sent through enviaSerial: what the input now answers.
    const QString& ultimoEnvioSerial() const { return ultimoEnvioSerial_; }

    // The link carries one exchange at a time. Whoever talks with the
    // concentrator holds a reservation; the others see it and wait their turn.
    class Reserva {
    public:
        explicit Reserva(EnlaceConcentrador& e) : e_(e) { ++e_.reservas_; }
        ~Reserva() { --e_.reservas_; }
        Reserva(const Reserva&) = delete;
        Reserva& operator=(const Reserva&) = delete;

    private:
        EnlaceConcentrador& e_;
    };
    bool emTroca() const { return reservas_ > 0; }

    ControleSerial& serial() { return d_.serial; }
    BibliotecaConcentrador& biblioteca() { return d_.biblioteca; }

private:
    void leConfiguracao();
    bool casasDecimaisValidas();
    bool portaValida();
    bool abreBiblioteca();
    bool abreSerial();
    void abrePortaSerial();
    void acompanhaEnvio(std::int16_t codigo);
    void comunicacaoPerdida(const QString& motivo);
    void comunicacaoRestabelecida();
    void registra(const QString& mensagem) { d_.registro.registra(mensagem); }

    Dependencias d_;
    // An outage is logged when it starts and when it ends, not at every tick.
    bool perdida_ = false;
    QString motivoPerda_;
    QString motivoFalha_;
    bool falhaDeConfiguracao_ = false;
    int reservas_ = 0;
    std::int64_t ultimoEnvioSerialMs_ = -1'000'000;
    QString ultimoEnvioSerial_;
};

} // namespace talvero
