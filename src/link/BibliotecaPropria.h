#pragma once

#include "platform/BibliotecaConcentrador.h"
#include "platform/CanalBytes.h"
#include "platform/Relogio.h"

#include <QByteArray>
#include <memory>

namespace talvero {

// Our own concentrator library: the seven functions the agent calls, reaching the
// concentrator over a serial port or a TCP connection.
//
// VB_OpenSerial(n) opens serial port COMn (through the path map) at 9600,n,8,1.
// VB_OpenSocket(endereco) connects over TCP; the address is "host" or
// "host:porta" ("[::1]:4001" for an IPv6 literal with a port); without a port
// the default kPortaTcpPadrao (4001) is used. Elsewhere than on Windows an
// address that begins with "/" is a serial device instead ("/dev/ttyUSB0",
// "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0"), opened like a COMn
// port and closed by VB_CloseSocket. Opening closes a link already open.
//
// Frames go out exactly as given, Windows-1252 bytes, nothing added. Answers are
// handed back as they arrived, decoded from Windows-1252.
//
// Result codes:
//    1  success (opened, sent, received, closed)
//    0  no link of that kind is open
//   -1  invalid port number or address
//   -2  the port or the connection could not be opened
//   -3  the frame could not be sent (link lost and not re-established)
//
// A link that was lost (connection closed by the other side, adapter removed) is
// opened again before the next frame is sent.
class BibliotecaPropria : public BibliotecaConcentrador {
public:
    static constexpr quint16 kPortaTcpPadrao = 4001;
    static constexpr int kPausaFimMs = 20; // about 19 characters at 9600 baud

    static constexpr std::int16_t kSucesso = 1;
    static constexpr std::int16_t kNaoAberta = 0;
    static constexpr std::int16_t kEnderecoInvalido = -1;
    static constexpr std::int16_t kFalhaAbertura = -2;
    static constexpr std::int16_t kFalhaEnvio = -3;

    BibliotecaPropria(FabricaCanais& canais, const Relogio& relogio);
    ~BibliotecaPropria() override;

    std::int16_t VB_OpenSerial(std::int16_t porta) override;
    std::int16_t VB_OpenSocket(const QString& endereco) override;
    std::int16_t VB_SendText(const QString& texto) override;
    // Hands back everything that arrived and was not yet taken; never waits.
    std::int16_t VB_ReceiveText(QString& texto) override;
    // Drops what arrived before, sends, and waits at most `esperaMs` for a
    // complete answer and what follows it without a pause of kPausaFimMs; the
    // text becomes what arrived by then, complete or not.
    std::int16_t VB_SendReceiveText(QString& texto, std::int32_t esperaMs) override;
    std::int16_t VB_CloseSerial() override;
    std::int16_t VB_CloseSocket() override;

private:
    enum class Tipo { Nenhum, Serial, Socket };

    std::int16_t abre(std::unique_ptr<CanalBytes> canal, Tipo tipo);
    std::int16_t fecha(Tipo tipo);
    bool garanteLigacao();
    bool envia(const QString& texto);
    QByteArray coletaResposta(std::int32_t esperaMs);

    FabricaCanais& canais_;
    const Relogio& relogio_;
    std::unique_ptr<CanalBytes> canal_;
    Tipo tipo_ = Tipo::Nenhum;
};

// An answer is complete when it ends with ")" and every "(" has been closed:
// "(0)" and "(0)(&H)" are complete, "(0)(&H" and "(&V0" are not.
bool RespostaCompleta(const QByteArray& resposta);

// "host" or "host:porta" into its parts; false when the text is no usable address.
bool SeparaEndereco(const QString& endereco, QString& host, quint16& porta);

} // namespace talvero
