// talvero-soak: station days drawn from a seed, each with its traffic and its
// faults, on the virtual clock; after each day the database must equal the
// concentrator's ledger, and every gap of the totalizers' report must be a fueling
// the ledger has as manual or quarantined. Prints one line per failing day and a summary.

#include "DiaSoak.h"
#include "estacao/ServidorPgDeTeste.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace talvero;
using namespace talvero::soak;

namespace {

struct Opcoes {
    int dias = 10;
    std::uint64_t semente = 1;
    int dia = -1; // only this day
    bool postgres = false;
    bool detalhes = false; // the faults of each day and every discrepancy
    int processos = 1;
    double horas = 4;
};

struct Soma {
    int dias = 0;
    int diasComFalha = 0;
    std::int64_t abastecimentos = 0;
    std::int64_t mortes = 0;
    std::int64_t identicas = 0;
    // manual fuelings, gaps, chains across midnight, turns, neighbours out of clock order
    std::array<std::int64_t, 5> encerrantes{};
    std::array<std::int64_t, kTiposFalha> falhas{};

    Soma& operator+=(const Soma& o) {
        dias += o.dias;
        diasComFalha += o.diasComFalha;
        abastecimentos += o.abastecimentos;
        mortes += o.mortes;
        identicas += o.identicas;
        for (std::size_t i = 0; i < encerrantes.size(); ++i)
            encerrantes[i] += o.encerrantes[i];
        for (std::size_t i = 0; i < kTiposFalha; ++i)
            falhas[i] += o.falhas[i];
        return *this;
    }
};

[[noreturn]] void uso(const char* motivo) {
    std::fprintf(stderr,
                 "%s\nUso: talvero-soak [--dias N] [--semente S] [--dia K] [--horas H] "
                 "[--postgres] [--processos P] [--detalhes]\n",
                 motivo);
    std::exit(2);
}

Opcoes leOpcoes(int argc, char** argv) {
    Opcoes o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--postgres" || a == "--detalhes") {
            (a == "--postgres" ? o.postgres : o.detalhes) = true;
            continue;
        }
        if (i + 1 >= argc) uso(("Falta o valor de " + a + ".").c_str());
        const char* v = argv[++i];
        char* fim = nullptr;
        const double n = std::strtod(v, &fim);
        if (*fim != '\0' || n < 0) uso(("Valor inválido para " + a + ": " + v).c_str());
        if (a == "--dias")
            o.dias = int(n);
        else if (a == "--semente")
            o.semente = std::strtoull(v, nullptr, 10);
        else if (a == "--dia")
            o.dia = int(n);
        else if (a == "--horas" && n > 0)
            o.horas = n;
        else if (a == "--processos" && n >= 1)
            o.processos = int(n);
        else
            uso(("Opção desconhecida: " + a).c_str());
    }
    return o;
}

std::string comandoDoDia(const Opcoes& o, int dia) {
    std::string c =
        "talvero-soak --semente " + std::to_string(o.semente) + " --dia " + std::to_string(dia);
    if (o.horas != 4) c += " --horas " + QString::number(o.horas).toStdString();
    return o.postgres ? c + " --postgres" : c;
}

void relataFalha(const Opcoes& o, const PlanoDia& p, const QStringList& d) {
    QString linha = QStringLiteral("FALHA semente %1 dia %2 (%3): %4 discrepâncias")
                        .arg(p.semente)
                        .arg(p.dia)
                        .arg(descreve(p))
                        .arg(d.size());
    for (const QString& x : d.mid(0, o.detalhes ? d.size() : 3))
        linha += QStringLiteral("; ") + x;
    std::printf("%s; repetir: %s\n", linha.toUtf8().constData(), comandoDoDia(o, p.dia).c_str());
    std::fflush(stdout);
}

void soma(Soma& s, const ResultadoDia& r) {
    Soma dia;
    dia.dias = 1;
    dia.diasComFalha = r.discrepancias.isEmpty() ? 0 : 1;
    dia.abastecimentos = r.abastecimentos;
    dia.mortes = r.mortes;
    dia.identicas = r.identicas;
    dia.encerrantes = {r.manuais, r.lacunas, r.meiaNoite, r.viradas, r.foraDeOrdem};
    std::copy(r.falhas.begin(), r.falhas.end(), dia.falhas.begin());
    s += dia;
}

// The days of this process: every `passo`-th from `primeiro`.
Soma rodaDias(const Opcoes& o, int primeiro, int passo, int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::unique_ptr<teste::ServidorPgDeTeste> servidor;
    if (o.postgres) {
        servidor = std::make_unique<teste::ServidorPgDeTeste>();
        if (!servidor->pronto())
            uso(("Servidor PostgreSQL de teste não iniciou: " + servidor->erro().toStdString())
                    .c_str());
    }
    Soma s;
    const int ultimo = o.dia >= 0 ? o.dia + 1 : o.dias;
    for (int dia = o.dia >= 0 ? o.dia : primeiro; dia < ultimo; dia += passo) {
        const PlanoDia p =
            sorteiaDia(o.semente, dia, o.postgres, std::int64_t(o.horas * teste::kHora));
        if (o.detalhes)
            std::printf("%s\n",
                        (descreve(p) + u'\n' + descreveFalhas(p).join(u'\n')).toUtf8().constData());
        ResultadoDia r;
        try {
            r = rodaDia(p, servidor.get());
        } catch (const Erro& e) {
            r.discrepancias << QStringLiteral("erro: ") + e.comNumero();
        }
        if (!r.discrepancias.isEmpty()) relataFalha(o, p, r.discrepancias);
        soma(s, r);
    }
    return s;
}

std::string serializa(const Soma& s) {
    std::string t = std::to_string(s.dias) + ' ' + std::to_string(s.diasComFalha) + ' ' +
                    std::to_string(s.abastecimentos) + ' ' + std::to_string(s.mortes) + ' ' +
                    std::to_string(s.identicas);
    for (auto e : s.encerrantes)
        t += ' ' + std::to_string(e);
    for (auto f : s.falhas)
        t += ' ' + std::to_string(f);
    return t + '\n';
}

void acumula(Soma& s, const std::string& t) {
    std::istringstream campos(t);
    Soma p;
    campos >> p.dias >> p.diasComFalha >> p.abastecimentos >> p.mortes >> p.identicas;
    for (auto& e : p.encerrantes)
        campos >> e;
    for (auto& f : p.falhas)
        campos >> f;
    s += p;
}

// Each child runs its share of the days and hands its sums back through a pipe.
Soma rodaEmProcessos(const Opcoes& o, int argc, char** argv) {
    std::vector<std::pair<pid_t, int>> filhos;
    for (int k = 0; k < o.processos; ++k) {
        int tubo[2];
        if (::pipe(tubo) != 0) uso("Não foi possível criar o tubo para os processos.");
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(tubo[0]);
            const std::string t = serializa(rodaDias(o, k, o.processos, argc, argv));
            if (::write(tubo[1], t.data(), t.size()) != ssize_t(t.size())) std::_Exit(3);
            std::_Exit(0);
        }
        ::close(tubo[1]);
        filhos.push_back({pid, tubo[0]});
    }
    Soma s;
    for (auto [pid, fd] : filhos) {
        std::string t;
        char buf[512];
        for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;)
            t.append(buf, std::size_t(n));
        ::close(fd);
        int estado = 0;
        ::waitpid(pid, &estado, 0);
        if (t.empty()) {
            std::printf("FALHA: um processo terminou sem resultado (estado %d)\n", estado);
            ++s.diasComFalha;
        } else {
            acumula(s, t);
        }
    }
    return s;
}

void resumo(const Opcoes& o, const Soma& s, std::int64_t ms) {
    std::printf("Dias: %d (%s, %.1f h virtuais cada, semente %llu)\n", s.dias,
                o.postgres ? "PostgreSQL" : "SQLite", o.horas,
                static_cast<unsigned long long>(o.semente));
    std::printf("Abastecimentos gravados: %lld\n", static_cast<long long>(s.abastecimentos));
    std::printf("Agente morto e reiniciado: %lld vezes\n", static_cast<long long>(s.mortes));
    std::printf("Respostas idênticas a uma anterior (uma gravação para as duas): %lld\n",
                static_cast<long long>(s.identicas));
    std::printf("Abastecimentos manuais: %lld; lacunas dos encerrantes conferidas: %lld\n",
                static_cast<long long>(s.encerrantes[0]), static_cast<long long>(s.encerrantes[1]));
    std::printf("Bicos encadeados à meia-noite: %lld; encerrantes virados no milhão: %lld\n",
                static_cast<long long>(s.encerrantes[2]), static_cast<long long>(s.encerrantes[3]));
    std::printf("Vizinhos no encerrante em ordem inversa no relógio (relógio atrasado): %lld\n",
                static_cast<long long>(s.encerrantes[4]));
    std::printf("Falhas injetadas:\n");
    for (std::size_t i = 0; i < kTiposFalha; ++i)
        std::printf("  %s %lld\n", nomeFalha(TipoFalha(i)).leftJustified(26).toUtf8().constData(),
                    static_cast<long long>(s.falhas[i]));
    std::printf("Dias com falha: %d\n", s.diasComFalha);
    std::printf("Tempo: %.1f s\n", double(ms) / 1000.0);
}

} // namespace

int main(int argc, char** argv) {
    const Opcoes o = leOpcoes(argc, argv);
    QElapsedTimer tempo;
    tempo.start();
    const Soma s = o.processos > 1 && o.dia < 0 ? rodaEmProcessos(o, argc, argv)
                                                : rodaDias(o, 0, 1, argc, argv);
    resumo(o, s, tempo.elapsed());
    return s.diasComFalha == 0 ? 0 : 1;
}
