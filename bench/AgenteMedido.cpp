#include "AgenteMedido.h"

#include "EstacaoMedida.h"
#include "Respostas.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <stdexcept>

namespace talvero::medicao {

namespace {

constexpr int kPartidaMs = 60'000;
constexpr int kPorAbastecimentoMs = 5'000;

QTextStream& saida() {
    static QTextStream s(stdout);
    return s;
}

QString num(double v, int casas = 1) {
    return QString::number(v, 'f', casas);
}

[[noreturn]] void falha(const QString& texto, const EstacaoMedida& e) {
    throw std::runtime_error((texto + QLatin1Char('\n') + e.diagnostico()).toStdString());
}

} // namespace

void medePartida(const QString& binarios) {
    saida() << "\n4. Partida / start-up: do início do agente à primeira troca respondida (acerto "
               "do relógio) /\n"
            << "   from starting the agent to its first answered exchange (the clock setting)\n";
    EstacaoMedida e(binarios);
    e.prepara();
    e.iniciaSimulador({QStringLiteral("--taxa"), QStringLiteral("0")});
    QElapsedTimer t;
    t.start();
    e.iniciaAgente();
    if (!aguardaAte([&] { return !e.agenteRodando() || e.primeiraTroca(); }, kPartidaMs, 10) ||
        !e.agenteRodando())
        falha(QStringLiteral("o agente não trocou nenhum comando / no exchange"), e);
    saida() << "   " << num(double(t.nsecsElapsed()) / 1e6, 0)
            << " ms (o log é lido a cada 10 ms / log polled every 10 ms)" << Qt::endl;
}

void medeFila(const QString& binarios, int n) {
    saida() << "\n5. Fila / backlog: " << n
            << " abastecimentos à espera na partida, um minuto entre eles por bico /\n"
            << "   fuelings waiting at start-up, a minute apart per nozzle (--script), --taxa 0\n";
    EstacaoMedida e(binarios);
    e.prepara();
    const QString arquivo = e.raiz() + QStringLiteral("/fila.txt");
    QFile f(arquivo);
    if (!f.open(QIODevice::WriteOnly) || f.write(roteiroFila(n)) < 0)
        throw std::runtime_error("fila.txt");
    f.close();
    e.iniciaSimulador(
        {QStringLiteral("--taxa"), QStringLiteral("0"), QStringLiteral("--script"), arquivo});
    QElapsedTimer t;
    t.start();
    e.iniciaAgente();
    if (!aguardaAte([&] { return !e.agenteRodando() || e.gravados() >= n; },
                    kPartidaMs + n * kPorAbastecimentoMs, 250) ||
        !e.agenteRodando())
        falha(QStringLiteral("gravados %1 de %2").arg(e.gravados()).arg(n), e);
    const double s = double(t.elapsed()) / 1000.0;
    const Consumo c = leConsumo(e.pidAgente());
    saida() << "   todos gravados em / all stored in " << num(s)
            << " s desde a partida / from start-up = " << num(n * 60.0 / s)
            << " por minuto / per minute\n"
            << "   CPU do agente por abastecimento, com a partida / agent CPU per fueling, "
               "start-up included: "
            << num(c.execS * 1000.0 / n, 2) << " ms (sum_exec_runtime)\n"
            << "   VmHWM " << num(double(c.vmHwmKb) / 1024.0) << " MiB" << Qt::endl;
}

} // namespace talvero::medicao
