#include "requests/RequisicoesAutomacao.h"

#include "platform/Erro.h"
#include "support/CodigosSaida.h"
#include "support/Instalacao.h"

namespace talvero {

void RequisicoesAutomacao::falhaHandler(const Erro& e, const char* rotina) {
    registra(QStringLiteral(" - ") + e.descricao() + QStringLiteral(" - Rotina: AutoTalvero - ") + QLatin1String(rotina));
}

QString RequisicoesAutomacao::AutomacaoAtivada() {
    registra(QStringLiteral(" - AutomacaoAtivada: olá"));
    CriaArquivoRespAutomacao(QStringLiteral("OK"), {});
    return {};
}

QString RequisicoesAutomacao::AutomacaoComandoNaoReconhecido() {
    CriaArquivoRespAutomacao(QStringLiteral("COMANDO NAO RECONHECIDO"), {});
    return {};
}

// No shutdown: what the process held is released by its end.
QString RequisicoesAutomacao::AutomacaoFecha() {
    registra(QStringLiteral(" - AutomacaoFecha: "));
    d_.processos.encerraImediatamente(saida::Fecha);
    return {};
}

// The totalizer program takes over the concentrator and answers the request
// itself, at the path the hand-over file gives it.
QString RequisicoesAutomacao::AutomacaoLeituraEncerrante() {
    QString resposta;
    try {
        resposta = caminhoResposta(QStringLiteral("AUT"));
    } catch (const Erro& e) {
        falhaResposta({}, e, "AutomacaoLeituraEncerrante");
        return {};
    }
    try {
        d_.arquivos.criaTexto(instalacao::kArquivoEntrega,
                              {QStringLiteral("[TEMPORARIO]"), QStringLiteral("Arquivo=") + resposta});
        if (!d_.configuracao.lUsarDllCompany) d_.enlace.serial().setPortaAberta(false);
        const std::int64_t pid = d_.processos.iniciaSemEsperar(instalacao::kProgramaEncerrante, {});
        registra(QStringLiteral(" - AutomacaoLeituraEncerrante: ") + QString::number(pid));
        d_.processos.encerraImediatamente(saida::LeituraEncerrante);
    } catch (const Erro& e) {
        falhaHandler(e, "AutomacaoLeituraEncerrante");
    }
    return {};
}

// Over the vendor library the serial control is not the link and stays as it is.
// A port that is already lost has no figures to show; the pause holds all the same.
QString RequisicoesAutomacao::AutomacaoPausa() {
    try {
        d_.timerAutomacao.setHabilitado(false);
        if (!d_.configuracao.lUsarDllCompany) {
            ControleSerial& serial = d_.enlace.serial();
            if (serial.portaAberta())
                registra(QStringLiteral(" - AutomacaoPausa: Status=") + QString::number(serial.quantidadeRecebida()) +
                         QLatin1Char('-') + QString::number(serial.tamanhoBufferEntrada()) + QLatin1Char('-') +
                         QString::number(serial.tamanhoLeitura()));
            serial.setPortaAberta(false);
        }
        registra(QStringLiteral(" - AutomacaoPausa: olá"));
        d_.lAutomacaoPausada = true;
        respondidosNaPausa_.clear();
    } catch (const Erro& e) {
        falhaHandler(e, "AutomacaoPausa");
    }
    return {};
}

} // namespace talvero
