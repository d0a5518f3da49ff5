#pragma once

#include <QtGlobal>
#include <optional>

namespace talvero {

// Whether a process of this number exists on this computer: nothing when it
// cannot be told (no such check on this system, or no number).
std::optional<bool> processoExiste(qint64 pid);

} // namespace talvero
