#include "shell/MenuAutomacao.h"

namespace talvero {

namespace {
constexpr int kEsperaEnlaceMs = 100;
}

// The link carries one exchange at a time: a click that comes while the cycle
// waits for the concentrator runs as soon as the cycle is done, in its turn.
void MenuAutomacao::quandoEnlaceLivre(std::function<void()> acao) {
    if (descarregada_) return;
    if (!enlace.emTroca() && aEsperaDoEnlace_.empty()) {
        acao();
        return;
    }
    enlace.aguardaVez();
    aEsperaDoEnlace_.push_back(std::move(acao));
    if (!esperaEnlace_)
        esperaEnlace_ = plataforma.agendador.criaTemporizador(kEsperaEnlaceMs, [this] {
            if (enlace.emTroca() || descarregada_) return;
            const auto acao = std::move(aEsperaDoEnlace_.front());
            aEsperaDoEnlace_.pop_front();
            if (aEsperaDoEnlace_.empty()) esperaEnlace_->setHabilitado(false);
            acao();
        });
    esperaEnlace_->setHabilitado(true);
}

void MenuAutomacao::ligaAcoesDoOperador() {
    const auto comEnlace = [this](auto acao) {
        return [this, acao] { quandoEnlaceLivre([this, acao] { acao(*this); }); };
    };
    // The log of the hour of the click, however long the click waits for the link.
    acoes.cmdBlocoNotas_Click = [this] {
        const QDateTime clique = plataforma.relogio.agora();
        quandoEnlaceLivre([this, clique] { ferramentas().cmdBlocoNotas_Click(clique); });
    };
    acoes.cmdExplorer_Click = [this] { ferramentas().cmdExplorer_Click(); };
    acoes.mnuVersaoEquipamento_Click =
        comEnlace([](MenuAutomacao& m) { m.ferramentas().mnuVersaoEquipamento_Click(); });
    acoes.mnuIncluiCartao_Click =
        comEnlace([](MenuAutomacao& m) { m.dialogos().mnuIncluiCartao_Click(); });
    acoes.mnuExcluiCartao_Click =
        comEnlace([](MenuAutomacao& m) { m.dialogos().mnuExcluiCartao_Click(); });
    acoes.mnuLerCartao_Click =
        comEnlace([](MenuAutomacao& m) { m.dialogos().mnuLerCartao_Click(); });
    acoes.mnuPesquisaPosicaoCartao_Click =
        comEnlace([](MenuAutomacao& m) { m.dialogos().mnuPesquisaPosicaoCartao_Click(); });
    acoes.cmdLeituraIdentificador_Click =
        comEnlace([](MenuAutomacao& m) { m.dialogos().cmdLeituraIdentificador_Click(); });
}

} // namespace talvero
