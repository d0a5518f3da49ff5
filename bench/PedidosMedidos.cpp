#include "PedidosMedidos.h"

#include "EstacaoMedida.h"
#include "platform/LeitorIni.h"
#include "requests/ClientePedido.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <stdexcept>

namespace talvero::medicao {

namespace {

constexpr int kPassoMs = 1;
const QString kSecaoRetorno = QStringLiteral("RETORNO AUTOMACAO");

void escreve(const QString& caminho, const QByteArray& bytes) {
    QFile f(caminho);
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error((caminho + QStringLiteral(": ") + f.errorString()).toStdString());
}

} // namespace

Requisitante::Requisitante(const EstacaoMedida& estacao)
    : pastaPedidos_(estacao.pastaPedidos() + QLatin1Char('/')),
      pastaRespostas_(estacao.pastaRespostas() + QLatin1Char('/')) {}

// Fifteen characters, as the agent cuts the id from the name; one per request.
QString Requisitante::novoId() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyMMddHHmmss")) +
           QStringLiteral("%1").arg(++sequencia_ % 1000, 3, 10, QLatin1Char('0'));
}

Atendimento Requisitante::pede(const QString& comando, const QStringList& parametros,
                               int limiteMs) {
    const QString id = novoId();
    const QString aparte = pastaPedidos_ + QStringLiteral("Pedido_") + id + QStringLiteral(".TMP");
    const QString pedido = pastaPedidos_ + QStringLiteral("Pedido_") + id + QStringLiteral(".AUT");
    const QString resposta =
        pastaRespostas_ + QStringLiteral("Retorno_") + id + QStringLiteral(".AUT");
    escreve(aparte, ClientePedido::conteudo(comando, EstacaoMedida::origemPedidos(), parametros));
    QElapsedTimer t;
    t.start();
    if (!QFile::rename(aparte, pedido))
        throw std::runtime_error(("não renomeou " + aparte).toStdString());
    Atendimento a;
    a.respondido = aguardaAte([&] { return QFile::exists(resposta); }, limiteMs, kPassoMs);
    a.ms = double(t.nsecsElapsed()) / 1e6;
    if (!a.respondido) {
        QFile::remove(pedido);
        return a;
    }
    QFile f(resposta);
    const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    a.retorno = LeIniDeTexto(bytes, kSecaoRetorno, QStringLiteral("Retorno"));
    a.parametro = LeIniDeTexto(bytes, kSecaoRetorno, QStringLiteral("Parametro"));
    f.remove();
    return a;
}

} // namespace talvero::medicao
