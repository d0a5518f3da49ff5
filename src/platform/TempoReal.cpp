#include "platform/TempoReal.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace talvero {

RelogioSistema::RelogioSistema() : base_(QDateTime::currentMSecsSinceEpoch()) {
    desdeInicio_.start();
}

QDateTime RelogioSistema::agora() const {
    return QDateTime::currentDateTime();
}

// Aligned with the wall clock at start so that whole-second boundaries fall where
// the clock's seconds change, then counting on regardless of clock changes.
std::int64_t RelogioSistema::monotonicoMs() const {
    return base_ + desdeInicio_.elapsed();
}

namespace {

class TemporizadorQt : public Temporizador {
public:
    TemporizadorQt(int intervaloMs, std::function<void()> acao) {
        timer_.setInterval(intervaloMs);
        QObject::connect(&timer_, &QTimer::timeout, std::move(acao));
    }
    void setHabilitado(bool h) override {
        if (h && !timer_.isActive()) timer_.start();
        if (!h) timer_.stop();
    }
    bool habilitado() const override { return timer_.isActive(); }
    int intervaloMs() const override { return timer_.interval(); }

private:
    QTimer timer_;
};

} // namespace

std::unique_ptr<Temporizador> AgendadorQt::criaTemporizador(int intervaloMs,
                                                            std::function<void()> aoDisparar) {
    return std::make_unique<TemporizadorQt>(intervaloMs, std::move(aoDisparar));
}

void AgendadorQt::umaVez(int atrasoMs, std::function<void()> acao) {
    QTimer::singleShot(atrasoMs, QCoreApplication::instance(), std::move(acao));
}

void AgendadorQt::processaEventos() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void AgendadorQt::aguardaEventos(int maxMs) {
    // A wake-up timer bounds the blocking wait; any other event ends it earlier.
    QTimer despertador;
    despertador.setSingleShot(true);
    despertador.start(std::max(1, maxMs));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

} // namespace talvero
