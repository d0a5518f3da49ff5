#pragma once

#include "ensaio/TempoVirtual.h"
#include "platform/CanalBytes.h"
#include "simulator/MontadorQuadros.h"
#include "simulator/NucleoConcentrador.h"
#include "simulator/RitmoLinha.h"

#include <deque>
#include <functional>

namespace talvero::sim {

// An in-memory line between the agent and the core, on the virtual clock. What
// the agent writes reaches the core once the line has carried it; the answers
// arrive as the simulator's servers write them (the same pace), except that a
// concentrator without a line speed of its own is on a line of
// `msPorCaractere` (9600 baud: about 1.04 ms a character) that hands each piece
// over whole, when its last character is through. Nothing arrives early,
// nothing overtakes, and a wait moves only the clock (as inside a library call,
// no window events run).
class LinhaVirtual : public CanalBytes {
public:
    LinhaVirtual(NucleoConcentrador& nucleo, RelogioVirtual& relogio, QString nome);
    ~LinhaVirtual() override;

    void abre() override;
    void fecha() override;
    bool aberto() const override { return aberto_; }
    void escreve(const QByteArray& bytes) override;
    qsizetype disponiveis() override;
    QByteArray le() override;
    void descarta() override;
    bool aguardaDados(int maxMs) override;

    // The concentrator's side drops the line now: it reports closed, writes fail
    // and what was still on its way is lost.
    void desconecta();

    const QString& nome() const { return nome_; }
    const QByteArray& escrito() const { return escrito_; } // everything the agent wrote

    double msPorCaractere = 1.0417;
    std::function<void()> aoAbrir; // may raise talvero::Erro: the port does not exist, is in use...
    std::function<void()> aoFechar;
    std::function<void(LinhaVirtual*)> aoDestruir;

private:
    void entregaVencidos();
    RitmoLinha ritmo() const;

    NucleoConcentrador& nucleo_;
    RelogioVirtual& relogio_;
    QString nome_;
    MontadorQuadros montador_;
    CronogramaSaida cronograma_;
    std::deque<Parcela> pendentes_;
    QByteArray chegados_;
    QByteArray escrito_;
    bool aberto_ = false;
};

} // namespace talvero::sim
