#include "platform/VigiaPastaQt.h"

#include <QDir>
#include <QFileInfo>
#include <utility>

namespace talvero {

VigiaPastaQt::VigiaPastaQt(const MapaCaminhos& caminhos) : caminhos_(caminhos) {
    QObject::connect(&vigia_, &QFileSystemWatcher::directoryChanged, [this] { mudou(); });
}

void VigiaPastaQt::vigia(const QString& pasta, std::function<void()> mudou,
                         std::function<void(const QString& motivo)> falhou) {
    para();
    local_ = QDir::cleanPath(caminhos_.local(pasta));
    // Asked beforehand: Qt would warn on standard error for a folder that is missing.
    if (!QFileInfo(local_).isDir()) return falhou(QStringLiteral("pasta não encontrada"));
    if (!vigia_.addPath(local_))
        return falhou(QStringLiteral("o sistema não vigia esta pasta (limite de vigias?)"));
    mudou_ = std::move(mudou);
    falhou_ = std::move(falhou);
}

void VigiaPastaQt::para() {
    if (const QStringList pastas = vigia_.directories(); !pastas.isEmpty())
        vigia_.removePaths(pastas);
    mudou_ = nullptr;
    falhou_ = nullptr;
}

// Qt drops a folder that went away from its list before telling of the change.
void VigiaPastaQt::mudou() {
    if (vigia_.directories().contains(local_)) {
        if (const auto avisa = mudou_) avisa(); // it may stop the watch
        return;
    }
    auto falhou = std::exchange(falhou_, nullptr);
    para();
    if (falhou) falhou(QStringLiteral("a pasta deixou de existir"));
}

} // namespace talvero
