#pragma once

#include <QString>
#include <cstdint>

namespace talvero {

// The concentrator vendor's library, by its seven functions. 1 means success for
// opening and sending. The receive functions hand back the characters received
// so far as text. A library that cannot be loaded raises talvero::Erro.
class BibliotecaConcentrador {
public:
    virtual ~BibliotecaConcentrador() = default;

    virtual std::int16_t VB_OpenSerial(std::int16_t porta) = 0;
    virtual std::int16_t VB_OpenSocket(const QString& endereco) = 0;
    virtual std::int16_t VB_SendText(const QString& texto) = 0;
    virtual std::int16_t VB_ReceiveText(QString& texto) = 0;
    virtual std::int16_t VB_SendReceiveText(QString& texto, std::int32_t esperaMs) = 0;
    virtual std::int16_t VB_CloseSerial() = 0;
    virtual std::int16_t VB_CloseSocket() = 0;
};

} // namespace talvero
