#include "platform/FabricaCanaisQt.h"

#include "platform/CanalSerialQt.h"
#include "platform/CanalTcpQt.h"

namespace talvero {

FabricaCanaisQt::FabricaCanaisQt(const MapaCaminhos& caminhos) : caminhos_(caminhos) {}

std::unique_ptr<CanalBytes> FabricaCanaisQt::serial(const QString& porta) {
    return std::make_unique<CanalSerialQt>(caminhos_, porta);
}

std::unique_ptr<CanalBytes> FabricaCanaisQt::tcp(const QString& host, quint16 porta) {
    return std::make_unique<CanalTcpQt>(host, porta);
}

} // namespace talvero
