// A request file and its dispatch, through the agent's request timer. First
// byte: the transport, the layout, a pause first; then the file up to a NUL,
// then the concentrator's answers, one per line.
#include "apoio/AgenteFuzz.h"

#include <QDir>
#include <QFile>

using namespace talvero;

namespace {

const QString kPedido = QStringLiteral("C:\\Automacao\\Pedido_000000000000001.AUT");
const QString kPastaRetorno = QStringLiteral("\\\\CAIXA01\\Automacao");

void escreve(const QString& caminho, const QByteArray& bytes) {
    QFile f(caminho);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) qFatal("%s", qPrintable(caminho));
}

// Every input starts from a running agent with nothing waiting: a pause,
// a closed port or a request left behind by the input before are undone.
void assenta(fuzz::AgenteFuzz& a, MenuAutomacao& agente, bool pausada) {
    QDir(a.mundo.local(kPastaRetorno)).removeRecursively();
    QDir().mkpath(a.mundo.local(kPastaRetorno));
    QFile::remove(a.mundo.local(kPedido));
    agente.lAutomacaoPausada = pausada;
    if (!agente.config.lUsarDllCompany) agente.enlace.ReabreSerialPerdida();
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
    agente.requisicoes().TimerArquivo_Timer();
    return 0;
}
