#include "requests/RequisicoesAutomacao.h"

#include "platform/Erro.h"
#include "support/CodigosSaida.h"
#include "support/Instalacao.h"

namespace talvero {

void RequisicoesAutomacao::falhaDoComando(const Erro& e, const char* rotina) {
    registra(QStringLiteral(" - ") + e.descricao() + QStringLiteral(" - Rotina: AutoTalvero - ") +
             QLatin1String(rotina));
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
        d_.arquivos.criaTexto(instalacao::kArquivoEntrega, {QStringLiteral("[TEMPORARIO]"),
                                                            QStringLiteral("Arquivo=") + resposta});
        d_.enlace.porta().libera();
        const std::int64_t pid = d_.processos.iniciaSemEsperar(instalacao::kProgramaEncerrante, {});
        registra(QStringLiteral(" - AutomacaoLeituraEncerrante: ") + QString::number(pid));
        d_.processos.encerraImediatamente(saida::LeituraEncerrante);
    } catch (const Erro& e) {
        falhaDoComando(e, "AutomacaoLeituraEncerrante");
    }
    return {};
}

QString RequisicoesAutomacao::AutomacaoPausa() {
    try {
        d_.timerAutomacao.setHabilitado(false);
        d_.ciclo.pausa();
        registra(QStringLiteral(" - AutomacaoPausa: olá"));
        respondidosNaPausa_.clear();
    } catch (const Erro& e) {
        falhaDoComando(e, "AutomacaoPausa");
    }
    return {};
}

} // namespace talvero
