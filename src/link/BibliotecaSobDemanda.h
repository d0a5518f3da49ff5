#pragma once

#include "platform/BibliotecaConcentrador.h"
#include "platform/Erro.h"

#include <functional>
#include <memory>

namespace talvero {

using CarregadorBiblioteca = std::function<std::unique_ptr<BibliotecaConcentrador>()>;

// The vendor library is loaded on the first call of any of its functions, not at
// start-up. A loader that fails raises talvero::Erro out of that call; the next
// call tries again.
class BibliotecaSobDemanda : public BibliotecaConcentrador {
public:
    explicit BibliotecaSobDemanda(CarregadorBiblioteca carrega);

    std::int16_t VB_OpenSerial(std::int16_t porta) override;
    std::int16_t VB_OpenSocket(const QString& endereco) override;
    std::int16_t VB_SendText(const QString& texto) override;
    std::int16_t VB_ReceiveText(QString& texto) override;
    std::int16_t VB_SendReceiveText(QString& texto, std::int32_t esperaMs) override;
    std::int16_t VB_CloseSerial() override;
    std::int16_t VB_CloseSocket() override;

private:
    BibliotecaConcentrador& biblioteca();

    CarregadorBiblioteca carrega_;
    std::unique_ptr<BibliotecaConcentrador> biblioteca_;
};

// The error of a library file that is not there (number 53), for loaders.
Erro ErroBibliotecaAusente();

} // namespace talvero
