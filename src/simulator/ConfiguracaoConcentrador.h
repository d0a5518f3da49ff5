#pragma once

#include "platform/Moeda.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace talvero::sim {

// Length of the fueling answer, which is all the agent looks at to choose how
// to read it.
enum class Leiaute { Padrao = 52, IdentFid = 75, Curto = 34 };

// How answers carry their checksum. The agent's frames are always checked by the
// standard rule; `SomaComParentese` only changes what the concentrator writes
// (the sum also counts the opening "(", modulo 256, always two digits), so every
// answer's checksum disagrees with the agent's rule, consistently.
enum class ModoChecksum { Correto, SomaComParentese };

// Answer to the card-at-a-running-nozzle query: the 20-character answer alone, or
// preceded by 3 characters ("(0)") or 10 characters (that nozzle's status frame
// "(" + code + 6-digit litres so far + ")").
enum class FormatoCartaoAndamento { Direto20 = 20, Prefixo23 = 23, Prefixo30 = 30 };

struct BicoSimulado {
    QString codigo; // two upper-case hexadecimal digits
    int produto = 1;
    Moeda preco;
    Moeda encerrante; // totalizer at start
};

struct ConfiguracaoConcentrador {
    Leiaute leiaute = Leiaute::Padrao;
    int casasLitragem = 3;
    int casasValor = 3;
    std::vector<BicoSimulado> bicos; // empty: the four default nozzles
    QString respostaRelogio = QStringLiteral("(0)(&H)");
    int tamanhoTabelaCartoes = 100;
    QString firmware = QStringLiteral("0412");
    QString monitor = QStringLiteral("0207");
    FormatoCartaoAndamento formatoCartaoAndamento = FormatoCartaoAndamento::Direto20;
    ModoChecksum checksum = ModoChecksum::Correto;
    bool viraNoMilhao = false; // totalizers start again from zero at 1,000,000.00
    bool precoZero = false;    // price field "0000": the agent completes it
    // The concentrator's thinking time before it answers, each answer's drawn
    // evenly within `variacaoAtrasoMs` of it (never below zero): --latencia.
    int atrasoRespostaMs = 30;
    int variacaoAtrasoMs = 0;
    int baud = 0; // the line's speed; 0: an answer goes out whole, with no line time

    // Generated traffic (0 = none). Deterministic for a given seed.
    double taxaPorMinuto = 0;
    std::uint64_t semente = 1;
    Moeda litrosMinimo = Moeda::deInteiro(2);
    Moeda litrosMaximo = Moeda::deInteiro(60);
    int mlPorSegundo = 600;       // pump flow
    int percentualComCartao = 50; // generated fuelings that present a card
};

// The line speeds a concentrator is set to (0 also: no line time).
constexpr int kMenorBaud = 300;
constexpr int kMaiorBaud = 115200;

// The default station: four nozzles on three products.
std::vector<BicoSimulado> bicosPadrao();

// Raises talvero::Erro with a Portuguese description naming the bad value.
void valida(const ConfiguracaoConcentrador& cfg);

// Fills the defaults that depend on other values (the nozzles).
ConfiguracaoConcentrador completa(ConfiguracaoConcentrador cfg);

} // namespace talvero::sim
