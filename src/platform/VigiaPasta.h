#pragma once

#include <QString>
#include <functional>

namespace talvero {

// Folder watch port: tells when the entries of a folder change, so that what is
// written there is handled as it arrives. A share whose changes reach nobody
// tells nothing: whoever uses it keeps looking now and then as well.
class VigiaPasta {
public:
    virtual ~VigiaPasta() = default;

    // Watches the folder (the program's Windows path) in place of any earlier one.
    // `mudou` runs as an event after an entry is added, removed or renamed (a
    // file only written to may tell nothing). `falhou` runs once, with the
    // reason, when the folder cannot be watched: within this call, or later when
    // the watch is lost (the folder removed); nothing more is told after that.
    virtual void vigia(const QString& pasta, std::function<void()> mudou,
                       std::function<void(const QString& motivo)> falhou) = 0;

    virtual void para() = 0;
};

} // namespace talvero
