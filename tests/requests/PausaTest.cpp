#include "estacao/Estacao.h"
#include "platform/LeitorIni.h"

namespace talvero::teste {
namespace {

QString id(int n) { return QStringLiteral("%1").arg(n, 15, 10, QLatin1Char('0')); }

void pede(Estacao& e, int n, const char* comando) {
    e.mundo.arquivos.criaTexto(QStringLiteral("C:\\Automacao\\Pedido_") + id(n) + QStringLiteral(".AUT"),
                               {QStringLiteral("[PEDIDO AUTOMACAO]"), QStringLiteral("Comando=") + QLatin1String(comando),
                                QStringLiteral("Origem=PC1"), QStringLiteral("Parametro=")});
}

// The first answer the requester finds; a later one waits under another name.
QString retorno(Estacao& e, int n) {
    const QString arquivo = QStringLiteral("\\\\PC1\\Automacao\\Retorno_") + id(n) + QStringLiteral(".AUT");
    if (!e.mundo.arquivos.existe(arquivo)) return QStringLiteral("(sem resposta)");
    return LeIniDeTexto(e.mundo.arquivos.le(arquivo), QStringLiteral("RETORNO AUTOMACAO"), QStringLiteral("Retorno"));
}

// A liveness request named before the resume, both put in one tick of the pause:
// the resume goes first, so the other is never told of a pause that is over.
TEST(PedidosEmPausa, RetomadaAtendidaAntesDoPedidoDeNomeAnterior) {
    Estacao e;
    e.mundo.criaPasta(QStringLiteral("\\\\PC1\\Automacao"));
    e.iniciaAgente();
    e.roda(3000);
    pede(e, 9, "AUTOMACAO PAUSA");
    e.roda(1000);
    ASSERT_TRUE(e.agente().lAutomacaoPausada);

    pede(e, 1, "AUTOMACAO ATIVADA");
    pede(e, 2, "TIRA PAUSA AUTOMACAO");
    e.roda(500);
    EXPECT_EQ(retorno(e, 2), QStringLiteral("OK"));
    EXPECT_FALSE(e.agente().lAutomacaoPausada);
    e.roda(1000);
    EXPECT_EQ(retorno(e, 1), QStringLiteral("OK"));
}

} // namespace
} // namespace talvero::teste
