#include "support/RotinasGerais.h"

#include "platform/Erro.h"

#include <algorithm>
#include <cstdint>

namespace talvero {

namespace {

const QString kSeparador = QStringLiteral("|@|");
constexpr int kMaiorPosicao = 32767;
constexpr int kPassoEsperaMs = 100;

std::int64_t segundoDe(std::int64_t ms) {
    return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}

} // namespace

QString SeparaCampo(const QString& texto, int n) {
    if (texto.isEmpty()) return {};
    // Positions have always been 16-bit numbers: longer texts overflow.
    if (texto.size() > kMaiorPosicao) throw Erro(QStringLiteral("Estouro"), erros::Estouro);
    if (n <= 0) return {};
    qsizetype inicio = 0;
    for (int campo = 1;; ++campo) {
        const qsizetype fim = texto.indexOf(kSeparador, inicio);
        if (fim < 0) return {};
        if (campo == n) return texto.mid(inicio, fim - inicio);
        inicio = fim + kSeparador.size();
    }
}

void AguardaMilissegundos(const Relogio& relogio, Agendador& agendador, std::int64_t ms) {
    const std::int64_t fim = relogio.monotonicoMs() + ms;
    for (std::int64_t agora = relogio.monotonicoMs(); agora < fim; agora = relogio.monotonicoMs())
        agendador.aguardaEventos(static_cast<int>(fim - agora));
}

std::int64_t FimDeAguardaSegundos(const Relogio& relogio, int n) {
    const std::int64_t agora = relogio.monotonicoMs();
    return n <= 0 ? agora : (segundoDe(agora) + n) * 1000;
}

void AguardaSegundos(const Relogio& relogio, Agendador& agendador, int n) {
    const std::int64_t fim = FimDeAguardaSegundos(relogio, n);
    for (;;) {
        const std::int64_t agora = relogio.monotonicoMs();
        if (agora >= fim) return;
        const std::int64_t proximaFronteira = (segundoDe(agora) + 1) * 1000;
        agendador.aguardaEventos(
            static_cast<int>(std::min<std::int64_t>(kPassoEsperaMs, proximaFronteira - agora)));
    }
}

} // namespace talvero
