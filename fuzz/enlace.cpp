// The link's frame reader: our own library's exchanges and the serial control's
// input buffer on a line whose answers come from the input (first byte: the
// transport and the wait, then one answer per line).
#include "apoio/RoteiroCanal.h"
#include "ensaio/PlataformaDeTeste.h"
#include "link/BibliotecaPropria.h"
#include "link/ControleSerialCanal.h"
#include "platform/CodecAnsi.h"

#include <cstdlib>

using namespace talvero;

namespace {

constexpr int kTrocas = 4;

void pelaBiblioteca(fuzz::RoteiroCanal& canais, const RelogioVirtual& relogio, int esperaMs) {
    BibliotecaPropria biblioteca(canais, relogio);
    if (biblioteca.VB_OpenSerial(1) != BibliotecaPropria::kSucesso) std::abort();
    for (int i = 0; i < kTrocas; ++i) {
        QString texto;
        biblioteca.VB_SendReceiveText(texto, esperaMs);
        RespostaCompleta(ansi::codifica(texto));
        biblioteca.VB_ReceiveText(texto);
    }
}

// Whatever arrived, the control holds at most its buffer and hands over exactly what it counted.
void peloControle(fuzz::RoteiroCanal& canais) {
    ControleSerialCanal serial(canais);
    serial.setPortaAberta(true);
    for (int i = 0; i < kTrocas; ++i) {
        serial.envia(QStringLiteral("(&A)"));
        const int quantidade = serial.quantidadeRecebida();
        if (quantidade > ControleSerialCanal::kTamanhoBufferEntrada ||
            serial.leEntrada().size() != quantidade)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    static RelogioVirtual relogio(PlataformaDeTeste::inicioPadrao());
    static fuzz::RoteiroCanal canais;
    if (tamanho < 1) return 0;
    canais.liga(relogio);
    canais.define(QByteArray(reinterpret_cast<const char*>(dados) + 1, int(tamanho) - 1));
    if (dados[0] & 1)
        peloControle(canais);
    else
        pelaBiblioteca(canais, relogio, (dados[0] >> 1) * 20);
    return 0;
}
