#include "DescargaMedida.h"

#include "Respostas.h"

#include <QElapsedTimer>
#include <QFile>
#include <memory>
#include <stdexcept>

namespace talvero::medicao {

namespace {

constexpr int kPartidaMs = 60'000;
constexpr int kPorAbastecimentoMs = 6'000; // more than twice the slowest pace
constexpr int kPassoMs = 100;

struct Corrida {
    std::unique_ptr<EstacaoMedida> estacao;
    qint64 inicioMs = 0;
    qint64 primeiroMs = -1;
    bool terminada = false;
};

void inicia(Corrida& c, const QString& binarios, const PerfilEstacao& perfil, int n,
            const QStringList& ritmo) {
    c.estacao = std::make_unique<EstacaoMedida>(binarios, perfil);
    EstacaoMedida& e = *c.estacao;
    e.prepara();
    const QString arquivo = e.raiz() + QStringLiteral("/fila.txt");
    QFile f(arquivo);
    const QByteArray roteiro =
        roteiroFila(n, perfil.identFid ? sim::Leiaute::IdentFid : sim::Leiaute::Padrao);
    if (!f.open(QIODevice::WriteOnly) || f.write(roteiro) != roteiro.size())
        throw std::runtime_error(arquivo.toStdString() + ": " + f.errorString().toStdString());
    f.close();
    e.iniciaSimulador(QStringList{QStringLiteral("--taxa"), QStringLiteral("0"),
                                  QStringLiteral("--script"), arquivo} +
                      ritmo);
}

// One look at a running drain; true when it has ended, done or failed.
bool acompanha(Corrida& c, Descarga& d, int n, qint64 agoraMs) {
    EstacaoMedida& e = *c.estacao;
    if (!e.agenteRodando()) {
        d.falha = QStringLiteral("o agente terminou / the agent ended\n") + e.diagnostico();
        return true;
    }
    const int gravados = e.gravados();
    if (gravados > 0 && c.primeiroMs < 0) c.primeiroMs = agoraMs;
    if (gravados < n) return false;
    d.medida = true;
    d.totalS = double(agoraMs - c.inicioMs) / 1000.0;
    d.porAbastecimentoS = double(agoraMs - c.primeiroMs) / 1000.0 / std::max(1, n - 1);
    return true;
}

} // namespace

std::vector<Descarga> medeDescargas(const QString& binarios,
                                    const std::vector<PerfilEstacao>& perfis, int n,
                                    const QStringList& ritmo, const std::function<bool()>& aoLado) {
    std::vector<Corrida> corridas(perfis.size());
    std::vector<Descarga> resultado(perfis.size());
    for (std::size_t i = 0; i < perfis.size(); ++i) {
        try {
            inicia(corridas[i], binarios, perfis[i], n, ritmo);
        } catch (const std::exception& e) {
            resultado[i].falha = QString::fromStdString(e.what());
            corridas[i].terminada = true;
        }
    }
    QElapsedTimer t;
    t.start();
    for (Corrida& c : corridas) {
        if (c.terminada) continue;
        c.inicioMs = t.elapsed();
        c.estacao->iniciaAgente();
    }
    const qint64 limiteMs = kPartidaMs + qint64(n) * kPorAbastecimentoMs;
    for (;;) {
        bool todas = true;
        for (std::size_t i = 0; i < corridas.size(); ++i) {
            Corrida& c = corridas[i];
            if (c.terminada) continue;
            c.terminada = acompanha(c, resultado[i], n, t.elapsed());
            if (!c.terminada && t.elapsed() > limiteMs) {
                resultado[i].falha = QStringLiteral("gravados %1 de %2 / stored\n")
                                         .arg(c.estacao->gravados())
                                         .arg(n) +
                                     c.estacao->diagnostico();
                c.terminada = true;
            }
            todas = todas && c.terminada;
        }
        const bool ladoPronto = !aoLado || aoLado(); // looked at on every step, not only at the end
        if (todas && ladoPronto) break;
        aguarda(kPassoMs);
    }
    return resultado;
}

} // namespace talvero::medicao
