#include "cycle/CicloAutomacao.h"

#include "cycle/LeituraAbastecimento.h"
#include "link/MontaComando.h"

namespace talvero {

namespace {

const QString kConfirmacao = QStringLiteral("(&I)");
constexpr int kTamanhoSemAbastecimento = 3;  // "(0)"

} // namespace

void CicloAutomacao::AutoPedeAbastecimento() {
    habilitaTimer(false);
    try {
        if (cfg().lUsarDllCompany) pedeAbastecimentoBiblioteca();
        else pedeAbastecimentoSerial();
    } catch (const Erro& e) {
        registra(QStringLiteral(" ERRO AutoPedeAbastecimento: ") + e.comNumero() + QStringLiteral(" lTimerAutoString: ") + texto());
    }
    habilitaTimer(true);
}

// Only the IdentFid layout comes through the library.
void CicloAutomacao::pedeAbastecimentoBiblioteca() {
    texto() = MontaComando(QStringLiteral("(&A"));
    if (cfg().lCriarLogTimer)
        registra(QStringLiteral(" - Comando Dll Company para pedir Abastecimento: lTimerAutoString: ") + texto());
    d_.enlace.enviaEColeta(texto());
    if (texto().size() != leitura::kTamanhoIdentFid) return;
    const QString resposta = texto();
    registra(QStringLiteral(" - Comando Dll Company VB_SendReceiveText, retorno do pedido de Abastecimento: "
                            "lTimerAutoString: ") +
             resposta + QStringLiteral(" - lRetDll=") + QString::number(d_.enlace.lRetDll));
    registra(QStringLiteral(" - AutoPedeAbastecimento: ") + leitura::kLegendaIdentFid);
    registra(QStringLiteral(" - AutoPedeAbastecimento: ") + resposta);
    switch (trataAbastecimento(resposta)) {
    case Desfecho::Confirmar:
        d_.enlace.enviaSomente(kConfirmacao);
        texto().clear();
        break;
    case Desfecho::NaoGravado:
        registra(QStringLiteral(" - VOLTOU DA ROTINA AutoAtualTabeAbastecimento COMO FALSE"));
        break;
    case Desfecho::PedirNovamente: break;
    }
}

// The request went out at the end of an earlier tick; its answer waits at the port.
void CicloAutomacao::pedeAbastecimentoSerial() {
    ControleSerial& serial = d_.enlace.serial();
    // A card command used the line since: what waits answers it, not a fueling request.
    if (!d_.enlace.ultimoEnvioSerial().startsWith(QLatin1String("(&A"))) {
        serial.descartaEntrada();
        return;
    }
    d_.enlace.lAutoQuant = static_cast<std::int16_t>(serial.quantidadeRecebida());
    switch (d_.enlace.lAutoQuant) {
    case leitura::kTamanhoPadrao:
    case leitura::kTamanhoCurto:
        recebeAbastecimentoSerial(QStringLiteral(" - AutoPedeAbastecimento: Input="));
        break;
    case leitura::kTamanhoIdentFid:
        recebeAbastecimentoSerial(QStringLiteral(" - AutoPedeAbastecimento IdentFID: Input="));
        break;
    case kTamanhoSemAbastecimento: texto() = serial.leEntrada(); break;
    case 0: break;
    default:
        // Half an answer, or noise: left at the port, the next request discards it.
        registra(QStringLiteral(" ERRO AutoPedeAbastecimento: Input=") + texto());
        break;
    }
}

void CicloAutomacao::recebeAbastecimentoSerial(const QString& rotuloEntrada) {
    ControleSerial& serial = d_.enlace.serial();
    texto() = serial.leEntrada();
    const QString resposta = texto();
    registra(rotuloEntrada + resposta);
    // The card identifier's late answer: never a fueling, never acknowledged.
    if (resposta.startsWith(QLatin1String("(?"))) return;
    if (trataAbastecimento(resposta) != Desfecho::Confirmar) return;
    serial.envia(kConfirmacao);
    registra(QStringLiteral(" - AutoPedeAbastecimento: Output=") + kConfirmacao);
}

// Acknowledged is only what is in the database: stored now, stored before, or
// kept in quarantine because it cannot be read.
CicloAutomacao::Desfecho CicloAutomacao::trataAbastecimento(const QString& resposta) {
    if (!respostaAceita(resposta) || ehCopiaAtrasada(resposta)) return Desfecho::PedirNovamente;
    const Desfecho desfecho = guardaAbastecimento(resposta);
    ultimaConfirmada_ = desfecho == Desfecho::Confirmar ? resposta : QString();
    return desfecho;
}

// On a slow line the answer to an earlier request can arrive after the fueling was
// acknowledged; acknowledging that copy would acknowledge the next fueling, which
// is not stored. Handed over again for real, it comes again on the next request.
bool CicloAutomacao::ehCopiaAtrasada(const QString& resposta) {
    if (resposta != ultimaConfirmada_) return false;
    ultimaConfirmada_.clear();
    registra(QStringLiteral(" - AutoPedeAbastecimento: resposta igual à do abastecimento recém-confirmado, "
                            "abastecimento pedido novamente: ") +
             resposta);
    return true;
}

// Quarantine is for answers that cannot be read; when the registers cannot be
// reached, the fueling waits at the concentrator and is asked for again.
CicloAutomacao::Desfecho CicloAutomacao::guardaAbastecimento(const QString& resposta) {
    switch (AutoAtualizaAbastecimento(resposta)) {
    case Leitura::FalhaDoBanco: return Desfecho::NaoGravado;
    case Leitura::Ilegivel:
        return guardaRejeitado(resposta, *leitor_.ultimoErro()) ? Desfecho::Confirmar : Desfecho::NaoGravado;
    case Leitura::Completa: break;
    }
    if (d_.gravacao.AutoAtualTabeAbastecimento(abastecimento, resposta)) {
        if (aoGravar && !d_.gravacao.repeticao()) aoGravar(abastecimento);
        return Desfecho::Confirmar;
    }
    if (!d_.gravacao.semHorarioLivre()) return Desfecho::NaoGravado;
    // Held back, it would be handed over again and again and stop the whole queue.
    return guardaRejeitado(resposta, *d_.gravacao.ultimoErro()) ? Desfecho::Confirmar : Desfecho::NaoGravado;
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
        registra(QStringLiteral(" - AutoPedeAbastecimento: resposta sem conferência recebida igual duas vezes "
                                "seguidas, aceita como veio: ") +
                 resposta);
        return true;
    }
    respostaNaoConferida_ = resposta;
    registra(QStringLiteral(" - AutoPedeAbastecimento: resposta não confere (checksum ou moldura), abastecimento "
                            "pedido novamente: ") +
             resposta);
    return false;
}

bool CicloAutomacao::guardaRejeitado(const QString& resposta, const Erro& erro) {
    AbastecimentoRejeitado& r = d_.abastecimentoRejeitado;
    try {
        // Kept already, its acknowledgement was lost: it is not kept twice.
        if (r.Localiza(cfg().lCodigoEmpresa, resposta.left(GravacaoAbastecimento::kTamanhoRegistroAutomacao))) {
            registra(QStringLiteral(" - AutoPedeAbastecimento: abastecimento já guardado em AbastecimentoRejeitado, "
                                    "confirmado de novo: ") +
                     resposta);
            return true;
        }
        r.Empresa = cfg().lCodigoEmpresa;
        r.DataHoraRecebido = d_.relogio.agora();
        r.RegistroAutomacao = resposta.left(GravacaoAbastecimento::kTamanhoRegistroAutomacao);
        r.Erro = erro.comNumero();
        r.Passo = leitor_.lPassoDebugarErroAbast;
        if (!r.Inclui()) throw ErroBanco(QStringLiteral("AbastecimentoRejeitado.Inclui não gravou"));
    } catch (const Erro& e) {
        registra(QStringLiteral(" - ERRO AutoPedeAbastecimento: abastecimento ilegível não pôde ser guardado em "
                                "AbastecimentoRejeitado, não confirmado: ") +
                 e.comNumero());
        return false;
    }
    registra(QStringLiteral(" - AutoPedeAbastecimento: abastecimento ilegível guardado em AbastecimentoRejeitado (") +
             r.Erro + QStringLiteral(" - lPassoDebugarErroAbast:") + r.Passo + QStringLiteral("): ") + resposta);
    if (aoPorEmQuarentena) aoPorEmQuarentena();
    return true;
}

} // namespace talvero
