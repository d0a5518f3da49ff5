#include "requests/RequisicoesAutomacao.h"

#include "platform/Erro.h"
#include "support/Entradas.h"

namespace talvero {

namespace {

constexpr int kTamanhoId = 15;
constexpr int kTamanhoExtensao = 4;
constexpr int kNomeArquivoIncorreto = 52;

// The id is cut from the request's path: with a short name it reaches into the
// folder, and it must never carry a separator into the answer's path.
bool idValido(const QString& id) {
    for (const QChar c : id)
        if (c == QLatin1Char('\\') || c == QLatin1Char('/') || c == QLatin1Char(':') ||
            c.unicode() < 0x20)
            return false;
    return !id.contains(QLatin1String(".."));
}

} // namespace

// "\\<origem>\<pasta>\Retorno_<id>.<extensao>"
QString RequisicoesAutomacao::caminhoResposta(const QString& extensao) const {
    if (!entradas::NomeComputadorValido(lOrigemReq))
        throw Erro(QStringLiteral("A Origem não é um nome de computador válido"),
                   kNomeArquivoIncorreto);
    const qsizetype fim = lNomeArquivoReq.size() - kTamanhoExtensao;
    if (fim < kTamanhoId)
        throw Erro(QStringLiteral("Nome de arquivo incorreto"), kNomeArquivoIncorreto);
    const QString id = lNomeArquivoReq.mid(fim - kTamanhoId, kTamanhoId);
    if (!idValido(id))
        throw Erro(QStringLiteral("A identificação do pedido não serve para nome de arquivo"),
                   kNomeArquivoIncorreto);
    return QStringLiteral("\\\\") + lOrigemReq + QLatin1Char('\\') +
           d_.ambiente.configuracao.lPastaAutomacao + QStringLiteral("\\Retorno_") + id +
           QLatin1Char('.') + extensao;
}

// Written under ".TMP" and moved to ".AUT" without replacing an answer the
// requester has not taken yet: the requester never reads half a file.
bool RequisicoesAutomacao::CriaArquivoRespAutomacao(const QString& retorno,
                                                    const QString& parametro) {
    QString xArquivoResp;
    try {
        const QString xArquivoTmp = caminhoResposta(QStringLiteral("TMP"));
        xArquivoResp = caminhoResposta(QStringLiteral("AUT"));
        const QStringList linhas{
            QStringLiteral("[RETORNO AUTOMACAO]"), QStringLiteral("Origem=") + lOrigemReq,
            QStringLiteral("Comando=") + lComandoReq, QStringLiteral("Retorno=") + retorno,
            QStringLiteral("Parametro=") + parametro};
        d_.arquivos.criaTexto(xArquivoTmp, linhas, [&] {
            registra(QStringLiteral(" - CriaArquivoRespAutomacao: Origem=") + lOrigemReq +
                     QStringLiteral(" - Comando=") + lComandoReq + QStringLiteral(" - Retorno=") +
                     retorno + QStringLiteral(" - Parametro=") + parametro +
                     QStringLiteral(" - xArquivoResp=") + xArquivoResp +
                     QStringLiteral(" - xArquivoTmp=") + xArquivoTmp +
                     QStringLiteral(" - lNomeArquivoReq=") + lNomeArquivoReq);
        });
        if (d_.arquivos.existe(xArquivoTmp)) d_.arquivos.move(xArquivoTmp, xArquivoResp);
        return true;
    } catch (const Erro& e) {
        falhaResposta(xArquivoResp, e, "CriaArquivoRespAutomacao");
        return false;
    }
}

void RequisicoesAutomacao::falhaResposta(const QString& resposta, const Erro& e,
                                         const char* rotina) {
    registra(QStringLiteral(" - Erro ao gerar arquivo ") + resposta + QStringLiteral(" - Origem=") +
             lOrigemReq + QStringLiteral("! - ") + e.descricao() + QStringLiteral(" - Rotina: ") +
             QLatin1String(rotina));
}

} // namespace talvero
