#include "cycle/CicloAutomacao.h"

#include "link/MontaComando.h"

namespace talvero {

namespace {

const QString kSeparador = QStringLiteral("|@|");

QString erroComPasso(const QString& rotina, const Erro& e, const QString& passo,
                     const QString& texto) {
    return QStringLiteral(" ERRO ") + rotina + QStringLiteral(": ") + e.descricao() +
           QStringLiteral(" - lPassoDebugarErroAbastAndam:") + passo + QStringLiteral(" - Err: ") +
           QString::number(e.numero()) + QStringLiteral(" lTimerAutoString: ") + texto;
}

} // namespace

// The status answer is only consumed and, with the trace on, logged: nothing in it
// is stored.
void CicloAutomacao::AutoPedeAbastecimentoEmAndamento() {
    try {
        porta().pedeAndamento(*this);
    } catch (const Erro& e) {
        registra(erroComPasso(QStringLiteral("AutoPedeAbastecimentoEmAndamento"), e,
                              passoAndamento_, porta().ultimoTexto()));
    }
}

QString CicloAutomacao::AutoPedeAbastecimentoEmAndamentoIdentFid() {
    EnlaceConcentrador::Reserva reserva(d_.enlace);
    try {
        if (const auto cartao = porta().pedeCartaoEmAndamento(MontaComando(QStringLiteral("(?V"))))
            return resultadoCartao(*cartao);
    } catch (const Erro& e) {
        registra(erroComPasso(QStringLiteral("AutoPedeAbastecimentoEmAndamentoIdentFid"), e,
                              passoAndamento_, porta().ultimoTexto()));
    }
    return {};
}

QString CicloAutomacao::resultadoCartao(const CartaoEmAndamento& c) {
    return QString::number(d_.bicoAutomacao.BicoDoCodigo(c.codigoBico)) + kSeparador + c.cartao +
           kSeparador;
}

} // namespace talvero
