#include "cycle/CicloAutomacao.h"

#include "link/MontaComando.h"
#include "support/RotinasGerais.h"

namespace talvero {

namespace {

constexpr int kEsperaAndamentoMs = 500;
constexpr int kEsperaCartaoMs = 1000;
constexpr int kEsperaCartaoSerialSegundos = 1;
constexpr int kMenorRespostaCartao = 10;  // the library's answer must be longer
constexpr int kLarguraCartao = 16;
const QString kSeparador = QStringLiteral("|@|");

const QString kPedidoAndamento = QStringLiteral("(&V)");
const QString kRotuloComando = QStringLiteral(" - Comando Dll Company para pedir Abastecimento: lTimerAutoString: ");
const QString kRotuloRetorno =
    QStringLiteral(" - Comando Dll Company VB_SendReceiveText, retorno do pedido de Abastecimento: lTimerAutoString: ");

// Over the serial port the card answer comes after 3 or 10 other characters.
struct PosicaoCartaoSerial {
    int tamanho, bico, cartao;
};
constexpr PosicaoCartaoSerial kPosicoesCartaoSerial[] = {{23, 5, 7}, {30, 12, 14}};

QString erroComPasso(const QString& rotina, const Erro& e, const QString& passo, const QString& texto) {
    return QStringLiteral(" ERRO ") + rotina + QStringLiteral(": ") + e.descricao() +
           QStringLiteral(" - lPassoDebugarErroAbastAndam:") + passo + QStringLiteral(" - Err: ") +
           QString::number(e.numero()) + QStringLiteral(" lTimerAutoString: ") + texto;
}

} // namespace

// The status answer is only consumed and, with the trace on, logged: nothing in it
// is stored.
void CicloAutomacao::AutoPedeAbastecimentoEmAndamento() {
    try {
        if (cfg().lUsarDllCompany) andamentoBiblioteca();
        else andamentoSerial();
    } catch (const Erro& e) {
        registra(erroComPasso(QStringLiteral("AutoPedeAbastecimentoEmAndamento"), e, lPassoDebugarErroAbastAndam, texto()));
    }
}

void CicloAutomacao::andamentoBiblioteca() {
    texto() = kPedidoAndamento;
    if (cfg().lCriarLogTimer) registra(kRotuloComando + texto());
    d_.enlace.troca(kPedidoAndamento, kEsperaAndamentoMs);
    if (cfg().lCriarLogTimer)
        registra(kRotuloRetorno + texto() + QStringLiteral(" - lRetDll=") + QString::number(d_.enlace.lRetDll));
}

void CicloAutomacao::andamentoSerial() {
    ControleSerial& serial = d_.enlace.serial();
    passoAndam("1");
    d_.enlace.lAutoQuant = 0;
    texto().clear();
    d_.enlace.lAutoQuant = static_cast<std::int16_t>(serial.quantidadeRecebida());
    passoAndam("2");
    if (d_.enlace.lAutoQuant == 3) passoAndam("3");
    if (d_.enlace.lAutoQuant > 3) passoAndam("4");
    if (d_.enlace.lAutoQuant >= 3) texto() = serial.leEntrada();
    passoAndam("6");
    serial.descartaEntrada();
}

QString CicloAutomacao::AutoPedeAbastecimentoEmAndamentoIdentFid() {
    QString resultado;
    EnlaceConcentrador::Reserva reserva(d_.enlace);
    try {
        if (cfg().lUsarDllCompany) {
            d_.enlace.troca(MontaComando(QStringLiteral("(?V")), kEsperaCartaoMs);
            if (texto().size() > kMenorRespostaCartao) {
                registra(QStringLiteral(" - AutoPedeAbastecimentoEmAndamentoIdentFid: - lTimerAutoString=(BBTTTTTTTTTTTTTTTT)"));
                registra(QStringLiteral(" - AutoPedeAbastecimentoEmAndamentoIdentFid: - lTimerAutoString=") + texto());
                resultado = resultadoCartao(texto().mid(1, 2), texto().mid(3, kLarguraCartao));
            }
            return resultado;
        }
        ControleSerial& serial = d_.enlace.serial();
        texto() = MontaComando(QStringLiteral("(?V"));
        d_.enlace.assentaSerial();
        d_.enlace.enviaSerial(texto());
        AguardaSegundos(d_.relogio, d_.agendador, kEsperaCartaoSerialSegundos);
        d_.enlace.lAutoQuant = static_cast<std::int16_t>(serial.quantidadeRecebida());
        registra(QStringLiteral(" - Teste: - lAutoQuant=") + QString::number(d_.enlace.lAutoQuant));
        if (d_.enlace.lAutoQuant > 0) {
            texto() = serial.leEntrada();
            registra(QStringLiteral(" - Teste: - lTimerAutoString=") + texto());
        }
        for (const auto& p : kPosicoesCartaoSerial)
            if (texto().size() == p.tamanho)
                resultado = resultadoCartao(texto().mid(p.bico - 1, 2), texto().mid(p.cartao - 1, kLarguraCartao));
        serial.descartaEntrada();
        d_.enlace.lAutoQuant = 0;
    } catch (const Erro& e) {
        registra(erroComPasso(QStringLiteral("AutoPedeAbastecimentoEmAndamentoIdentFid"), e, lPassoDebugarErroAbastAndam,
                              texto()));
    }
    return resultado;
}

QString CicloAutomacao::resultadoCartao(const QString& codigoBico, const QString& cartao) {
    return QString::number(d_.bicoAutomacao.BicoDoCodigo(codigoBico)) + kSeparador + cartao + kSeparador;
}

} // namespace talvero
