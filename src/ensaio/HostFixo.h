#pragma once

#include "platform/IdentidadeHost.h"

namespace talvero {

// Host identity of a test: fixed answers the test may change, and counters of
// the start and clean-up calls.
class HostFixo : public IdentidadeHost {
public:
    Inicio inicia(std::uint16_t versaoPedida) override;
    int encerra() override;
    int ultimoErro() override { return erro; }
    std::optional<QByteArray> nomeDoHost() override { return nome; }
    std::optional<QList<QByteArray>> enderecos(const QByteArray& nomeConsultado) override;

    static QByteArray ipv4(int a, int b, int c, int d);

    Inicio inicio{0, 32767, 0x0101};
    std::optional<QByteArray> nome = QByteArray("CAIXA01"); // empty optional: failure
    std::optional<QList<QByteArray>> enderecosDoHost = QList<QByteArray>{ipv4(192, 168, 0, 10)};
    int resultadoEncerra = 0;
    int erro = 0;

    int chamadasInicia = 0;
    int chamadasEncerra = 0;
    std::uint16_t versaoPedida = 0;
    QByteArray ultimoNomeConsultado;
};

} // namespace talvero
