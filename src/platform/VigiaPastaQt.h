#pragma once

#include "platform/MapaCaminhos.h"
#include "platform/VigiaPasta.h"

#include <QFileSystemWatcher>

namespace talvero {

// The system's own notices (inotify on Linux) through Qt, on the event loop.
class VigiaPastaQt : public VigiaPasta {
public:
    explicit VigiaPastaQt(const MapaCaminhos& caminhos);

    void vigia(const QString& pasta, std::function<void()> mudou,
               std::function<void(const QString& motivo)> falhou) override;
    void para() override;

private:
    void mudou();

    const MapaCaminhos& caminhos_;
    QFileSystemWatcher vigia_;
    QString local_;
    std::function<void()> mudou_;
    std::function<void(const QString&)> falhou_;
};

} // namespace talvero
