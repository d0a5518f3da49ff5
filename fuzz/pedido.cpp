// A request file and its dispatch, through the agent's request timer. First
// byte: the transport, the layout, a pause first, and which hostile entries lie
// next to the request (bits 3 to 6: a link to a FIFO, a link to an endless
// device, a link to a folder, a file beyond the read bound); then the file up to
// a NUL, then the concentrator's answers, one per line. No read of the folder
// may block, bring more than the bound or read an entry twice in the tick.
#include "apoio/AgenteFuzz.h"
#include "apoio/OraculoPedidos.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>

using namespace talvero;

namespace {

const QString kPedido = fuzz::kPastaPedidos + QStringLiteral("Pedido_000000000000009.AUT");
const QString kPastaRetorno = QStringLiteral("\\\\CAIXA01\\Automacao");
constexpr int kSegundosAlarme = 10;

// Named to come before the request in the listing, so that each is taken first.
struct Plantada {
    const char* nome;
    const char* descricao;
};
constexpr Plantada kPlantadas[] = {
    {"Pedido_000000000000001.AUT", "link para FIFO"},
    {"Pedido_000000000000002.AUT", "link para /dev/zero"},
    {"Pedido_000000000000003.AUT", "link para pasta"},
    {"Pedido_000000000000004.AUT", "arquivo de 128 KiB"},
};
constexpr qsizetype kTamanhoGrande = 128 * 1024;

void escreve(const QString& caminho, const QByteArray& bytes) {
    QFile f(caminho);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("%s", qPrintable(caminho));
}

QString plantada(fuzz::AgenteFuzz& a, int i) {
    return a.mundo.local(fuzz::kPastaPedidos + QLatin1String(kPlantadas[i].nome));
}

// Every input starts from a running agent with nothing waiting: a pause,
// a closed port or a request left behind by the input before are undone.
void assenta(fuzz::AgenteFuzz& a, MenuAutomacao& agente, bool pausada) {
    QDir(a.mundo.local(kPastaRetorno)).removeRecursively();
    QDir().mkpath(a.mundo.local(kPastaRetorno));
    QFile::remove(a.mundo.local(kPedido));
    for (int i = 0; i < 4; ++i)
        QFile::remove(plantada(a, i));
    if (pausada)
        agente.ciclo().pausa();
    else if (agente.ciclo().pausada())
        agente.ciclo().retoma();
}

// The targets live in the scratch root, outside the request folder; nothing ever writes to the
// FIFO.
QByteArray planta(fuzz::AgenteFuzz& a, int escolhidas, const QByteArray& pedido) {
    const QString raiz = a.mundo.raiz.path();
    const QString fifo = raiz + QStringLiteral("/fifo"), pasta = raiz + QStringLiteral("/pasta");
    if (!QFile::exists(fifo) && ::mkfifo(QFile::encodeName(fifo).constData(), 0600) != 0)
        qFatal("mkfifo");
    QDir().mkpath(pasta);
    const QString alvos[] = {fifo, QStringLiteral("/dev/zero"), pasta};
    QByteArray descricao = "plantadas:";
    for (int i = 0; i < 4; ++i) {
        if (!(escolhidas & (1 << i))) continue;
        if (i < 3 && !QFile::link(alvos[i], plantada(a, i))) qFatal("link");
        if (i == 3)
            escreve(plantada(a, i),
                    pedido + QByteArray(kTamanhoGrande - pedido.size() % kTamanhoGrande, '\n'));
        descricao += QByteArray(" ") + kPlantadas[i].nome + " (" + kPlantadas[i].descricao + ")";
    }
    return escolhidas ? descricao : "nenhuma entrada plantada";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    if (tamanho < 1) return 0;
    const QByteArray resto(reinterpret_cast<const char*>(dados) + 1, int(tamanho) - 1);
    const qsizetype fim = resto.indexOf('\0');
    fuzz::AgenteFuzz& a = fuzz::AgenteFuzz::de(dados[0] & 1, dados[0] & 2);
    MenuAutomacao& agente = a.prepara(fim < 0 ? QByteArray() : resto.mid(fim + 1));
    assenta(a, agente, dados[0] & 4);
    escreve(a.mundo.local(kPedido), resto.left(fim));
    fuzz::leituraPedidos::descreveEntrada(planta(a, (dados[0] >> 3) & 15, resto.left(fim)));
    fuzz::AlarmeTick alarme(kSegundosAlarme);
    agente.requisicoes().TimerArquivo_Timer();
    return 0;
}
