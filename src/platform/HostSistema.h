#pragma once

#include "platform/IdentidadeHost.h"

namespace talvero {

// The machine's own name and addresses: Winsock on Windows, the system's resolver
// elsewhere (where starting and cleaning up always succeed).
class HostSistema : public IdentidadeHost {
public:
    Inicio inicia(std::uint16_t versaoPedida) override;
    int encerra() override;
    int ultimoErro() override;
    std::optional<QByteArray> nomeDoHost() override;
    std::optional<QList<QByteArray>> enderecos(const QByteArray& nome) override;

private:
    int ultimoErro_ = 0;
};

} // namespace talvero
