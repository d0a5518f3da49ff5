#pragma once

#include <QString>
#include <cstdint>

namespace talvero {

// The configuration values and program-wide values the window keeps for the whole
// run. Start-up fills the first group, the link opening the second.
struct Configuracao {
    std::int16_t lQuantidadeBicos = 0;
    std::int16_t lCodigoEmpresa = 0;
    QString lNomeEmpresa;
    bool lCriarLogTimer = false;
    bool lUsarDllCompany = false;
    bool lUsarIdentFid = false;
    // The waits for an answer end only at their full time (a concentrator that needs them).
    bool lEsperaFixa = false;
    // Waiting fuelings are asked for one at every tick, status requests left for after.
    bool lDescargaRapida = false;
    QString lPastaAutomacao = QStringLiteral("Automacao");

    std::int16_t lCasasDecimaisLitragem = 3;
    std::int16_t lCasasDecimaisValor = 3;
    QString lPortaComunicacao;

    // Program-wide copies and values shared by the general routines.
    std::int16_t gCodigoEmpresa = 0;
    std::int32_t gNumeroEmail = 0;
    bool gEmailConcluido = false;
};

// The waits as the start-up line and the status file name them.
inline QString ModoDasEsperas(const Configuracao& c) {
    return c.lEsperaFixa ? QStringLiteral("fixas") : QStringLiteral("adaptativas");
}

} // namespace talvero
