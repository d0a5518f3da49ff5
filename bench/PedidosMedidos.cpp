#include "PedidosMedidos.h"

#include "EstacaoMedida.h"
#include "platform/LeitorIni.h"
#include "requests/ClientePedido.h"

#include <QDateTime>
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

Requisitante::Pedido Requisitante::envia(const QString& comando, const QStringList& parametros) {
    const QString id = novoId();
    const QString aparte = pastaPedidos_ + QStringLiteral("Pedido_") + id + QStringLiteral(".TMP");
    Pedido p{pastaPedidos_ + QStringLiteral("Pedido_") + id + QStringLiteral(".AUT"),
             pastaRespostas_ + QStringLiteral("Retorno_") + id + QStringLiteral(".AUT"),
             {}};
    escreve(aparte, ClientePedido::conteudo(comando, EstacaoMedida::origemPedidos(), parametros));
    p.desde.start();
    if (!QFile::rename(aparte, p.pedido))
        throw std::runtime_error(("não renomeou " + aparte).toStdString());
    return p;
}

bool Requisitante::chegou(const Pedido& p, Atendimento& a) {
    if (!QFile::exists(p.resposta)) return false;
    a.respondido = true;
    a.ms = double(p.desde.nsecsElapsed()) / 1e6;
    QFile f(p.resposta);
    const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    a.retorno = LeIniDeTexto(bytes, kSecaoRetorno, QStringLiteral("Retorno"));
    a.parametro = LeIniDeTexto(bytes, kSecaoRetorno, QStringLiteral("Parametro"));
    f.remove();
    return true;
}

Atendimento Requisitante::desiste(const Pedido& p) {
    QFile::remove(p.pedido);
    Atendimento a;
    a.ms = double(p.desde.nsecsElapsed()) / 1e6;
    return a;
}

Atendimento Requisitante::pede(const QString& comando, const QStringList& parametros,
                               int limiteMs) {
    const Pedido p = envia(comando, parametros);
    Atendimento a;
    return aguardaAte([&] { return chegou(p, a); }, limiteMs, kPassoMs) ? a : desiste(p);
}

} // namespace talvero::medicao
