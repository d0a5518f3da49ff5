#pragma once

#include <QByteArray>
#include <QList>
#include <cstdint>
#include <optional>

namespace talvero {

// The socket calls behind the host identity, shaped like the classic sockets API so
// that the routines above it can report the same failures.
class IdentidadeHost {
public:
    struct Inicio {
        int resultado = 0; // 0 = started
        int maxSockets = 0;
        std::uint16_t versao = 0x0101; // low byte major, high byte minor
    };

    virtual ~IdentidadeHost() = default;
    virtual Inicio inicia(std::uint16_t versaoPedida) = 0;
    virtual int encerra() = 0; // 0 = cleaned up
    virtual int ultimoErro() = 0;
    virtual std::optional<QByteArray> nomeDoHost() = 0; // empty optional = failure
    // Addresses of the host, each as its raw bytes (4 for IPv4); empty optional = failure.
    virtual std::optional<QList<QByteArray>> enderecos(const QByteArray& nome) = 0;
};

} // namespace talvero
