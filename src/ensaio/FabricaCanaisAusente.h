#pragma once

#include "platform/CanalBytes.h"

namespace talvero {

// For tests that need no concentrator: every channel request fails as a port
// that does not exist.
class FabricaCanaisAusente : public FabricaCanais {
public:
    std::unique_ptr<CanalBytes> serial(const QString& porta) override;
    std::unique_ptr<CanalBytes> tcp(const QString& host, quint16 porta) override;
};

} // namespace talvero
