#pragma once

#include <QDateTime>
#include <cstdint>

namespace talvero {

// Clock port: the computer's date and time, and a clock that keeps counting
// across midnight and clock changes (for waits).
class Relogio {
public:
    virtual ~Relogio() = default;
    virtual QDateTime agora() const = 0;
    virtual std::int64_t monotonicoMs() const = 0;
};

} // namespace talvero
