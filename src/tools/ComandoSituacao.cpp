#include "tools/ComandoSituacao.h"

#include "platform/Erro.h"
#include "platform/MapaCaminhos.h"
#include "platform/ProcessoExiste.h"
#include "platform/RaizEstacao.h"
#include "platform/SistemaArquivosLocal.h"
#include "platform/TempoReal.h"
#include "store/SituacaoAgente.h"
#include "support/Instalacao.h"
#include "tools/LinhaComando.h"

#include <QTextStream>

namespace talvero::situacao {
namespace {

constexpr int kCriticoPadraoS = 60;
// A status file is a few hundred bytes; anything near this is not one.
constexpr qint64 kTamanhoMaximo = 64 * 1024;

struct Pedido {
    QString raiz;
    int criticoS = kCriticoPadraoS;
    QString erroUso;
};

Pedido lePedido(const QStringList& args) {
    const linhaComando::OpcaoComValor critico{
        QStringLiteral("--critico"),
        QStringLiteral("a opção --critico precisa de um número de segundos maior que zero"),
        [](const QString& valor) {
            bool ok = false;
            return valor.toInt(&ok) > 0 && ok;
        }};
    const linhaComando::LinhaLida l =
        linhaComando::le(args, {QStringLiteral("situacao"), {critico}, {}, 0});
    const QString segundos = l.valores.value(critico.nome);
    return {l.valores.value(QStringLiteral("--root")),
            segundos.isEmpty() ? kCriticoPadraoS : segundos.toInt(), l.erroUso};
}

Juizo ilegivel(const Erro& e, const QString& arquivo) {
    const bool falta =
        e.numero() == erros::ArquivoNaoEncontrado || e.numero() == erros::CaminhoNaoEncontrado;
    return {Estado::Desconhecido,
            {falta ? QStringLiteral("não há arquivo de situação em %1: o AutoTalvero nunca rodou "
                                    "com esta raiz, ou a "
                                    "raiz (--root) está errada")
                         .arg(arquivo)
                   : QStringLiteral("não foi possível ler %1: %2").arg(arquivo, e.descricao())}};
}

} // namespace

bool pedida(const QStringList& argumentos) {
    return linhaComando::comando(argumentos) == QLatin1String("situacao");
}

int executa(const QStringList& argumentos) {
    const QDateTime agora = RelogioSistema().agora();
    const Pedido pedido = lePedido(argumentos);
    Chaves chaves;
    Juizo juizo;
    if (!pedido.erroUso.isEmpty()) {
        juizo = {
            Estado::Desconhecido,
            {pedido.erroUso +
             QStringLiteral(" (uso: talvero-dados [--root DIR] situacao [--critico SEGUNDOS])")}};
    } else if (const RaizEstacao raiz = RaizEstacao::escolhe(QStringLiteral("talvero-dados"),
                                                             pedido.raiz, instalacao::kArquivoIni);
               !raiz.encontrada) {
        juizo = {Estado::Desconhecido, {raiz.mensagem.section(QStringLiteral(": "), 1)}};
    } else {
        if (!raiz.mensagem.isEmpty()) QTextStream(stderr) << raiz.mensagem << Qt::endl;
        const MapaCaminhos caminhos(raiz.raiz);
        try {
            chaves = le(SistemaArquivosLocal(caminhos).leRegular(instalacao::kArquivoSituacao,
                                                                 kTamanhoMaximo));
            juizo = julga(chaves, agora, pedido.criticoS, processoExiste);
        } catch (const Erro& e) {
            juizo = ilegivel(e, caminhos.local(instalacao::kArquivoSituacao));
        }
    }
    QTextStream saida(stdout);
    for (const QString& linha : relatorio(chaves, juizo, agora))
        saida << linha << '\n';
    return int(juizo.estado);
}

} // namespace talvero::situacao
