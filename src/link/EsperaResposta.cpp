#include "link/EsperaResposta.h"

#include "link/TamanhosResposta.h"
#include "support/RotinasGerais.h"

#include <algorithm>

namespace talvero {

namespace {

constexpr int kTamanhoCartao = 52;
constexpr int kTamanhoVersao = 51;
constexpr int kMaisBicosNumaResposta = 64;

// "(" + code (2) + litres (6) for each running nozzle + ")".
std::vector<int> tamanhosDeAndamento() {
    std::vector<int> t;
    for (int bicos = 1; bicos <= kMaisBicosNumaResposta; ++bicos)
        t.push_back(2 + 8 * bicos);
    return t;
}

struct Forma {
    const char* prefixo;
    FormasResposta formas;
};

const std::vector<Forma>& tabela() {
    static const QString zero = QStringLiteral("(0)"), um = QStringLiteral("(1)");
    static const std::vector<Forma> t = {
        {"(&A",
         {{leitura::kTamanhoPadrao, leitura::kTamanhoCurto, leitura::kTamanhoIdentFid}, {zero}}},
        {"(&V", {tamanhosDeAndamento(), {zero}}},
        {"(&H", {{4, 7}, {}}}, // "(&H)", "(0)(&H)"
        {"(&S", {{kTamanhoVersao}, {}}},
        {"(?V", {{20, 23, 30}, {zero}}}, // the card at the nozzle, alone or after 3 or 10
        {"(?F", {{kTamanhoCartao}, {zero, um}}},
        {"(?L", {{kTamanhoCartao}, {zero, um}}},
    };
    return t;
}

} // namespace

FormasResposta FormasDe(const QString& quadro) {
    for (const Forma& f : tabela())
        if (quadro.startsWith(QLatin1String(f.prefixo))) return f.formas;
    return {};
}

FormaChegada Julga(const QString& chegou, const FormasResposta& formas) {
    if (chegou.endsWith(QLatin1Char(')')) &&
        std::find(formas.tamanhos.begin(), formas.tamanhos.end(), chegou.size()) !=
            formas.tamanhos.end())
        return FormaChegada::Completa;
    if (std::find(formas.curtas.begin(), formas.curtas.end(), chegou) != formas.curtas.end())
        return FormaChegada::Curta;
    return FormaChegada::Incompleta;
}

bool EsperaResposta::milissegundos(std::int64_t ms, const FormasResposta& formas,
                                   const std::function<QString()>& chegou) const {
    if (!fixa()) return ate(a_.relogio.monotonicoMs() + ms, formas, chegou);
    AguardaMilissegundos(a_.relogio, a_.agendador, ms);
    return false;
}

bool EsperaResposta::segundos(int n, const FormasResposta& formas,
                              const std::function<QString()>& chegou,
                              const std::function<bool()>& encurta) const {
    if (!fixa()) return ate(FimDeAguardaSegundos(a_.relogio, n), formas, chegou, encurta);
    AguardaSegundos(a_.relogio, a_.agendador, n);
    return false;
}

bool EsperaResposta::ate(std::int64_t fimMs, const FormasResposta& formas,
                         const std::function<QString()>& chegou,
                         const std::function<bool()>& encurta) const {
    QString curta; // a short answer seen at the last look
    for (std::int64_t agora = a_.relogio.monotonicoMs(); agora < fimMs;
         agora = a_.relogio.monotonicoMs()) {
        const bool olha = !encurta || encurta();
        AguardaMilissegundos(
            a_.relogio, a_.agendador,
            std::min<std::int64_t>(olha ? kIntervaloMs : kPassoFixoMs, fimMs - agora));
        if (!olha) continue;
        const QString texto = chegou();
        switch (Julga(texto, formas)) {
        case FormaChegada::Completa:
            return true;
        case FormaChegada::Curta:
            if (texto == curta) return true;
            curta = texto;
            break;
        case FormaChegada::Incompleta:
            curta.clear();
            break;
        }
    }
    return false;
}

} // namespace talvero
