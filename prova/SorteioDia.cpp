#include "DiaSoak.h"

#include <algorithm>
#include <random>

namespace talvero::soak {

namespace {

using Sorteio = std::mt19937_64;

std::int64_t entre(Sorteio& s, std::int64_t de, std::int64_t ate) {
    return std::uniform_int_distribution<std::int64_t>(de, ate)(s);
}
double fracao(Sorteio& s, double de, double ate) {
    return std::uniform_real_distribution<double>(de, ate)(s);
}

const teste::Cenario kCenarios[] = {
    {"Serial34", false, sim::Leiaute::Curto, 3, 3, false},
    {"Serial52", false, sim::Leiaute::Padrao, 3, 3, false},
    {"Serial75", false, sim::Leiaute::IdentFid, 3, 3, false},
    {"Biblioteca75", true, sim::Leiaute::IdentFid, 3, 3, false},
};

// The station's nozzles: some of the concentrator's four, and at times the
// fifth nozzle at code 0C.
std::vector<sim::BicoSimulado> bicosSorteados(Sorteio& s) {
    std::vector<sim::BicoSimulado> bicos;
    std::vector<sim::BicoSimulado> todos = sim::bicosPadrao();
    todos.push_back({QStringLiteral("0C"), 3, Moeda::deTexto(u"5.99"), Moeda()});
    for (auto& b : todos)
        if (entre(s, 0, 3) > 0) bicos.push_back(b);
    if (bicos.empty()) bicos.push_back(todos[std::size_t(entre(s, 0, 4))]);
    for (auto& b : bicos)
        b.encerrante = Moeda::deInteiro(entre(s, 990'000, 999'990));
    // One counter turns at the million early in the day.
    bicos[std::size_t(entre(s, 0, std::int64_t(bicos.size()) - 1))].encerrante =
        Moeda::deDezMilesimos(entre(s, 99'990'000, 99'999'900) * 100);
    return bicos;
}

void sorteiaCenario(Sorteio& s, PlanoDia& p) {
    p.cenario = kCenarios[entre(s, 0, 3)];
    p.cenario.casasLitragem = int(entre(s, 2, 3));
    p.cenario.casasValor = int(entre(s, 2, 3));
    p.cenario.precoZero = entre(s, 0, 1) == 1;
    p.concentrador = teste::ConcentradorDoCenario(p.cenario, fracao(s, 0.3, 2.0), s());
    p.concentrador.bicos = bicosSorteados(s);
    if (p.cenario.leiaute == sim::Leiaute::IdentFid) {
        p.cartoesGravados = int(entre(s, 0, 10));
        p.cartoesCadastrados = int(entre(s, 0, p.cartoesGravados));
    }
    p.inicio =
        QDateTime(QDate(2026, 1, 1).addDays(entre(s, 0, 729)), QTime(int(entre(s, 0, 23)), 0));
    // A day whose fuelings carry a totalizer takes midnight in: the report of the
    // later date chains its first fueling of each nozzle to one of the day before.
    if (p.cenario.leiaute != sim::Leiaute::Curto)
        p.inicio = QDateTime(p.inicio.date(), QTime(0, 0))
                       .addMSecs(-entre(s, teste::kMinuto, p.duracaoMs * 3 / 4));
}

FalhaSorteada falha(Sorteio& s, TipoFalha tipo, const PlanoDia& p, std::int64_t duracaoMaxMs) {
    return {tipo, entre(s, 0, p.duracaoMs - 1), entre(s, 1'000, duracaoMaxMs), 0, 0};
}

// Clock moves small enough that a fueling's day stays readable: the computer's
// clock jumps up to two hours on or five minutes back, the concentrator's
// drifts up to five minutes either way.
void sorteiaRelogios(Sorteio& s, PlanoDia& p) {
    for (auto n = entre(s, 0, 2); n > 0; --n) {
        FalhaSorteada f = falha(s, TipoFalha::RelogioDoComputador, p, 1'000);
        f.valor = entre(s, 0, 1) ? entre(s, 1'000, 2 * teste::kHora)
                                 : -entre(s, 1'000, 5 * teste::kMinuto);
        p.falhas.push_back(f);
    }
    for (auto n = entre(s, 0, 2); n > 0; --n) {
        FalhaSorteada f = falha(s, TipoFalha::RelogioDoConcentrador, p, 1'000);
        f.valor = entre(s, -5 * teste::kMinuto, 5 * teste::kMinuto);
        p.falhas.push_back(f);
    }
}

void sorteiaLinha(Sorteio& s, PlanoDia& p) {
    std::vector<TipoFalha> tipos{TipoFalha::Ruido,
                                 TipoFalha::Silencio,
                                 TipoFalha::Atraso,
                                 TipoFalha::Partida,
                                 TipoFalha::Truncada,
                                 TipoFalha::Adulterada,
                                 TipoFalha::ConfirmacaoPerdida};
    if (p.cenario.biblioteca) tipos.push_back(TipoFalha::Desconexao);
    for (auto n = entre(s, 2, 8); n > 0; --n) {
        FalhaSorteada f = falha(s, tipos[std::size_t(entre(s, 0, std::int64_t(tipos.size()) - 1))],
                                p, teste::kHora);
        if (entre(s, 0, 1))
            f.valor = entre(s, 1, 3);
        else
            f.probabilidade = fracao(s, 0.02, 0.15);
        p.falhas.push_back(f);
    }
}

// The database faults do not overlap: a refusing database needs its server up.
void sorteiaBanco(Sorteio& s, PlanoDia& p, bool postgres) {
    const std::int64_t n = entre(s, 0, 2);
    for (std::int64_t i = 0; i < n; ++i) {
        const TipoFalha tipo =
            postgres && entre(s, 0, 1) ? TipoFalha::ServidorParado : TipoFalha::BancoRecusaGravar;
        FalhaSorteada f = falha(s, tipo, p, 30 * teste::kMinuto);
        f.inicioMs = p.duracaoMs * i / n + entre(s, 0, p.duracaoMs / n / 2);
        f.duracaoMs = std::min(f.duracaoMs, p.duracaoMs / n / 2);
        p.falhas.push_back(f);
    }
    if (entre(s, 0, 2) == 0)
        p.falhas.push_back(falha(s, TipoFalha::PastaDoLogRemovida, p, 30 * teste::kMinuto));
}

// Fuelings pumped with the automation off, only where the answers carry a
// totalizer: elsewhere nothing could tell them.
void sorteiaManuais(Sorteio& s, PlanoDia& p) {
    if (p.cenario.leiaute == sim::Leiaute::Curto) return;
    for (auto n = entre(s, 1, 3); n > 0; --n) {
        FalhaSorteada f = falha(s, TipoFalha::AbastecimentoManual, p, teste::kHora);
        if (entre(s, 0, 1))
            f.valor = entre(s, 1, 3);
        else
            f.probabilidade = fracao(s, 0.02, 0.15);
        p.falhas.push_back(f);
    }
}

void sorteiaMortes(Sorteio& s, PlanoDia& p) {
    for (auto n = entre(s, 1, 8); n > 0; --n) {
        FalhaSorteada f = falha(s, TipoFalha(entre(s, 0, 3)), p, 5 * teste::kMinuto);
        f.valor = entre(s, 0, 1); // 1: the kill waits for an acknowledgement or a fueling
        p.falhas.push_back(f);
    }
}

// The concentrator's pace and the agent's ways of waiting. Drawn last, so the
// rest of a seed's days stay as they were.
void sorteiaRitmo(Sorteio& s, PlanoDia& p) {
    p.concentrador.atrasoRespostaMs = int(entre(s, 0, 120));
    p.concentrador.variacaoAtrasoMs = int(entre(s, 0, p.concentrador.atrasoRespostaMs / 2));
    p.concentrador.baud = entre(s, 0, 1) ? 9600 : 0;
    p.pedacos = int(entre(s, 2, 5));
    p.intervaloPedacosMs = int(entre(s, 50, 900));
    if (entre(s, 0, 1)) {
        FalhaSorteada f = falha(s, TipoFalha::Partida, p, teste::kHora);
        if (entre(s, 0, 1))
            f.valor = entre(s, 1, 3);
        else
            f.probabilidade = fracao(s, 0.02, 0.15);
        p.falhas.push_back(f);
    }
    p.esperaFixa = entre(s, 0, 1) == 1;
    p.descargaRapida = entre(s, 0, 1) == 1;
}

} // namespace

PlanoDia sorteiaDia(std::uint64_t semente, int dia, bool postgres, std::int64_t duracaoMs) {
    std::seed_seq semear{std::uint32_t(semente), std::uint32_t(semente >> 32), std::uint32_t(dia)};
    Sorteio s(semear);
    PlanoDia p;
    p.semente = semente;
    p.dia = dia;
    p.duracaoMs = duracaoMs;
    sorteiaCenario(s, p);
    sorteiaMortes(s, p);
    sorteiaBanco(s, p, postgres);
    sorteiaLinha(s, p);
    sorteiaManuais(s, p);
    sorteiaRelogios(s, p);
    sorteiaRitmo(s, p);
    std::stable_sort(
        p.falhas.begin(), p.falhas.end(),
        [](const FalhaSorteada& a, const FalhaSorteada& b) { return a.inicioMs < b.inicioMs; });
    return p;
}

QString nomeFalha(TipoFalha t) {
    static const char* const nomes[kTiposFalha] = {"morte antes de enviar",
                                                   "morte depois de enviar",
                                                   "morte depois de receber",
                                                   "morte entre ticks",
                                                   "banco recusa gravar",
                                                   "servidor parado",
                                                   "pasta do log removida",
                                                   "ruído",
                                                   "silêncio",
                                                   "atraso",
                                                   "resposta partida",
                                                   "resposta truncada",
                                                   "resposta adulterada",
                                                   "confirmação perdida",
                                                   "desconexão",
                                                   "abastecimento manual",
                                                   "relógio do concentrador",
                                                   "relógio do computador"};
    return QString::fromUtf8(nomes[std::size_t(t)]);
}

QString descreve(const PlanoDia& p) {
    const auto& c = p.concentrador;
    const auto sim = [](bool v) { return v ? QStringLiteral("SIM") : QStringLiteral("NAO"); };
    return QStringLiteral("%1 %2 casas %3/%4%5, %6 bicos, %7/min, início %8")
               .arg(QString::fromLatin1(p.cenario.nome))
               .arg(p.cenario.biblioteca ? QStringLiteral("(biblioteca)")
                                         : QStringLiteral("(serial)"))
               .arg(c.casasLitragem)
               .arg(c.casasValor)
               .arg(c.precoZero ? QStringLiteral(", preço do cadastro") : QString())
               .arg(c.bicos.size())
               .arg(c.taxaPorMinuto, 0, 'f', 2)
               .arg(p.inicio.toString(QStringLiteral("dd/MM/yyyy HH:mm"))) +
           QStringLiteral(", latência %1±%2 ms, %3, pedaços %4 a %5 ms, Espera Fixa=%6, "
                          "Descarga Rapida=%7")
               .arg(c.atrasoRespostaMs)
               .arg(c.variacaoAtrasoMs)
               .arg(c.baud > 0 ? QStringLiteral("%1 baud aos poucos").arg(c.baud)
                               : QStringLiteral("respostas inteiras"))
               .arg(p.pedacos)
               .arg(p.intervaloPedacosMs)
               .arg(sim(p.esperaFixa), sim(p.descargaRapida));
}

QStringList descreveFalhas(const PlanoDia& p) {
    QStringList linhas;
    for (const FalhaSorteada& f : p.falhas)
        linhas << QStringLiteral("  %1  %2: duração %3 s, valor %4, probabilidade %5")
                      .arg(p.inicio.addMSecs(f.inicioMs).toString(QStringLiteral("dd/MM HH:mm:ss")),
                           nomeFalha(f.tipo))
                      .arg(f.duracaoMs / 1000)
                      .arg(f.valor)
                      .arg(f.probabilidade, 0, 'f', 3);
    return linhas;
}

} // namespace talvero::soak
