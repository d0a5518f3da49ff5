#include "cycle/CicloAutomacao.h"

#include "cycle/LeituraAbastecimento.h"

namespace talvero {

// An acknowledgement that failed to go out leaves the fueling unacknowledged.
bool CicloAutomacao::AutoPedeAbastecimento() {
    EnlaceConcentrador::Reserva reserva(d_.enlace, EnlaceConcentrador::Reserva::Timer::Desligado);
    confirmouNaVez_ = false;
    try {
        porta().pedeAbastecimento(*this);
    } catch (const Erro& e) {
        registra(QStringLiteral(" ERRO AutoPedeAbastecimento: ") + e.comNumero() +
                 QStringLiteral(" lTimerAutoString: ") + porta().ultimoTexto());
        return false;
    }
    return confirmouNaVez_;
}

// Acknowledged is only what is in the database: stored now, stored before, or
// kept in quarantine because it cannot be read.
CicloAutomacao::Desfecho CicloAutomacao::trataAbastecimento(const QString& resposta) {
    if (!respostaAceita(resposta) || ehCopiaAtrasada(resposta)) return Desfecho::PedirNovamente;
    const Desfecho desfecho = guardaAbastecimento(resposta);
    confirmouNaVez_ = desfecho == Desfecho::Confirmar;
    ultimaConfirmada_ = confirmouNaVez_ ? resposta : QString();
    return desfecho;
}

// On a slow line the answer to an earlier request can arrive after the fueling was
// acknowledged; acknowledging that copy would acknowledge the next fueling, which
// is not stored. Handed over again for real, it comes again on the next request.
bool CicloAutomacao::ehCopiaAtrasada(const QString& resposta) {
    if (resposta != ultimaConfirmada_) return false;
    ultimaConfirmada_.clear();
    registra(QStringLiteral(
                 " - AutoPedeAbastecimento: resposta igual à do abastecimento recém-confirmado, "
                 "abastecimento pedido novamente: ") +
             resposta);
    return true;
}

// Quarantine is for answers that cannot be read; when the registers cannot be
// reached, the fueling waits at the concentrator and is asked for again.
CicloAutomacao::Desfecho CicloAutomacao::guardaAbastecimento(const QString& resposta) {
    switch (AutoAtualizaAbastecimento(resposta)) {
    case Leitura::FalhaDoBanco:
        return Desfecho::NaoGravado;
    case Leitura::Ilegivel:
        return guardaRejeitado(resposta, *leitor_.ultimoErro()) ? Desfecho::Confirmar
                                                                : Desfecho::NaoGravado;
    case Leitura::Completa:
        break;
    }
    switch (d_.gravacao.AutoAtualTabeAbastecimento(abastecimento_, resposta)) {
    case GravacaoAbastecimento::Resultado::Gravado:
        if (d_.aoGravar) d_.aoGravar(abastecimento_);
        return Desfecho::Confirmar;
    case GravacaoAbastecimento::Resultado::JaGravado:
        return Desfecho::Confirmar;
    case GravacaoAbastecimento::Resultado::SemHorarioLivre:
        // Held back, it would be handed over again and again and stop the whole queue.
        return guardaRejeitado(resposta, *d_.gravacao.ultimoErro()) ? Desfecho::Confirmar
                                                                    : Desfecho::NaoGravado;
    case GravacaoAbastecimento::Resultado::Recusado:
    case GravacaoAbastecimento::Resultado::FalhaDoBanco:
        break;
    }
    return Desfecho::NaoGravado;
}

// A flipped digit on a noisy line must not become a wrong amount; a concentrator
// that closes its frames its own way must keep working all the same.
bool CicloAutomacao::respostaAceita(const QString& resposta) {
    if (leitura::RespostaConfere(resposta)) {
        respostaNaoConferida_.clear();
        return true;
    }
    if (leitura::EhTamanhoDeAbastecimento(resposta.size()) && resposta == respostaNaoConferida_) {
        respostaNaoConferida_.clear();
        registra(QStringLiteral(
                     " - AutoPedeAbastecimento: resposta sem conferência recebida igual duas vezes "
                     "seguidas, aceita como veio: ") +
                 resposta);
        return true;
    }
    respostaNaoConferida_ = resposta;
    registra(
        QStringLiteral(
            " - AutoPedeAbastecimento: resposta não confere (checksum ou moldura), abastecimento "
            "pedido novamente: ") +
        resposta);
    return false;
}

bool CicloAutomacao::guardaRejeitado(const QString& resposta, const Erro& erro) {
    AbastecimentoRejeitado& r = d_.abastecimentoRejeitado;
    try {
        // Kept already, its acknowledgement was lost: it is not kept twice.
        if (r.Localiza(cfg().lCodigoEmpresa,
                       resposta.left(GravacaoAbastecimento::kTamanhoRegistroAutomacao))) {
            registra(QStringLiteral(" - AutoPedeAbastecimento: abastecimento já guardado em "
                                    "AbastecimentoRejeitado, "
                                    "confirmado de novo: ") +
                     resposta);
            return true;
        }
        r.Empresa = cfg().lCodigoEmpresa;
        r.DataHoraRecebido = d_.ambiente.relogio.agora();
        r.RegistroAutomacao = resposta.left(GravacaoAbastecimento::kTamanhoRegistroAutomacao);
        r.Erro = erro.comNumero();
        r.Passo = leitor_.lPassoDebugarErroAbast;
        if (!r.Inclui())
            throw ErroBanco(QStringLiteral("AbastecimentoRejeitado.Inclui não gravou"));
    } catch (const Erro& e) {
        registra(
            QStringLiteral(
                " - ERRO AutoPedeAbastecimento: abastecimento ilegível não pôde ser guardado em "
                "AbastecimentoRejeitado, não confirmado: ") +
            e.comNumero());
        return false;
    }
    registra(QStringLiteral(" - AutoPedeAbastecimento: abastecimento ilegível guardado em "
                            "AbastecimentoRejeitado (") +
             r.Erro + QStringLiteral(" - lPassoDebugarErroAbast:") + r.Passo +
             QStringLiteral("): ") + resposta);
    if (d_.aoPorEmQuarentena) d_.aoPorEmQuarentena();
    return true;
}

} // namespace talvero
