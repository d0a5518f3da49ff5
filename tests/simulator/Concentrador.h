#pragma once

#include "comum/Ajuda.h"
#include "ensaio/TempoVirtual.h"
#include "link/MontaComando.h"
#include "platform/CodecAnsi.h"
#include "simulator/NucleoConcentrador.h"

#include <memory>

namespace talvero::sim::teste {

inline QDateTime inicio() {
    return QDateTime(QDate(2026, 12, 5), QTime(18, 0));
}

// A core on the virtual clock, answering frames directly (timing left out).
struct Concentrador {
    explicit Concentrador(ConfiguracaoConcentrador cfg = {})
        : relogio(inicio()), nucleo(relogio, cfg) {}

    QString responde(const QString& quadro) {
        QByteArray tudo;
        for (const Trecho& t : nucleo.respondeQuadro(quadro))
            tudo += t.bytes;
        return ansi::decodifica(tudo);
    }
    QString pede() { return responde(QStringLiteral("(&A)")); }
    void confirma() { responde(QStringLiteral("(&I)")); }
    void avancaSegundos(int s) {
        relogio.avancaMs(std::int64_t(s) * 1000);
        nucleo.atualiza();
    }

    RelogioVirtual relogio;
    NucleoConcentrador nucleo;
};

inline Moeda m(const char16_t* texto) {
    return Moeda::deTexto(texto);
}

// Fields are checked by their positions counted from 1, as written on paper.
inline QString em(const QString& s, int posicao, int largura) {
    return s.mid(posicao - 1, largura);
}

} // namespace talvero::sim::teste
