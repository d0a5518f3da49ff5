#include "OraculoPedidos.h"

#include "Violacao.h"

#include <QHash>
#include <cstdlib>
#include <cstring>
#include <sanitizer/allocator_interface.h>
#include <unistd.h>

namespace talvero::fuzz {

namespace {

// An endless device never returns from a whole read: it is caught by its allocations.
constexpr size_t kAlocacaoMaxima = 16 * leituraPedidos::kLimiteLeitura;

QString pasta;
QHash<QString, int> leiturasNoTick;
// Read by a signal handler and a malloc hook: plain buffers.
char caminhoEmLeitura[1024];
char entrada[1024];
char motivoAlarme[1024];
volatile sig_atomic_t lendo = 0;

void escreve(const char* texto) {
    if (::write(STDERR_FILENO, texto, std::strlen(texto)) < 0) return;
}

void copia(char (&destino)[1024], const QByteArray& origem) {
    const size_t n = std::min(sizeof destino - 1, size_t(origem.size()));
    std::memcpy(destino, origem.constData(), n);
    destino[n] = '\0';
}

void relataEAborta(const char* oque) {
    escreve("\nVIOLAÇÃO do oráculo de leituras de pedidos: ");
    escreve(oque);
    if (lendo) {
        escreve(" lendo ");
        escreve(caminhoEmLeitura);
    }
    escreve(" - entrada: ");
    escreve(entrada);
    escreve("\n");
    std::abort();
}

void aoAlocar(const volatile void*, size_t tamanho) {
    if (lendo && tamanho > kAlocacaoMaxima)
        relataEAborta("leitura sem limite (uma alocação de mais de 1 MiB)");
}
void aoLiberar(const volatile void*) {}

void aoAlarme(int) {
    relataEAborta(motivoAlarme);
}

void viola(const QString& detalhe) {
    Viola("de leituras de pedidos",
          detalhe + QStringLiteral(" - entrada: ") + QString::fromUtf8(entrada));
}

} // namespace

namespace leituraPedidos {

void vigia(const QString& p) {
    static const bool instalado =
        __sanitizer_install_malloc_and_free_hooks(aoAlocar, aoLiberar) != 0;
    if (!instalado) std::abort();
    pasta = p;
}

void novoTick() {
    leiturasNoTick.clear();
}

void descreveEntrada(const QByteArray& descricao) {
    copia(entrada, descricao);
}

QByteArray le(const QString& caminho, const std::function<QByteArray()>& leitura) {
    if (pasta.isEmpty() || !caminho.startsWith(pasta, Qt::CaseInsensitive)) return leitura();
    if (const int vezes = ++leiturasNoTick[caminho.toLower()]; vezes > 1)
        viola(QStringLiteral("pedido lido %1 vezes no mesmo tick: ").arg(vezes) + caminho);
    copia(caminhoEmLeitura, caminho.toUtf8());
    // A read that raises ends the watch all the same.
    struct Vigia {
        Vigia() { lendo = 1; }
        ~Vigia() { lendo = 0; }
    };
    const QByteArray bytes = [&] {
        Vigia v;
        return leitura();
    }();
    if (bytes.size() > kLimiteLeitura)
        viola(QStringLiteral("leitura de %1 bytes, além do limite de %2: ")
                  .arg(bytes.size())
                  .arg(kLimiteLeitura) +
              caminho);
    return bytes;
}

} // namespace leituraPedidos

AlarmeTick::AlarmeTick(int segundos) {
    copia(motivoAlarme,
          QStringLiteral("tick bloqueado há %1 s de tempo real").arg(segundos).toUtf8());
    struct sigaction a {};
    a.sa_handler = aoAlarme;
    sigemptyset(&a.sa_mask);
    sigaction(SIGALRM, &a, &tratadorAnterior_);
    itimerval v{};
    v.it_value.tv_sec = segundos;
    setitimer(ITIMER_REAL, &v, &timerAnterior_);
}

AlarmeTick::~AlarmeTick() {
    sigaction(SIGALRM, &tratadorAnterior_, nullptr);
    setitimer(ITIMER_REAL, &timerAnterior_, nullptr);
}

} // namespace talvero::fuzz
