#include "ensaio/VigiaPastaDeTeste.h"

#include <utility>

namespace talvero {

void VigiaPastaDeTeste::vigia(const QString& p, std::function<void()> mudou,
                              std::function<void(const QString& motivo)> falhou) {
    para();
    ++inicios;
    if (recusa) return falhou(QStringLiteral("recusada pelo teste"));
    pasta = p;
    mudou_ = std::move(mudou);
    falhou_ = std::move(falhou);
}

void VigiaPastaDeTeste::para() {
    ++geracao_;
    pasta.clear();
    mudou_ = nullptr;
    falhou_ = nullptr;
}

void VigiaPastaDeTeste::notifica() {
    // A notice still queued when the watch stops is dropped, as the system's would be.
    agendador_.umaVez(0, [this, geracao = geracao_] {
        if (geracao != geracao_ || !mudou_) return;
        const auto avisa = mudou_;
        avisa();
    });
}

void VigiaPastaDeTeste::perde() {
    auto falhou = std::exchange(falhou_, nullptr);
    para();
    if (falhou) falhou(QStringLiteral("a pasta deixou de existir"));
}

} // namespace talvero
