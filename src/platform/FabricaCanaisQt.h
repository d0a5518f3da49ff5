#pragma once

#include "platform/CanalBytes.h"
#include "platform/MapaCaminhos.h"

namespace talvero {

// The real byte streams: serial ports through the path map, TCP connections.
class FabricaCanaisQt : public FabricaCanais {
public:
    explicit FabricaCanaisQt(const MapaCaminhos& caminhos);

    std::unique_ptr<CanalBytes> serial(const QString& porta) override;
    std::unique_ptr<CanalBytes> tcp(const QString& host, quint16 porta) override;

private:
    const MapaCaminhos& caminhos_;
};

} // namespace talvero
