// The concentrator's answers to the agent's own exchanges: clock, fuelings and
// status through the cycle's ticks, the card at a running nozzle, the version,
// the card commands. First byte: the exchange, the transport, the layout; then
// one answer per line.
#include "apoio/AgenteFuzz.h"

using namespace talvero;

namespace {

const QString kCartao = QStringLiteral("0000123456789012");

void troca(MenuAutomacao& agente, fuzz::AgenteFuzz& a, int opcoes) {
    switch (opcoes & 7) {
    case 0:
        a.mundo.agendador.avanca(500 * (1 + (opcoes >> 5)));
        break;
    case 1:
        agente.ciclo().AutoAtualizaRelogioEquip();
        a.mundo.agendador.avanca(1000);
        break;
    case 2:
        agente.ciclo().AutoPedeAbastecimentoEmAndamentoIdentFid();
        break;
    case 3:
        agente.ferramentas().mnuVersaoEquipamento_Click();
        break;
    case 4:
        agente.cartoes().AutoIncluiCartaoIdentFid(kCartao);
        break;
    case 5:
        agente.cartoes().AutoExcluiCartaoIdentFid(kCartao, QStringLiteral("000007"));
        break;
    case 6:
        agente.cartoes().AutoLerCartaoIdentFid(kCartao, QStringLiteral("000007"));
        break;
    default:
        agente.cartoes().AutoPesquisaPosicaoCartaoIdentFid(kCartao, false);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    if (tamanho < 1) return 0;
    fuzz::AgenteFuzz& a = fuzz::AgenteFuzz::de(dados[0] & 8, dados[0] & 16);
    MenuAutomacao& agente =
        a.prepara(QByteArray(reinterpret_cast<const char*>(dados) + 1, int(tamanho) - 1));
    troca(agente, a, dados[0]);
    return 0;
}
