#pragma once

#include <QString>

namespace talvero::sim {

enum class TipoComando {
    PedeAbastecimento, // "(&A)" or "(&A67)"
    Confirma,          // "(&I)"
    Andamento,         // "(&V)"
    CartaoAndamento,   // "(?V95)"
    AcertaRelogio,     // "(&H" ddHHMM ")"
    Versao,            // "(&S)"
    GravaCartao,       // "(?F27G" card 16 zeros checksum ")"
    ApagaCartao,       // "(?F27A" card "00" position "00000000" checksum ")"
    LeCartao,          // "(?LF" position checksum ")"
    ChecksumErrado,    // a known command whose checksum does not add up
    Desconhecido,
};

struct Comando {
    TipoComando tipo = TipoComando::Desconhecido;
    QString cartao;                    // card frames
    int posicao = 0;                   // erase and read
    int dia = 0, hora = 0, minuto = 0; // clock
};

// Reads one whole frame, "(" to ")". Frames that carry a checksum are checked
// by the concentrator's own reckoning of it.
Comando interpretaComando(const QString& quadro);

} // namespace talvero::sim
