#pragma once

#include "ensaio/TempoVirtual.h"
#include "platform/CanalBytes.h"

#include <QByteArray>
#include <deque>
#include <functional>

namespace talvero::fuzz {

// The concentrator's side of every line, played from a fuzzer input: one answer
// per line of the input, the next one let in by each frame written. A line
// starting with a tab is the rest of the answer before it, arriving a moment later.
// A line starting with '!' and one byte n comes in with the database failing
// after n % 8 more statements, until the next frame is written; its answer is
// the rest of the line.
class RoteiroCanal : public FabricaCanais {
public:
    // Sees the line as the concentrator does: every write, every byte the agent takes.
    class Observador {
    public:
        virtual ~Observador() = default;
        virtual void escrito(const QByteArray& bytes) = 0;
        virtual void lido(const QByteArray& bytes) = 0;
        virtual void descartado() = 0;
    };

    void liga(RelogioVirtual& relogio) { relogio_ = &relogio; }
    void observa(Observador& observador) { observador_ = &observador; }
    void define(const QByteArray& roteiro);

    // Told how many statements still pass before the database fails; -1 when it works again.
    std::function<void(int passam)> falhaBanco;

    std::unique_ptr<CanalBytes> serial(const QString& porta) override;
    std::unique_ptr<CanalBytes> tcp(const QString& host, quint16 porta) override;

private:
    class Canal;
    struct Trecho {
        QByteArray bytes;
        bool continua;
        int falhaBanco; // -1: the database keeps working
    };
    void escrito(const QByteArray& bytes);
    void restabeleceBanco();
    RelogioVirtual* relogio_ = nullptr;
    Observador* observador_ = nullptr;
    bool bancoFalhando_ = false;
    std::deque<Trecho> trechos_;
};

} // namespace talvero::fuzz
