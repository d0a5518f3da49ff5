#include "link/PortaBiblioteca.h"

#include "link/MontaComando.h"
#include "link/NomePorta.h"
#include "link/TamanhosResposta.h"
#include "link/TextosCartao.h"
#include "platform/Erro.h"
#include "support/RotinasGerais.h"

namespace talvero {

namespace {

constexpr int kEsperaRelogioSegundos = 1;
constexpr int kEsperaColetaSegundos = 2;
constexpr int kEsperaAndamentoMs = 500;
constexpr int kEsperaCartaoEmAndamentoMs = 1000;
constexpr int kEsperaCartaoSegundos = 2;
constexpr int kEsperaVersaoMs = 500;
constexpr int kMenorRespostaCartao = 10; // an answer about a running card is longer
constexpr int kLarguraCartao = 16;
const QString kConfirmacao = QStringLiteral("(&I)");
const QString kPedidoAndamento = QStringLiteral("(&V)");
const QString kRotuloComando =
    QStringLiteral(" - Comando Dll Company para pedir Abastecimento: lTimerAutoString: ");
const QString kRotuloRetorno = QStringLiteral(" - Comando Dll Company VB_SendReceiveText, retorno "
                                              "do pedido de Abastecimento: lTimerAutoString: ");

// The library is handed the digit after "COM"; a text without one is a type error.
std::int16_t portaDaBiblioteca(const QString& porta) {
    const auto digito = nomeporta::Digito(porta);
    if (!digito) throw Erro(QStringLiteral("Tipos incompatíveis"), erros::TiposIncompativeis);
    return static_cast<std::int16_t>(*digito);
}

} // namespace

bool PortaBiblioteca::abre(const QString& porta, QString& motivoFalha) {
    if (porta.left(3) == QLatin1String("COM"))
        codigo_ = b_.VB_OpenSerial(portaDaBiblioteca(porta));
    else
        codigo_ = b_.VB_OpenSocket(porta);
    if (codigo_ != 1) {
        motivoFalha = QStringLiteral("erro número ") + QString::number(codigo_) +
                      QStringLiteral(" ao abrir a porta de comunicação: ") + porta;
        registra(QStringLiteral(" - Erro número: ") + QString::number(codigo_) +
                 QStringLiteral(" ao abrir a porta de comunicação: ") + porta);
        return false;
    }
    registra(QStringLiteral(" - Porta de comunicação abeta com sucesso. lRetDll=") +
             QString::number(codigo_));
    return true;
}

// The library's link is not left to the window's unload: the program ends at once.
bool PortaBiblioteca::fecha(const QString& porta) {
    try {
        if (porta.startsWith(QLatin1String("COM")))
            codigo_ = b_.VB_CloseSerial();
        else
            codigo_ = b_.VB_CloseSocket();
    } catch (const Erro& e) {
        registra(QStringLiteral(
                     " - Erro ao fechar a comunicação com o equipamento da automação. Erro: ") +
                 e.descricao() + QStringLiteral(" - Rotina: Fecha"));
    }
    return true;
}

// Every turn asks for one finished fueling and polls the status twice; the
// library waits inside the fueling request, with the timer off.
bool PortaBiblioteca::turno(VezCiclo& vez, TurnoCiclo& ciclo) {
    if (relogioNaVez(vez, ciclo)) return false;
    if (pedeOQueEDevido(vez, ciclo)) vez.encerraAndamentos();
    ciclo.marca("5");
    if (vez.pedido()) {
        ciclo.marca("6");
        vez.avanca();
    } else if (vez.relogioEnviado()) {
        vez.retoma();
    }
    ciclo.marca("10");
    if (vez.transitorio()) {
        vez.retoma();
        ciclo.marca("11");
        ciclo.AutoPedeAbastecimento();
    } else {
        ciclo.marca("12");
        ciclo.AutoPedeAbastecimentoEmAndamento();
    }
    return true;
}

void PortaBiblioteca::acertaRelogio(const QString& quadro) {
    texto_ = quadro;
    enviaSomente(quadro);
    AguardaSegundos(m_.ambiente.relogio, m_.ambiente.agendador, kEsperaRelogioSegundos);
    const QString codigo = QString::number(codigo_);
    if (codigo_ == 1)
        registra(QStringLiteral(" - Dll Company AutoAtualizaRelogioEquip OK. lRetDll=") + codigo);
    else
        registra(QStringLiteral(" - ** Erro Dll Company SetClockVB. lRetDll=") + codigo);
}

// Only the IdentFid layout comes through the library.
void PortaBiblioteca::pedeAbastecimento(TurnoCiclo& ciclo) {
    texto_ = MontaComando(QStringLiteral("(&A"));
    if (m_.ambiente.configuracao.lCriarLogTimer) registra(kRotuloComando + texto_);
    enviaSomente(texto_);
    // The cycle's own wait ends early only in a drain, or for a request or a click
    // waiting for the link: its pace stays as it was.
    if (m_.ambiente.configuracao.lDescargaRapida)
        aguarda(kEsperaColetaSegundos, texto_);
    else
        aguarda(kEsperaColetaSegundos, texto_, m_.alguemAguarda);
    recebe();
    if (texto_.size() != leitura::kTamanhoIdentFid) return;
    const QString resposta = texto_;
    registra(kRotuloRetorno + resposta + QStringLiteral(" - lRetDll=") + QString::number(codigo_));
    registra(QStringLiteral(" - AutoPedeAbastecimento: ") + leitura::kLegendaIdentFid);
    registra(QStringLiteral(" - AutoPedeAbastecimento: ") + resposta);
    switch (ciclo.trataAbastecimento(resposta)) {
    case TurnoCiclo::Desfecho::Confirmar:
        enviaSomente(kConfirmacao);
        texto_.clear();
        break;
    case TurnoCiclo::Desfecho::NaoGravado:
        registra(QStringLiteral(" - VOLTOU DA ROTINA AutoAtualTabeAbastecimento COMO FALSE"));
        break;
    case TurnoCiclo::Desfecho::PedirNovamente:
        break;
    }
}

// The status answer is only consumed and, with the trace on, logged.
void PortaBiblioteca::pedeAndamento(TurnoCiclo&) {
    if (m_.ambiente.configuracao.lCriarLogTimer) registra(kRotuloComando + kPedidoAndamento);
    troca(kPedidoAndamento, kEsperaAndamentoMs);
    if (m_.ambiente.configuracao.lCriarLogTimer)
        registra(kRotuloRetorno + texto_ + QStringLiteral(" - lRetDll=") +
                 QString::number(codigo_));
}

std::optional<CartaoEmAndamento> PortaBiblioteca::pedeCartaoEmAndamento(const QString& quadro) {
    troca(quadro, kEsperaCartaoEmAndamentoMs);
    if (texto_.size() <= kMenorRespostaCartao) return std::nullopt;
    registra(QStringLiteral(
        " - AutoPedeAbastecimentoEmAndamentoIdentFid: - lTimerAutoString=(BBTTTTTTTTTTTTTTTT)"));
    registra(QStringLiteral(" - AutoPedeAbastecimentoEmAndamentoIdentFid: - lTimerAutoString=") +
             texto_);
    return CartaoEmAndamento{texto_.mid(1, 2), texto_.mid(3, kLarguraCartao)};
}

RespostaConcentrador PortaBiblioteca::trocaCartao(ComandoCartao comando, const QString& quadro) {
    const TextosCartao& t = textosCartao(comando);
    recebe();
    registra(t.antes + texto_ + QStringLiteral("<-"));
    texto_ = quadro;
    registra(t.quadro + texto_);
    enviaSomente(texto_);
    aguarda(kEsperaCartaoSegundos, quadro);
    recebe();
    registra(t.tamanho + QString::number(texto_.size()));
    registra(t.resultado + texto_);
    return {texto_, static_cast<int>(texto_.size()), codigo_, true};
}

QString PortaBiblioteca::pedeVersao(const QString& quadro) {
    registra(QStringLiteral(" - Versao Firmware: - lTimerAutoString=") + quadro);
    troca(quadro, kEsperaVersaoMs);
    registra(QStringLiteral(" - Apos comando Versao Firmware: - Len(lTimerAutoString)=") +
             QString::number(texto_.size()));
    return texto_;
}

std::int16_t PortaBiblioteca::enviaSomente(const QString& quadro) {
    codigo_ = b_.VB_SendText(quadro);
    m_.perda.acompanhaEnvio(codigo_);
    return codigo_;
}

void PortaBiblioteca::recebe() {
    texto_.clear();
    codigo_ = b_.VB_ReceiveText(texto_);
    texto_.prepend(jaRecebido_);
    jaRecebido_.clear();
}

void PortaBiblioteca::aguarda(int segundos, const QString& quadro,
                              const std::function<bool()>& encurta) {
    jaRecebido_.clear();
    espera_.segundos(
        segundos, FormasDe(quadro),
        [this] {
            QString veio;
            b_.VB_ReceiveText(veio);
            return jaRecebido_ += veio;
        },
        encurta);
}

void PortaBiblioteca::troca(const QString& quadro, int esperaMs) {
    texto_ = quadro;
    codigo_ = b_.VB_SendReceiveText(texto_, esperaMs);
    m_.perda.acompanhaEnvio(codigo_);
}

} // namespace talvero
