#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <random>
#include <vector>

namespace talvero::sim {

// One piece of an answer as the transport must deliver it.
struct Trecho {
    QByteArray bytes;
    // The first piece's after the frame arrived, each other's after the piece
    // before has gone out.
    std::int64_t pausaMs = 0;
    bool desconecta = false; // the line drops at that moment (no bytes)
};

// A fault strikes the next `proximas` answers it applies to, and after those
// each one with `probabilidade` (drawn from the plan's own seed, so the traffic
// does not change when faults are added).
struct Falha {
    int proximas = 0;
    double probabilidade = 0;
    bool soAbastecimentos = false; // only answers that carry a fueling
};

struct PlanoFalhas {
    Falha silencio;           // the frame gets no answer
    Falha atraso;             // the answer comes `atrasoMs` later
    Falha ruido;              // `bytesRuido` random bytes (never "(" or ")") before the answer
    Falha truncada;           // only the first `tamanhoTruncado` characters (0: half) go out
    Falha adulterada;         // one digit changed, the checksum left as it was (fuelings only)
    Falha partida;            // `pedacos` pieces, a pause of `intervaloPedacosMs` between them
    Falha confirmacaoPerdida; // an "(&I)" is ignored
    Falha desconexao;         // the frame is lost and the line drops
    Falha manual; // a fueling pumped with the automation off: counted, never handed over

    int atrasoMs = 3000;
    int bytesRuido = 3;
    int tamanhoTruncado = 0;
    int pedacos = 2;
    int intervaloPedacosMs = 600;
};

// Applies a plan to answers. Content faults first (truncated, garbled), then
// the way out (noise, delay, pieces).
class InjetorFalhas {
public:
    explicit InjetorFalhas(std::uint64_t semente) : sorteio_(semente ^ 0x5eedfa17u) {}

    PlanoFalhas& plano() { return plano_; }

    bool desconecta(bool carregaAbastecimento) {
        return atinge(plano_.desconexao, carregaAbastecimento);
    }
    bool perdeConfirmacao() { return atinge(plano_.confirmacaoPerdida, false); }
    bool silencia(bool carregaAbastecimento) {
        return atinge(plano_.silencio, carregaAbastecimento);
    }
    bool abastecimentoManual() { return atinge(plano_.manual, true); }

    // The text that goes out instead of `resposta` (the same text when no content fault strikes).
    QString conteudo(const QString& resposta, bool carregaAbastecimento);
    std::vector<Trecho> entrega(const QByteArray& bytes, std::int64_t latenciaMs,
                                bool carregaAbastecimento);

private:
    bool atinge(Falha& f, bool carregaAbastecimento);
    QString adultera(const QString& resposta);
    int sorteia(int limite);

    PlanoFalhas plano_;
    std::mt19937_64 sorteio_;
};

} // namespace talvero::sim
