#include "link/PortaSerial.h"

#include "link/MontaComando.h"
#include "link/NomePorta.h"
#include "link/TamanhosResposta.h"
#include "link/TextosCartao.h"
#include "platform/CanalBytes.h"
#include "platform/Conversoes.h"
#include "platform/Erro.h"
#include "support/RotinasGerais.h"

namespace talvero {

namespace {

const QString kConfiguracaoSerial = QStringLiteral("9600,n,8,1");
const QString kConfirmacao = QStringLiteral("(&I)");
// Longer than a concentrator at 9600 baud takes to answer any request.
constexpr std::int64_t kAssentamentoMs = 300;
constexpr int kEsperaCartaoEmAndamentoSegundos = 1;
constexpr std::int64_t kEsperaVersaoMs = 1000;
constexpr std::int64_t kEsperaApagaEnsaioMs = 2000;
constexpr int kLarguraCartao = 16;

// Over the serial port the card answer comes after 3 or 10 other characters.
struct PosicaoCartaoSerial {
    int tamanho, bico, cartao;
};
constexpr PosicaoCartaoSerial kPosicoesCartaoSerial[] = {{23, 5, 7}, {30, 12, 14}};

// Each card command's wait, and the bytes it takes to read an answer. The whole
// wait is taken: an answer cut short would arrive later and wait for the cycle.
struct EsperaCartao {
    int segundos, minimo;
    bool quadroAntesDeEnviar; // the erase logs its frame before it goes out
};
EsperaCartao esperaDe(ComandoCartao comando) {
    switch (comando) {
    case ComandoCartao::Apaga:
        return {2, 16, true};
    case ComandoCartao::Grava:
    case ComandoCartao::Le:
        break;
    }
    return {1, 1, false};
}

} // namespace

bool PortaSerial::abre(const QString& porta, QString&) {
    porta_ = porta;
    if (!s_.portaAberta()) abrePorta();
    if (recomecaCiclo_) recomecaCiclo_();
    return true;
}

// The control takes the numeric value of the digit after "COM", 0 when there is none.
void PortaSerial::abrePorta() {
    s_.setDispositivo(portaPorCaminho(porta_) ? porta_ : QString());
    s_.setNumeroPorta(nomeporta::Digito(porta_).value_or(0));
    s_.setConfiguracao(kConfiguracaoSerial);
    s_.setPortaAberta(true);
}

bool PortaSerial::reabrePerdida() {
    if (!s_.portaAberta()) {
        try {
            abrePorta();
        } catch (const Erro& e) {
            m_.perda.perdeu(e.descricao());
            return false;
        }
    }
    m_.perda.restabeleceu();
    return true;
}

// The port closes with the window.
bool PortaSerial::fecha(const QString&) {
    try {
        s_.setPortaAberta(false);
    } catch (...) {
    }
    return false;
}

bool PortaSerial::turno(VezCiclo& vez, TurnoCiclo& ciclo) {
    if (!reabrePerdida()) return false;
    if (relogioNaVez(vez, ciclo)) return false;
    pedeOQueEDevido(vez, ciclo);
    ciclo.marca("5");
    if (vez.pedido()) {
        ciclo.marca("6");
        vez.avanca();
    } else if (vez.relogioEnviado() && examinaRespostaRelogio(vez, ciclo)) {
        return false;
    }
    enviaPedido(vez, ciclo);
    return true;
}

// True when the concentrator accepted the clock; otherwise the clock is due again.
bool PortaSerial::examinaRespostaRelogio(VezCiclo& vez, TurnoCiclo& ciclo) {
    ciclo.marca("7");
    coleta();
    registra(QStringLiteral(" - Atualizou Hora TimerAutomacao_Timer: Input=") + texto_);
    if (texto_ == QLatin1String("(0)(&H)") || texto_ == QLatin1String("(&H)")) {
        ciclo.marca("8");
        vez.retoma();
        return true;
    }
    ciclo.marca("9");
    vez.recomeca();
    return false;
}

void PortaSerial::enviaPedido(VezCiclo& vez, TurnoCiclo& ciclo) {
    ciclo.marca("10");
    if (!vez.transitorio()) {
        ciclo.marca("12");
        envia(QStringLiteral("(&V)"));
        return;
    }
    vez.retoma();
    ciclo.marca("11");
    if (m_.ambiente.configuracao.lUsarIdentFid) {
        envia(MontaComando(QStringLiteral("(&A")));
    } else {
        envia(QStringLiteral("(&A)"));
        registra(QStringLiteral(" - TimerAutomacao: (&A)"));
    }
}

// What waits at the port answers no clock frame (the "(&V)" sent after a refused
// clock answer, a request of an instance that was killed): read together with the
// clock's answer, it would refuse that one too, for ever.
void PortaSerial::acertaRelogio(const QString& quadro) {
    envia(quadro);
    registra(QStringLiteral(" - AutoAtualizaRelogioEquip: Output=") + quadro);
}

// The request went out at the end of an earlier tick; its answer waits at the port.
void PortaSerial::pedeAbastecimento(TurnoCiclo& ciclo) {
    // A card command used the line since: what waits answers it, not a fueling request.
    if (!ultimoEnvio_.startsWith(QLatin1String("(&A"))) {
        s_.descartaEntrada();
        return;
    }
    switch (s_.quantidadeRecebida()) {
    case leitura::kTamanhoPadrao:
    case leitura::kTamanhoCurto:
        recebeAbastecimento(QStringLiteral(" - AutoPedeAbastecimento: Input="), ciclo);
        break;
    case leitura::kTamanhoIdentFid:
        recebeAbastecimento(QStringLiteral(" - AutoPedeAbastecimento IdentFID: Input="), ciclo);
        break;
    case leitura::kTamanhoSemAbastecimento:
        texto_ = s_.leEntrada();
        break;
    case 0:
        break;
    default:
        // Half an answer, or noise: left at the port, the next request discards it.
        registra(QStringLiteral(" ERRO AutoPedeAbastecimento: Input=") + texto_);
        break;
    }
}

void PortaSerial::recebeAbastecimento(const QString& rotuloEntrada, TurnoCiclo& ciclo) {
    texto_ = s_.leEntrada();
    const QString resposta = texto_;
    registra(rotuloEntrada + resposta);
    // The card identifier's late answer: never a fueling, never acknowledged.
    if (resposta.startsWith(QLatin1String("(?"))) return;
    if (ciclo.trataAbastecimento(resposta) != TurnoCiclo::Desfecho::Confirmar) return;
    s_.envia(kConfirmacao);
    registra(QStringLiteral(" - AutoPedeAbastecimento: Output=") + kConfirmacao);
}

// The status answer is only consumed: nothing in it is stored.
void PortaSerial::pedeAndamento(TurnoCiclo& ciclo) {
    ciclo.marcaAndamento("1");
    texto_.clear();
    const int bytes = s_.quantidadeRecebida();
    ciclo.marcaAndamento("2");
    if (bytes == 3) ciclo.marcaAndamento("3");
    if (bytes > 3) ciclo.marcaAndamento("4");
    if (bytes >= 3) texto_ = s_.leEntrada();
    ciclo.marcaAndamento("6");
    s_.descartaEntrada();
}

std::optional<CartaoEmAndamento> PortaSerial::pedeCartaoEmAndamento(const QString& quadro) {
    assenta();
    envia(quadro);
    respostaTomada_ = espera_.segundos(kEsperaCartaoEmAndamentoSegundos, FormasDe(quadro),
                                       [this] { return s_.espiaEntrada(); });
    const int bytes = s_.quantidadeRecebida();
    registra(QStringLiteral(" - Teste: - lAutoQuant=") + QString::number(bytes));
    if (bytes > 0) {
        texto_ = s_.leEntrada();
        registra(QStringLiteral(" - Teste: - lTimerAutoString=") + texto_);
    }
    std::optional<CartaoEmAndamento> cartao;
    for (const auto& p : kPosicoesCartaoSerial)
        if (texto_.size() == p.tamanho)
            cartao = CartaoEmAndamento{texto_.mid(p.bico - 1, 2),
                                       texto_.mid(p.cartao - 1, kLarguraCartao)};
    s_.descartaEntrada();
    return cartao;
}

RespostaConcentrador PortaSerial::trocaCartao(ComandoCartao comando, const QString& quadro) {
    const TextosCartao& t = textosCartao(comando);
    const EsperaCartao espera = esperaDe(comando);
    assenta();
    if (espera.quadroAntesDeEnviar) registra(t.quadro + quadro);
    envia(quadro);
    if (!espera.quadroAntesDeEnviar) registra(t.quadro + quadro);
    aguarda(espera.segundos * 1000LL, quadro);
    RespostaConcentrador r;
    r.bytes = s_.quantidadeRecebida();
    registra(t.quantidade + QString::number(r.bytes));
    r.lida = r.bytes >= espera.minimo;
    if (!r.lida) return r;
    texto_ = r.texto = s_.leEntrada();
    registra(t.resultado + texto_);
    return r;
}

// The whole second: an answer cut short would reach the cycle instead.
QString PortaSerial::pedeVersao(const QString& quadro) {
    assenta();
    envia(quadro);
    registra(QStringLiteral(" - Versao Firmware: - lTimerAutoString=") + quadro);
    aguarda(kEsperaVersaoMs, quadro);
    registra(QStringLiteral(" - Apos comando Versao Firmware: - lAutoQuant=") +
             QString::number(s_.quantidadeRecebida()));
    texto_ = s_.leEntrada();
    return texto_;
}

int PortaSerial::apagaCartaoDeEnsaio(const QString& quadro) {
    s_.descartaEntrada();
    registra(QStringLiteral(" - Apaga Cartao: - lTimerAutoString=") + quadro);
    envia(quadro);
    aguarda(kEsperaApagaEnsaioMs, quadro);
    const int bytes = s_.quantidadeRecebida();
    registra(QStringLiteral(" - Sera se Apagou: - lAutoQuant=") + QString::number(bytes) +
             QStringLiteral(" - lTimerAutoString=") + quadro);
    return bytes;
}

// A port that is already lost has no figures to show; the pause holds all the same.
void PortaSerial::pausa() {
    if (s_.portaAberta())
        registra(QStringLiteral(" - AutomacaoPausa: Status=") +
                 QString::number(s_.quantidadeRecebida()) + QLatin1Char('-') +
                 QString::number(s_.tamanhoBufferEntrada()) + QLatin1Char('-') +
                 QString::number(s_.tamanhoLeitura()));
    s_.setPortaAberta(false);
}

// A device that cannot be opened now is opened again by the cycle's turns.
void PortaSerial::retoma() {
    if (reabrePerdida()) s_.descartaEntrada();
}

void PortaSerial::envia(const QString& quadro) {
    s_.descartaEntrada();
    s_.envia(quadro);
    ultimoEnvioMs_ = m_.ambiente.relogio.monotonicoMs();
    texto_ = ultimoEnvio_ = quadro;
    respostaTomada_ = false;
}

void PortaSerial::aguarda(std::int64_t ms, const QString& quadro) {
    respostaTomada_ =
        espera_.milissegundos(ms, FormasDe(quadro), [this] { return s_.espiaEntrada(); });
}

// Adaptive, the settling ends as soon as the last request's answer is in, and is
// skipped when our own last exchange already took its answer whole.
void PortaSerial::assenta() {
    const std::int64_t fim = ultimoEnvioMs_ + kAssentamentoMs;
    if (espera_.fixa())
        AguardaMilissegundos(m_.ambiente.relogio, m_.ambiente.agendador,
                             fim - m_.ambiente.relogio.monotonicoMs());
    else if (!respostaTomada_)
        espera_.ate(fim, FormasDe(ultimoEnvio_), [this] { return s_.espiaEntrada(); });
    s_.descartaEntrada();
}

int PortaSerial::coleta() {
    const int bytes = s_.quantidadeRecebida();
    texto_ = s_.leEntrada();
    s_.descartaEntrada();
    return bytes;
}

} // namespace talvero
