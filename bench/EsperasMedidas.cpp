#include "EsperasMedidas.h"

#include "DescargaMedida.h"
#include "EstacaoMedida.h"
#include "Estatistica.h"
#include "PedidosMedidos.h"
#include "VersaoNaJanela.h"
#include "support/Entradas.h"
#include "support/RotinasGerais.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTextStream>
#include <functional>
#include <memory>
#include <stdexcept>

namespace talvero::medicao {

namespace {

constexpr int kPartidaMs = 60'000;
constexpr int kCartaoMs = 30'000;
constexpr int kPesquisaMs = 150'000; // 51 reads of 2 s with fixed waits, and the link's turns
// Requests arrive at any moment of the agent's 500 ms ticks.
constexpr int kTickMs = 500;
constexpr int kRotulo = 56, kCelula = 13;
const QString kInclui = QStringLiteral("AUTOMACAO INCLUI CARTAO");
const QString kExclui = QStringLiteral("AUTOMACAO EXCLUI CARTAO");
const QString kPesquisa = QStringLiteral("AUTOMACAO PESQUISA CARTAO");
const QString kCartaoAusente = QStringLiteral("FEDCBA9876543210");
const QString kNada = QStringLiteral("|@|");

QTextStream& saida() {
    static QTextStream s(stdout);
    return s;
}

QString num(double v, int casas) {
    return QString::number(v, 'f', casas);
}

// One column of the table: a transport with fixed or adaptive waits.
struct Coluna {
    PerfilEstacao perfil;
    std::vector<double> pedidosMs, gravaS, apagaS, pesquisaS, versaoMs;
    double buscaMs = 0;
    Descarga normal, rapida;
    QStringList falhas;

    QString nome() const {
        return QStringLiteral("%1, %2").arg(
            perfil.biblioteca ? QStringLiteral("biblioteca") : QStringLiteral("serial"),
            perfil.esperaFixa ? QStringLiteral("fixas") : QStringLiteral("adaptativas"));
    }
};

// The line's pace: 60 ms before each answer and 9600 baud, where the simulator can.
QStringList ritmoDaLinha(const QString& binarios, QString& descricao) {
    QProcess p;
    p.start(binarios + QStringLiteral("/simulator/concentrador-sim"), {QStringLiteral("--help")});
    p.waitForFinished();
    const QString ajuda = QString::fromLocal8Bit(p.readAll());
    if (ajuda.contains(QLatin1String("--latencia")) && ajuda.contains(QLatin1String("--baud"))) {
        descricao =
            QStringLiteral("--latencia 60 --baud 9600, resposta de 75 (IdentFid), --taxa 0");
        return {QStringLiteral("--latencia"), QStringLiteral("60"), QStringLiteral("--baud"),
                QStringLiteral("9600")};
    }
    descricao = QStringLiteral("--atraso 60, resposta de 75 (IdentFid), --taxa 0;\n   este "
                               "simulador não tem --latencia/--baud: cada resposta sai inteira / "
                               "no --latencia/--baud here: each answer goes out whole");
    return {QStringLiteral("--atraso"), QStringLiteral("60")};
}

// Registers, simulator and agent up, the agent past its first exchange with the concentrator.
void liga(EstacaoMedida& e, const QStringList& ritmo, bool janela) {
    e.prepara();
    e.iniciaSimulador(QStringList{QStringLiteral("--taxa"), QStringLiteral("0")} + ritmo);
    e.iniciaAgente(janela);
    if (!aguardaAte([&] { return !e.agenteRodando() || e.primeiraTroca(); }, kPartidaMs) ||
        !e.agenteRodando())
        throw std::runtime_error("o agente não trocou nenhum comando / no exchange\n" +
                                 e.diagnostico().toStdString());
}

void pausaAoAcaso() {
    aguarda(int(QRandomGenerator::global()->bounded(kTickMs)));
}

QString descreve(const Atendimento& a) {
    return a.respondido ? QStringLiteral("Retorno=%1 Parametro=%2 em %3 ms")
                              .arg(a.retorno, a.parametro, num(a.ms, 0))
                        : QStringLiteral("sem resposta em %1 ms").arg(num(a.ms, 0));
}

[[noreturn]] void falha(const QString& oQue, const Atendimento& a) {
    throw std::runtime_error((oQue + QStringLiteral(": ") + descreve(a)).toStdString());
}

void medePedidos(Requisitante& r, Coluna& c, int n) {
    for (int i = 0; i < n; ++i) {
        pausaAoAcaso();
        const Atendimento a = r.pede(QStringLiteral("AUTOMACAO ATIVADA"));
        if (!a.respondido || a.retorno != QLatin1String("OK")) falha(QStringLiteral("ATIVADA"), a);
        c.pedidosMs.push_back(a.ms);
    }
}

// Each card written where the identifier puts it, then erased from there.
void medeCartoes(Requisitante& r, Coluna& c, int n) {
    for (int i = 0; i < n; ++i) {
        const QString cartao = QStringLiteral("MEDICAO%1").arg(i, 9, 10, QLatin1Char('0'));
        pausaAoAcaso();
        const Atendimento g = r.pede(kInclui, {cartao}, kCartaoMs);
        const QString posicao = SeparaCampo(g.parametro, 1);
        if (!g.respondido || g.retorno != QLatin1String("OK") || !entradas::PosicaoValida(posicao))
            falha(kInclui, g);
        c.gravaS.push_back(g.ms / 1000.0);
        pausaAoAcaso();
        const Atendimento a = r.pede(kExclui, {cartao, posicao}, kCartaoMs);
        if (!a.respondido || a.retorno != QLatin1String("OK") ||
            !entradas::PosicaoValida(SeparaCampo(a.parametro, 1)))
            falha(kExclui, a);
        c.apagaS.push_back(a.ms / 1000.0);
    }
}

// "Not found" only when every record answered.
void confereNaoAchado(const Atendimento& p, Coluna& c) {
    if (!p.respondido || p.retorno != QLatin1String("OK") || p.parametro != kNada)
        falha(kPesquisa, p);
    c.pesquisaS.push_back(p.ms / 1000.0);
}

void medePesquisas(Requisitante& r, Coluna& c, int n) {
    for (int i = 0; i < n; ++i) {
        pausaAoAcaso();
        confereNaoAchado(r.pede(kPesquisa, {kCartaoAusente}, kPesquisaMs), c);
    }
}

// With fixed waits a search is 51 reads of 1 or 2 s however busy the processor is:
// it runs beside the drains, on a headless station of its own.
class PesquisaAoLado {
public:
    PesquisaAoLado(const QString& binarios, const QStringList& ritmo, Coluna& c, int n)
        : e_(binarios, c.perfil), c_(c), faltam_(n), r_(e_) {
        liga(e_, ritmo, false);
        pedido_ = r_.envia(kPesquisa, {kCartaoAusente});
    }

    // One look; true once every search has its answer or failed.
    bool terminou() {
        if (faltam_ == 0) return true;
        Atendimento a;
        const bool chegou = Requisitante::chegou(pedido_, a);
        if (!chegou && pedido_.desde.elapsed() < kPesquisaMs) return false;
        try {
            confereNaoAchado(chegou ? a : Requisitante::desiste(pedido_), c_);
        } catch (const std::exception& e) {
            c_.falhas << QStringLiteral("pesquisa: ") + QString::fromStdString(e.what());
            faltam_ = 0;
            return true;
        }
        if (--faltam_ > 0) pedido_ = r_.envia(kPesquisa, {kCartaoAusente});
        return faltam_ == 0;
    }

private:
    EstacaoMedida e_;
    Coluna& c_;
    int faltam_;
    Requisitante r_;
    Requisitante::Pedido pedido_;
};

void medeVersoes(const EstacaoMedida& e, Coluna& c, int n) {
    if (e.tela().isEmpty()) throw std::runtime_error("sem Xvfb, a janela não está numa tela");
    VersaoNaJanela janela(e.tela());
    for (int i = 0; i < n; ++i) {
        pausaAoAcaso();
        c.versaoMs.push_back(janela.versaoMs());
    }
    c.buscaMs = janela.buscaMs();
}

void tenta(Coluna& c, const char* linha, const std::function<void()>& mede) {
    try {
        mede();
    } catch (const std::exception& e) {
        c.falhas << QLatin1String(linha) + QStringLiteral(": ") + QString::fromStdString(e.what());
    }
}

// One station per column, one column after the other: nothing else of this program
// runs while a wait is timed.
void medeColuna(const QString& binarios, const QStringList& ritmo, const OpcoesEsperas& o,
                Coluna& c) {
    EstacaoMedida e(binarios, c.perfil);
    liga(e, ritmo, VersaoNaJanela::disponivel());
    Requisitante r(e);
    tenta(c, "pedido", [&] { medePedidos(r, c, o.pedidos); });
    tenta(c, "cartão", [&] { medeCartoes(r, c, o.cartoes); });
    if (!c.perfil.esperaFixa) tenta(c, "pesquisa", [&] { medePesquisas(r, c, o.pesquisas); });
    if (VersaoNaJanela::disponivel() && o.versoes > 0)
        tenta(c, "versão", [&] { medeVersoes(e, c, o.versoes); });
    if (!e.agenteRodando()) c.falhas << QStringLiteral("o agente terminou\n") + e.diagnostico();
}

using Valor = std::function<QString(const Coluna&)>;

struct Linha {
    QString rotulo;
    Valor valor;
    QString alvo;
};

double p95(std::vector<double> v) {
    return percentil(std::move(v), 0.95);
}

// The median (or p95) of one of the column's series, "-" when nothing was measured.
Valor serie(std::vector<double> Coluna::*campo, double (*resume)(std::vector<double>),
            const char* unidade, int casas) {
    return [=](const Coluna& c) {
        const std::vector<double>& v = c.*campo;
        return v.empty() ? QStringLiteral("-") : num(resume(v), casas) + QLatin1String(unidade);
    };
}

enum class Medida { PorAbastecimento, Total, Quinhentos };

Valor descarga(Descarga Coluna::*campo, Medida medida) {
    constexpr int kFilaGrande = 500;
    return [=](const Coluna& c) {
        const Descarga& d = c.*campo;
        if (!d.medida) return QStringLiteral("-");
        switch (medida) {
        case Medida::PorAbastecimento:
            return num(d.porAbastecimentoS, 2) + QStringLiteral(" s");
        case Medida::Total:
            return num(d.totalS, 0) + QStringLiteral(" s");
        case Medida::Quinhentos:
            break;
        }
        return num(d.porAbastecimentoS * kFilaGrande / 60.0, 1) + QStringLiteral(" min");
    };
}

void imprime(const std::vector<Coluna>& colunas, const OpcoesEsperas& o) {
    const QString pedidos = QStringLiteral(" (%1)").arg(o.pedidos);
    const QString cartoes = QStringLiteral(": mediana (%1)").arg(o.cartoes);
    const QString fila = QStringLiteral(" (%1): s por abastecimento").arg(o.descarga);
    const Linha linhas[] = {
        {{},
         [](const Coluna& c) {
             return c.perfil.esperaFixa ? QStringLiteral("fixas") : QStringLiteral("adaptativas");
         },
         QStringLiteral("alvo / target")},
        {QStringLiteral("pedido → resposta / request → answer: mediana") + pedidos,
         serie(&Coluna::pedidosMs, mediana, " ms", 0), QStringLiteral("<= 100 ms")},
        {QStringLiteral("   p95") + pedidos, serie(&Coluna::pedidosMs, p95, " ms", 0), {}},
        {QStringLiteral("grava cartão / card write") + cartoes,
         serie(&Coluna::gravaS, mediana, " s", 2), QStringLiteral("<= 0.4 s")},
        {QStringLiteral("exclui cartão / card erase") + cartoes,
         serie(&Coluna::apagaS, mediana, " s", 2), QStringLiteral("<= 0.4 s")},
        {QStringLiteral("pesquisa de cartão ausente / missing-card search (%1)").arg(o.pesquisas),
         serie(&Coluna::pesquisaS, mediana, " s", 1), QStringLiteral("<= 8 s")},
        {QStringLiteral("versão na janela / version in the window: mediana (%1)").arg(o.versoes),
         serie(&Coluna::versaoMs, mediana, " ms", 0),
         {}},
        {QStringLiteral("descarga / drain") + fila,
         descarga(&Coluna::normal, Medida::PorAbastecimento),
         {}},
        {QStringLiteral("   total"), descarga(&Coluna::normal, Medida::Total), {}},
        {QStringLiteral("   500 (linear)"), descarga(&Coluna::normal, Medida::Quinhentos), {}},
        {QStringLiteral("Descarga Rapida=SIM") + fila,
         descarga(&Coluna::rapida, Medida::PorAbastecimento), QStringLiteral("<= 0.6 s")},
        {QStringLiteral("   total"), descarga(&Coluna::rapida, Medida::Total), {}},
        {QStringLiteral("   500 (linear)"), descarga(&Coluna::rapida, Medida::Quinhentos), {}},
    };
    saida() << "   " << QString().leftJustified(kRotulo)
            << QStringLiteral("controle serial").leftJustified(2 * kCelula)
            << QStringLiteral("biblioteca / library").leftJustified(2 * kCelula) << "\n";
    for (const Linha& l : linhas) {
        QString t = QStringLiteral("   ") + l.rotulo.leftJustified(kRotulo);
        for (const Coluna& c : colunas)
            t += l.valor(c).leftJustified(kCelula);
        t += l.alvo;
        while (t.endsWith(QLatin1Char(' ')))
            t.chop(1);
        saida() << t << "\n";
    }
}

} // namespace

bool medeEsperas(const QString& binarios, const OpcoesEsperas& o) {
    QString descricao;
    const QStringList ritmo = ritmoDaLinha(binarios, descricao);
    const bool janela = VersaoNaJanela::disponivel();
    saida() << "\n7. Esperas / waits: concentrador-sim " << descricao << ";\n"
            << "   fixas = [AUTOMACAO] Espera Fixa=SIM, adaptativas = sem a chave / key absent;"
            << " biblioteca = Usar Dll da Company=SIM\n"
            << "   (a biblioteca do agente pelo mesmo pseudo-terminal / the agent's library over "
               "the same pseudo-terminal);\n"
            << "   pedidos escritos como o talvero-pedido os escreve, do pedido na pasta ao "
               "arquivo de resposta /\n"
            << "   requests written as talvero-pedido writes them, from the request in the "
               "folder to the answer file;\n"
            << "   um momento ao acaso do tique de 500 ms antes de cada um / a random moment of "
               "the 500 ms tick before each;\n"
            << "   agente "
            << (janela ? "com a janela em Xvfb / with its window on Xvfb" : "sem janela / headless")
            << "; descarga sem e com / drain without and with Descarga Rapida=SIM\n"
            << Qt::flush;
    QElapsedTimer decorrido;
    decorrido.start();
    std::vector<Coluna> colunas;
    for (const bool biblioteca : {false, true})
        for (const bool fixa : {true, false}) {
            colunas.emplace_back();
            colunas.back().perfil = {biblioteca, true, fixa, false};
        }
    for (Coluna& c : colunas) {
        try {
            medeColuna(binarios, ritmo, o, c);
        } catch (const std::exception& e) {
            c.falhas << QString::fromStdString(e.what());
        }
    }
    std::vector<PerfilEstacao> perfis;
    for (const bool rapida : {false, true})
        for (Coluna& c : colunas) {
            perfis.push_back(c.perfil);
            perfis.back().descargaRapida = rapida;
        }
    std::vector<std::unique_ptr<PesquisaAoLado>> pesquisas;
    for (Coluna& c : colunas) {
        if (!c.perfil.esperaFixa || o.pesquisas == 0) continue;
        try {
            pesquisas.push_back(std::make_unique<PesquisaAoLado>(binarios, ritmo, c, o.pesquisas));
        } catch (const std::exception& e) {
            c.falhas << QStringLiteral("pesquisa: ") + QString::fromStdString(e.what());
        }
    }
    const std::vector<Descarga> descargas = medeDescargas(binarios, perfis, o.descarga, ritmo, [&] {
        bool todas = true;
        for (const auto& p : pesquisas)
            todas = p->terminou() && todas;
        return todas;
    });
    pesquisas.clear();
    for (std::size_t i = 0; i < colunas.size(); ++i) {
        colunas[i].normal = descargas[i];
        colunas[i].rapida = descargas[i + colunas.size()];
        for (const Descarga* d : {&colunas[i].normal, &colunas[i].rapida})
            if (!d->falha.isEmpty()) colunas[i].falhas << QStringLiteral("descarga: ") + d->falha;
    }
    imprime(colunas, o);
    double busca = 0;
    for (const Coluna& c : colunas)
        busca = std::max(busca, c.buscaMs);
    if (janela)
        saida() << "   versão: o menu \"Vesão do Equipamento\" clicado com xdotool na janela do "
                   "agente, do início do clique à caixa\n"
                << "   \"Versão do Concentrador!\" achada na tela (uma busca a cada ~"
                << num(busca, 0)
                << " ms) / the menu clicked with xdotool on the agent's window,\n"
                   "   from starting the click to the box found on the screen (a look every ~"
                << num(busca, 0) << " ms)\n";
    else
        saida() << "   versão: não medida, sem xdotool ou Xvfb / version: not measured, no xdotool "
                   "or Xvfb\n";
    saida()
        << "   descargas: as oito ao mesmo tempo, uma estação cada; o ritmo é linear, 500 = 500 "
           "× s por abastecimento /\n"
        << "   drains: the eight at once, a station each; the pace is linear, 500 = 500 × s "
           "per fueling\n"
        << "   pesquisas com esperas fixas: durante as descargas, numa estação sem janela / "
           "fixed-wait searches: during the drains,\n   on a headless station of their own\n"
        << "   seção / section: " << num(double(decorrido.elapsed()) / 1000.0, 0) << " s\n";
    bool ok = true;
    for (const Coluna& c : colunas)
        for (const QString& f : c.falhas) {
            saida() << "   FALHOU / FAILED (" << c.nome() << "): " << f << "\n";
            ok = false;
        }
    saida().flush();
    return ok;
}

} // namespace talvero::medicao
