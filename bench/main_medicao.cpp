// talvero-medicao: what the agent costs on a station, measured on the built
// programs (agent, simulator on a pseudo-terminal) and on the real storage
// routine. A benchmark, not a test: it prints figures and judges nothing.

#include "AgenteMedido.h"
#include "BancoCheio.h"
#include "EsperasMedidas.h"
#include "EstacaoMedida.h"
#include "GravacaoMedida.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <exception>

using namespace talvero;
using namespace talvero::medicao;

namespace {

constexpr int kPrimeiroMs = 60'000;
constexpr int kFolgaPorAbastecimentoMs = 5'000; // twice the cycle's pace
constexpr int kMaximoEsperando = 48;

struct Opcoes {
    bool rapido = false;
    QString binarios;
    int esperando = 40;
    int ociosoS = 300;
    int aquecimentoS = 5;
    int gravacoes = 2000;
    bool cincoAnos = false;
    bool soBanco = false;
    int dias = 1826;
    int fila = 500;
    bool soEsperas = false;
    OpcoesEsperas esperas;
};

QTextStream& saida() {
    static QTextStream s(stdout);
    return s;
}

Opcoes leOpcoes(const QCoreApplication& app) {
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Mede o agente AutoTalvero / measures the AutoTalvero agent: CPU por abastecimento "
        "coletado, memória,\n"
        "CPU ociosa por minuto, tempo de gravação de um abastecimento (SQLite e PostgreSQL)\n"
        "e as esperas do operador com esperas fixas e adaptativas, e a descarga de uma fila."));
    p.addHelpOption();
    const QCommandLineOption rapido(QStringLiteral("rapido"),
                                    QStringLiteral("medição curta / short run"));
    const QCommandLineOption bin(
        QStringLiteral("bin"),
        QStringLiteral("pasta src/ da compilação (padrão: TALVERO_BIN ou ../src)"),
        QStringLiteral("PASTA"));
    const QCommandLineOption esperando(
        QStringLiteral("abastecimentos"),
        QStringLiteral("abastecimentos à espera na coleta, até 48 (padrão 40)"),
        QStringLiteral("N"));
    const QCommandLineOption ocioso(QStringLiteral("ocioso"),
                                    QStringLiteral("segundos sem tráfego (padrão 20)"),
                                    QStringLiteral("S"));
    const QCommandLineOption gravacoes(QStringLiteral("gravacoes"),
                                       QStringLiteral("gravações por banco (padrão 2000)"),
                                       QStringLiteral("N"));
    const QCommandLineOption cincoAnos(
        QStringLiteral("cinco-anos"),
        QStringLiteral("mede também o banco com cinco anos de abastecimentos (1,8 milhão)"));
    const QCommandLineOption dias(QStringLiteral("dias"),
                                  QStringLiteral("dias no banco cheio (padrão 1826)"),
                                  QStringLiteral("N"));
    const QCommandLineOption fila(QStringLiteral("fila"),
                                  QStringLiteral("abastecimentos à espera na partida (padrão 500)"),
                                  QStringLiteral("N"));
    const QCommandLineOption soBanco(
        QStringLiteral("so-banco"),
        QStringLiteral("só o banco cheio, sem o agente (com --cinco-anos)"));
    const QCommandLineOption esperas(
        QStringLiteral("esperas"),
        QStringLiteral("só as esperas do operador, fixas e adaptativas, e a descarga (seção 7)"));
    const QCommandLineOption pedidos(QStringLiteral("pedidos"),
                                     QStringLiteral("pedidos AUTOMACAO ATIVADA (padrão 50)"),
                                     QStringLiteral("N"));
    const QCommandLineOption cartoes(QStringLiteral("cartoes"),
                                     QStringLiteral("cartões gravados e excluídos (padrão 5)"),
                                     QStringLiteral("N"));
    const QCommandLineOption pesquisas(
        QStringLiteral("pesquisas"),
        QStringLiteral("pesquisas de um cartão ausente, 0 a nenhuma (padrão 1)"),
        QStringLiteral("N"));
    const QCommandLineOption versoes(QStringLiteral("versoes"),
                                     QStringLiteral("cliques no menu da versão (padrão 5)"),
                                     QStringLiteral("N"));
    const QCommandLineOption descarga(
        QStringLiteral("descarga"),
        QStringLiteral("abastecimentos à espera em cada descarga (padrão 100)"),
        QStringLiteral("N"));
    p.addOptions({rapido, bin, esperando, ocioso, gravacoes, cincoAnos, dias, fila, soBanco,
                  esperas, pedidos, cartoes, pesquisas, versoes, descarga});
    p.process(app);
    Opcoes o;
    if (p.isSet(rapido))
        o = {true, {}, 8, 5, 3, 300, false, false, 30, 20, false, {20, 3, 1, 3, 20}};
    o.soEsperas = p.isSet(esperas);
    const auto conta = [&](const QCommandLineOption& opcao, int& valor, int minimo) {
        if (p.isSet(opcao)) valor = std::max(minimo, p.value(opcao).toInt());
    };
    conta(pedidos, o.esperas.pedidos, 1);
    conta(cartoes, o.esperas.cartoes, 0);
    conta(pesquisas, o.esperas.pesquisas, 0);
    conta(versoes, o.esperas.versoes, 0);
    conta(descarga, o.esperas.descarga, 2);
    o.cincoAnos = p.isSet(cincoAnos) || p.isSet(soBanco);
    o.soBanco = p.isSet(soBanco);
    if (p.isSet(dias)) o.dias = std::max(1, p.value(dias).toInt());
    if (p.isSet(fila)) o.fila = std::max(1, p.value(fila).toInt());
    o.binarios = p.isSet(bin) ? p.value(bin) : pastaProgramas(QStringLiteral("/../src"));
    if (p.isSet(esperando))
        o.esperando = std::clamp(p.value(esperando).toInt(), 2, kMaximoEsperando);
    if (p.isSet(ocioso)) o.ociosoS = std::max(2, p.value(ocioso).toInt());
    if (p.isSet(gravacoes)) o.gravacoes = std::max(10, p.value(gravacoes).toInt());
    return o;
}

QString num(double v, int casas = 1) {
    return QString::number(v, 'f', casas);
}
// Milliseconds of CPU between two readings, times `fator`: utime+stime, and the
// same to the nanosecond when the kernel gives it.
QString cpu(const Consumo& antes, const Consumo& depois, double fator) {
    QString t =
        num((depois.cpuS - antes.cpuS) * 1000.0 * fator, 1) + QStringLiteral(" ms (utime+stime)");
    if (depois.execS >= 0 && antes.execS >= 0)
        t += QStringLiteral(", ") + num((depois.execS - antes.execS) * 1000.0 * fator, 1) +
             QStringLiteral(" ms (sum_exec_runtime)");
    return t;
}

QString mib(qint64 kb) {
    return num(double(kb) / 1024.0) + QStringLiteral(" MiB");
}

// Fuelings waiting from the start, none arriving: the agent collects them at its
// own pace. The simulator dates them all in the same minute, and a nozzle holds at
// most 12 fuelings in a minute (hh:mm:00 to hh:mm:55), hence at most 48.
void coleta(const Opcoes& o, bool janela) {
    saida() << "\n1" << (janela ? "b" : "")
            << ". Coleta / collection: controle serial num pseudo-terminal, resposta de 52, "
            << o.esperando << " abastecimentos à espera, --taxa 0, "
            << (janela ? "com a janela / with the window" : "sem janela / headless") << "\n";
    EstacaoMedida e(o.binarios);
    e.prepara();
    e.iniciaSimulador({QStringLiteral("--taxa"), QStringLiteral("0"), QStringLiteral("--iniciais"),
                       QString::number(o.esperando)});
    saida() << "   plataforma / platform: " << e.iniciaAgente(janela) << "\n";
    if (!aguardaAte([&] { return !e.agenteRodando() || e.gravados() >= 1; }, kPrimeiroMs) ||
        !e.agenteRodando())
        throw std::runtime_error("o agente não gravou nenhum abastecimento / no fueling stored\n" +
                                 e.diagnostico().toStdString());
    const Consumo inicio = leConsumo(e.pidAgente());
    const int n0 = e.gravados();
    QElapsedTimer decorrido;
    decorrido.start();
    const bool todos = aguardaAte([&] { return !e.agenteRodando() || e.gravados() >= o.esperando; },
                                  kPrimeiroMs + o.esperando * kFolgaPorAbastecimentoMs);
    const int n1 = e.gravados();
    if (!todos || !e.agenteRodando() || n1 <= n0)
        throw std::runtime_error(
            QStringLiteral("gravados %1 de %2\n").arg(n1).arg(o.esperando).toStdString() +
            e.diagnostico().toStdString());
    const Consumo fim = leConsumo(e.pidAgente());
    const double segundos = double(decorrido.elapsed()) / 1000.0;
    e.paraAgente();
    e.paraSimulador();

    saida() << "   abastecimentos gravados / fuelings stored:  " << n1 << " (" << (n1 - n0)
            << " em / in " << num(segundos)
            << " s após o primeiro / after the first: " << num((n1 - n0) * 60.0 / segundos)
            << "/min)\n";
    saida() << "   CPU do agente por abastecimento / agent CPU per fueling:\n";
    saida() << "      em regime / steady state:                "
            << cpu(inicio, fim, 1.0 / (n1 - n0)) << "\n";
    saida() << "      com a partida / including start-up:      "
            << cpu(Consumo{0, 0, 0, 0}, fim, 1.0 / n1) << "\n";
    saida() << "   memória do agente após a coleta / agent memory after collecting: VmRSS "
            << mib(fim.vmRssKb) << ", VmHWM " << mib(fim.vmHwmKb) << "\n";
}

void medeColeta(const Opcoes& o) {
    coleta(o, false);
}
void medeColetaJanela(const Opcoes& o) {
    coleta(o, true);
}
void medePartidaAgente(const Opcoes& o) {
    medePartida(o.binarios);
}
void medeFilaAgente(const Opcoes& o) {
    medeFila(o.binarios, o.fila);
}

void medeOcioso(const Opcoes& o) {
    saida() << "\n2. Ocioso / idle: nada à espera, --taxa 0; " << o.ociosoS << " s medidos após "
            << o.aquecimentoS << " s de partida\n";
    EstacaoMedida e(o.binarios);
    e.prepara();
    e.iniciaSimulador({QStringLiteral("--taxa"), QStringLiteral("0")});
    e.iniciaAgente();
    aguarda(o.aquecimentoS * 1000);
    if (!e.agenteRodando())
        throw std::runtime_error("o agente terminou / the agent ended\n" +
                                 e.diagnostico().toStdString());
    const Consumo inicio = leConsumo(e.pidAgente());
    QElapsedTimer decorrido;
    decorrido.start();
    aguarda(o.ociosoS * 1000);
    const Consumo fim = leConsumo(e.pidAgente());
    const double ms = double(decorrido.elapsed());
    e.paraAgente();
    e.paraSimulador();
    const double escala = 60'000.0 / ms;
    const double porMinuto =
        (fim.execS >= 0 ? fim.execS - inicio.execS : fim.cpuS - inicio.cpuS) * 1000.0 * escala;
    saida() << "   CPU do agente por minuto / agent CPU per minute: " << cpu(inicio, fim, escala)
            << "\n"
            << "      = " << num(porMinuto / 600.0, 2) << " % de um núcleo / of one core; VmRSS "
            << mib(fim.vmRssKb) << "\n";
}

void linhaGravacao(const QString& banco, const TemposGravacao& t) {
    saida() << "   " << banco
            << (t.duravel.isEmpty() ? QString() : QStringLiteral(", ") + t.duravel) << "\n"
            << "      mediana/median " << num(t.medianaMs, 2) << " ms, p99 " << num(t.p99Ms, 2)
            << " ms (média/mean " << num(t.mediaMs, 2) << " ms, máx/max " << num(t.maximoMs, 2)
            << " ms)\n";
}

bool medeGravacoes(const Opcoes& o) {
    saida() << "\n3. Gravação de um abastecimento / storing one fueling: "
               "AutoAtualTabeAbastecimento (abastecimento +\n"
            << "   encerrante atual numa transação + linhas de log), " << o.gravacoes
            << " gravações por banco / stores each\n";
    bool ok = true;
    QTemporaryDir pasta;
    try {
        linhaGravacao(
            QStringLiteral("SQLite: arquivo em disco / file on disk, WAL, synchronous FULL"),
            medeGravacao(OpcoesBanco::sqlite(pasta.filePath(QStringLiteral("Talvero.db"))),
                         o.gravacoes));
    } catch (const std::exception& e) {
        saida() << "   SQLite: FALHOU / FAILED: " << e.what() << "\n";
        ok = false;
    }
    const auto pg = postgresDoAmbiente();
    if (!pg) {
        saida() << "   PostgreSQL: não medido / not measured (TALVERO_TESTE_PG_* ausente; "
                << "eval \"$(scripts/postgres-teste start DIR)\")\n";
        return ok;
    }
    try {
        linhaGravacao(QStringLiteral("PostgreSQL: %1:%2").arg(pg->servidor).arg(pg->porta),
                      medeGravacao(*pg, o.gravacoes));
    } catch (const std::exception& e) {
        saida() << "   PostgreSQL: FALHOU / FAILED: " << e.what() << "\n";
        ok = false;
    }
    return ok;
}

bool medeCincoAnos(const Opcoes& o) {
    const OpcoesCheio cheio{o.binarios, o.dias, o.gravacoes, o.rapido ? 200 : 1000};
    saida() << "\n6. Banco cheio / filled database: " << o.dias
            << " dias / days de abastecimentos / of fuelings" << Qt::endl;
    bool ok = medeBancoCheio(QStringLiteral("SQLite (WAL, synchronous FULL)"),
                             OpcoesBanco::sqlite(QString()), cheio);
    if (auto pg = postgresDoAmbiente()) {
        pg->esquema = QStringLiteral("cincoanos_%1").arg(QCoreApplication::applicationPid());
        ok = medeBancoCheio(QStringLiteral("PostgreSQL"), *pg, cheio) && ok;
    } else {
        saida() << "   PostgreSQL: não medido / not measured (TALVERO_TESTE_PG_* ausente)\n";
    }
    return ok;
}

bool secao(void (*mede)(const Opcoes&), const Opcoes& o) {
    try {
        mede(o);
        return true;
    } catch (const std::exception& e) {
        saida() << "   FALHOU / FAILED: " << e.what() << "\n";
        return false;
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("talvero-medicao"));
    const Opcoes o = leOpcoes(app);
    saida() << "talvero-medicao: AutoTalvero "
            << (o.rapido ? "(rápido / quick)" : "(completo / full)") << "\n"
            << "programas / programs: " << o.binarios << Qt::endl;
    if (o.soEsperas) return medeEsperas(o.binarios, o.esperas) ? 0 : 1;
    bool ok = true;
    for (auto mede : {medeColeta, medeOcioso}) {
        ok = (o.soBanco || secao(mede, o)) && ok;
        saida().flush();
    }
    ok = (o.soBanco || medeGravacoes(o)) && ok;
    saida().flush();
    for (auto mede : {medeColetaJanela, medePartidaAgente, medeFilaAgente}) {
        ok = (o.soBanco || secao(mede, o)) && ok;
        saida().flush();
    }
    if (o.cincoAnos) ok = medeCincoAnos(o) && ok;
    ok = (o.soBanco || medeEsperas(o.binarios, o.esperas)) && ok;
    return ok ? 0 : 1;
}
