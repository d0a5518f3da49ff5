#pragma once

#include "support/Ambiente.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

namespace talvero {

// The answers a frame can have: complete ones by their length (the ")" that closes
// them at that length) and the known short ones.
struct FormasResposta {
    std::vector<int> tamanhos;
    std::vector<QString> curtas;
};

// The table, by the frame's command; a frame of no known command has no forms.
FormasResposta FormasDe(const QString& quadro);

// What has arrived so far, as the table sees it. A short answer is only a candidate:
// it may be the start of a longer one.
enum class FormaChegada { Incompleta, Completa, Curta };
FormaChegada Julga(const QString& chegou, const FormasResposta& formas);

// A wait for an answer. Fixed, it takes its whole time as it always did; adaptive,
// it looks at what arrived every kIntervaloMs and ends at a complete answer, or at
// a short one nothing followed within one interval. Either way it never ends later.
class EsperaResposta {
public:
    static constexpr int kIntervaloMs = 20;
    static constexpr int kPassoFixoMs = 100; // while it may not end early

    explicit EsperaResposta(Ambiente ambiente) : a_(ambiente) {}

    bool fixa() const { return a_.configuracao.lEsperaFixa; }

    // `chegou` tells what arrived so far, without taking it from the line.
    // True when the wait ended on an answer before its time.
    bool milissegundos(std::int64_t ms, const FormasResposta& formas,
                       const std::function<QString()>& chegou) const;
    // As AguardaSegundos measures its seconds. With `encurta`, the wait looks at
    // the line only while it says so, and is fixed otherwise.
    bool segundos(int n, const FormasResposta& formas, const std::function<QString()>& chegou,
                  const std::function<bool()>& encurta = {}) const;
    // Always adaptive: for a wait the fixed mode does not know.
    bool ate(std::int64_t fimMs, const FormasResposta& formas,
             const std::function<QString()>& chegou,
             const std::function<bool()>& encurta = {}) const;

private:
    Ambiente a_;
};

} // namespace talvero
