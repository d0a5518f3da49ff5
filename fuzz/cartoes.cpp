// The card commands and the operator's card dialogs with any card and position
// texts. First byte: the transport (bit 0), the action (bits 1 to 4: the four
// commands, the four menu entries, the identifier trial), the operator's Yes and
// the search's message (bit 5); then the card up to a NUL, the position up to a
// NUL, then the concentrator's answers, one per line.
#include "apoio/AgenteFuzz.h"
#include "platform/CodecAnsi.h"

using namespace talvero;

namespace {

constexpr int kAcoes = 9;

struct Campos {
    QString cartao, posicao;
    QByteArray roteiro;
};

Campos separa(const QByteArray& bytes) {
    const qsizetype fimCartao = bytes.indexOf('\0');
    if (fimCartao < 0) return {ansi::decodifica(bytes), {}, {}};
    const qsizetype fimPosicao = bytes.indexOf('\0', fimCartao + 1);
    const QByteArray posicao =
        bytes.mid(fimCartao + 1, fimPosicao < 0 ? -1 : fimPosicao - fimCartao - 1);
    return {ansi::decodifica(bytes.left(fimCartao)), ansi::decodifica(posicao),
            fimPosicao < 0 ? QByteArray() : bytes.mid(fimPosicao + 1)};
}

void age(MenuAutomacao& agente, OperadorRoteirizado& operador, int acao, bool sim,
         const Campos& c) {
    operador.respostasEntrada = {acao == 6 ? c.posicao : c.cartao};
    operador.respostasPergunta = {sim};
    switch (acao) {
    case 0:
        agente.cartoes().AutoIncluiCartaoIdentFid(c.cartao);
        break;
    case 1:
        agente.cartoes().AutoExcluiCartaoIdentFid(c.cartao, c.posicao);
        break;
    case 2:
        agente.cartoes().AutoLerCartaoIdentFid(c.cartao, c.posicao);
        break;
    case 3:
        agente.cartoes().AutoPesquisaPosicaoCartaoIdentFid(c.cartao, sim);
        break;
    case 4:
        agente.mnuIncluiCartao_Click();
        break;
    case 5:
        agente.mnuExcluiCartao_Click();
        break;
    case 6:
        agente.mnuLerCartao_Click();
        break;
    case 7:
        agente.mnuPesquisaPosicaoCartao_Click();
        break;
    default:
        agente.cmdLeituraIdentificador_Click();
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    if (tamanho < 1) return 0;
    const Campos campos =
        separa(QByteArray(reinterpret_cast<const char*>(dados) + 1, qsizetype(tamanho) - 1));
    fuzz::AgenteFuzz& a = fuzz::AgenteFuzz::de(dados[0] & 1, true);
    MenuAutomacao& agente = a.prepara(campos.roteiro);
    age(agente, a.mundo.operador, ((dados[0] >> 1) & 15) % kAcoes, dados[0] & 32, campos);
    // A click that waited for the link runs now; the cycle takes what answers are left.
    a.mundo.agendador.avanca(1000);
    return 0;
}
