#include "requests/ClientePedido.h"

#include "platform/CodecAnsi.h"
#include "platform/Erro.h"
#include "platform/LeitorIni.h"
#include "platform/MapaCaminhos.h"
#include "support/Entradas.h"
#include "support/RotinasGerais.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostInfo>
#include <QRandomGenerator>
#include <QThread>
#include <algorithm>
#include <functional>

namespace talvero {

namespace {

constexpr int kEsperaPadrao = 10;
constexpr int kEsperaPesquisaCartao = 110; // the agent's card search lasts up to ~102 s
constexpr int kIntervaloMs = 20;           // the agent answers within ~60 ms of the request
constexpr int kTentativasId = 50;

const QString kSecaoPedido = QStringLiteral("PEDIDO AUTOMACAO");
const QString kSecaoRetorno = QStringLiteral("RETORNO AUTOMACAO");
const QString kSeparador = QStringLiteral("|@|");
const QString kInclui = QStringLiteral("AUTOMACAO INCLUI CARTAO");
const QString kExclui = QStringLiteral("AUTOMACAO EXCLUI CARTAO");
const QString kPesquisa = QStringLiteral("AUTOMACAO PESQUISA CARTAO");
const QString kNumeroCartao = QStringLiteral("AUTOMACAO NUMERO CARTAO");

QString juntaParametros(const QStringList& parametros) {
    QString junto;
    for (const QString& p : parametros)
        junto += p + kSeparador;
    return junto;
}

[[noreturn]] void recusa(const QString& descricao) {
    throw Erro(descricao, erros::ArgumentoInvalido);
}

// Whatever the agent would read differently from what was asked must not be sent.
void confereLeitura(const OpcoesPedido& o) {
    for (const QString& p : o.parametros)
        if (p.contains(kSeparador))
            recusa(QStringLiteral("um parâmetro não pode conter \"|@|\": ") + p);
    const QByteArray bytes = ClientePedido::conteudo(o.comando, o.origem, o.parametros);
    const std::pair<QString, QString> valores[] = {
        {QStringLiteral("Comando"), o.comando},
        {QStringLiteral("Parametro"), juntaParametros(o.parametros)}};
    for (const auto& [chave, valor] : valores) {
        const QString lido = LeIniDeTexto(bytes, kSecaoPedido, chave);
        if (lido != valor)
            recusa(
                QStringLiteral(
                    "valor inválido em %1 (o AutoTalvero leria \"%2\"): sem quebras de linha nem "
                    "espaços nas pontas, só caracteres do Windows-1252, até 254 caracteres")
                    .arg(chave, lido.size() > 60 ? lido.left(60) + QStringLiteral("…") : lido));
    }
}

// The agent sends no frame for a card or position it would refuse: say so here,
// before anything is left in its folder.
void confereCartao(const OpcoesPedido& o) {
    if (o.comando != kInclui && o.comando != kExclui && o.comando != kPesquisa) return;
    const qsizetype esperados = o.comando == kExclui ? 2 : 1;
    if (o.parametros.size() != esperados)
        recusa(QStringLiteral("%1 leva %2")
                   .arg(o.comando, esperados == 2 ? QStringLiteral("CARTAO e POSICAO")
                                                  : QStringLiteral("CARTAO")));
    if (!entradas::CartaoValido(o.parametros[0]))
        recusa(QStringLiteral("cartão inválido: %1 (16 letras ou dígitos, sem acentos nem espaços)")
                   .arg(entradas::Citado(o.parametros[0])));
    if (o.comando == kExclui && !entradas::PosicaoValida(o.parametros[1]))
        recusa(QStringLiteral("posição inválida: %1 (6 dígitos, como 000003)")
                   .arg(entradas::Citado(o.parametros[1])));
}

QString novoId() {
    static constexpr char kDigitos[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    QString id = QDateTime::currentDateTime().toString(QStringLiteral("yyMMddHHmmss"));
    for (int i = 0; i < 3; ++i)
        id += QLatin1Char(kDigitos[QRandomGenerator::global()->bounded(36)]);
    return id;
}

QString pastaLocal(const MapaCaminhos& caminhos, const QString& caminhoWindows) {
    return QDir::fromNativeSeparators(caminhos.local(caminhoWindows));
}

void exigePasta(const QString& pasta, const QString& descricao) {
    if (!QFileInfo(pasta).isDir())
        throw Erro(descricao + QStringLiteral(": ") + QDir::toNativeSeparators(pasta),
                   erros::CaminhoNaoEncontrado);
}

bool aguarda(QDeadlineTimer prazo, const std::function<bool()>& pronto) {
    for (;;) {
        if (pronto()) return true;
        if (prazo.hasExpired()) return false;
        QThread::msleep(
            static_cast<unsigned long>(std::min<qint64>(kIntervaloMs, prazo.remainingTime())));
    }
}

QString mostra(const QString& caminho) {
    return QDir::toNativeSeparators(caminho);
}

QString origemConferida(const QString& informada) {
    const QString origem = informada.isEmpty() ? QHostInfo::localHostName() : informada;
    if (!entradas::NomeComputadorValido(origem))
        recusa(
            QStringLiteral(
                "nome de computador inválido para Origem: \"%1\" (letras, dígitos, '-', '_' e '.', "
                "de 1 a 63 caracteres, sem começar com '.' ou '-' e sem \"..\")%2")
                .arg(origem,
                     informada.isEmpty() ? QStringLiteral("; informe-o com --origem") : QString()));
    return origem;
}

} // namespace

ClientePedido::ClientePedido(OpcoesPedido opcoes) : opcoes_(std::move(opcoes)) {
#ifndef Q_OS_WIN
    if (opcoes_.raiz.isEmpty())
        recusa(QStringLiteral("falta --root DIR (a pasta onde fica C:\\ da estação)"));
#endif
    opcoes_.comando = opcoes_.comando.trimmed();
    if (opcoes_.comando.isEmpty()) recusa(QStringLiteral("falta o comando"));
    opcoes_.origem = origemConferida(opcoes_.origem);
    if (!entradas::NomePastaValido(opcoes_.pasta))
        recusa(QStringLiteral("nome de pasta inválido: \"%1\"").arg(opcoes_.pasta));
    if (opcoes_.esperaSegundos < 0)
        recusa(QStringLiteral("o tempo de espera não pode ser negativo"));
    if (opcoes_.esperaSegundos == 0) opcoes_.esperaSegundos = esperaPadrao(opcoes_.comando);
    confereCartao(opcoes_);
    confereLeitura(opcoes_);
    const MapaCaminhos caminhos(opcoes_.raiz);
    pastaAgente_ = pastaLocal(caminhos, "C:\\" + opcoes_.pasta + "\\");
    pastaRetorno_ = pastaLocal(caminhos, "\\\\" + opcoes_.origem + "\\" + opcoes_.pasta + "\\");
}

bool ClientePedido::semResposta(const QString& comando) {
    return comando == QLatin1String("AUTOMACAO FECHA") ||
           comando == QLatin1String("AUTOMACAO PAUSA") ||
           comando == QLatin1String("AUTOMACAO LEITURA ENCERRANTE");
}

int ClientePedido::esperaPadrao(const QString& comando) {
    return comando == QLatin1String("AUTOMACAO PESQUISA CARTAO") ? kEsperaPesquisaCartao
                                                                 : kEsperaPadrao;
}

QByteArray ClientePedido::conteudo(const QString& comando, const QString& origem,
                                   const QStringList& parametros) {
    const QStringList linhas{QLatin1Char('[') + kSecaoPedido + QLatin1Char(']'),
                             QStringLiteral("Comando=") + comando,
                             QStringLiteral("Origem=") + origem,
                             QStringLiteral("Parametro=") + juntaParametros(parametros), QString()};
    return ansi::codifica(linhas.join(QStringLiteral("\r\n")));
}

int ClientePedido::executa(QTextStream& saida, QTextStream& erro) {
    exigePasta(pastaAgente_, QStringLiteral("a pasta de pedidos do AutoTalvero não existe"));
    const QString compartilhamento = "\\\\" + opcoes_.origem + "\\" + opcoes_.pasta;
    exigePasta(
        pastaRetorno_,
        QStringLiteral("a pasta onde o AutoTalvero escreve as respostas (o compartilhamento %1) "
                       "não existe")
            .arg(compartilhamento));
    const QString id = enviaPedido(conteudo(opcoes_.comando, opcoes_.origem, opcoes_.parametros));
    return semResposta(opcoes_.comando) ? aguardaRecolhimento(id, saida, erro)
                                        : aguardaResposta(id, saida, erro);
}

QString ClientePedido::enviaPedido(const QByteArray& bytes) {
    for (int tentativa = 0; tentativa < kTentativasId; ++tentativa) {
        const QString id = novoId();
        const bool emUso = QFile::exists(pedido(id)) || QFile::exists(retorno(id)) ||
                           QFile::exists(retorno(id, QStringLiteral(".TMP")));
        if (!emUso && escreveSemSobrescrever(id, bytes)) return id;
    }
    throw Erro(QStringLiteral("nenhum número de pedido livre em ") + mostra(pastaAgente_),
               erros::ChaveDuplicada);
}

// Written aside under a name the agent's "Pedido_*.AUT" never matches, then renamed:
// the agent never reads half a request, and a request of the same name is never replaced.
bool ClientePedido::escreveSemSobrescrever(const QString& id, const QByteArray& bytes) {
    QFile arquivo(temporario(id));
    if (!arquivo.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (QFile::exists(arquivo.fileName())) return false; // another requester drew the same id
        throw Erro(QStringLiteral("não foi possível criar %1: %2")
                       .arg(mostra(arquivo.fileName()), arquivo.errorString()),
                   erros::PermissaoNegada);
    }
    const bool escrito = arquivo.write(bytes) == bytes.size() && arquivo.flush();
    const QString falha = arquivo.errorString();
    arquivo.close();
    if (!escrito) {
        arquivo.remove();
        throw Erro(
            QStringLiteral("não foi possível gravar %1: %2").arg(mostra(arquivo.fileName()), falha),
            erros::ErroEntradaSaida);
    }
    if (arquivo.rename(pedido(id))) return true;
    const QString falhaNome = arquivo.errorString();
    arquivo.remove();
    if (QFile::exists(pedido(id))) return false;
    throw Erro(QStringLiteral("não foi possível dar o nome %1 ao pedido: %2")
                   .arg(mostra(pedido(id)), falhaNome),
               erros::ErroAcessoCaminho);
}

bool ClientePedido::leResposta(const QString& id, Resposta& resposta) const {
    QFile arquivo(retorno(id));
    if (!arquivo.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = arquivo.readAll();
    if (arquivo.error() != QFileDevice::NoError) return false;
    resposta = {LeIniDeTexto(bytes, kSecaoRetorno, QStringLiteral("Retorno")),
                LeIniDeTexto(bytes, kSecaoRetorno, QStringLiteral("Parametro"))};
    return true;
}

int ClientePedido::aguardaResposta(const QString& id, QTextStream& saida, QTextStream& erro) {
    Resposta resposta;
    if (aguarda(QDeadlineTimer(opcoes_.esperaSegundos * 1000LL),
                [&] { return leResposta(id, resposta); }))
        return informa(id, resposta, saida, erro);
    return semRespostaNoPrazo(id, erro);
}

// A paused agent answers these too, and leaves them waiting in its folder.
int ClientePedido::aguardaRecolhimento(const QString& id, QTextStream& saida, QTextStream& erro) {
    Resposta resposta;
    const bool recolhido = aguarda(QDeadlineTimer(opcoes_.esperaSegundos * 1000LL), [&] {
        return !QFile::exists(pedido(id)) || leResposta(id, resposta);
    });
    if (!recolhido) return semRespostaNoPrazo(id, erro);
    if (leResposta(id, resposta)) return informa(id, resposta, saida, erro);
    saida << "Pedido recolhido pelo AutoTalvero (" << opcoes_.comando << " não tem resposta).\n";
    return saidas_pedido::Ok;
}

// A request left behind would be acted on whenever the agent next runs: a stale
// "AUTOMACAO FECHA" or "AUTOMACAO PAUSA" would stop it right after a restart.
int ClientePedido::semRespostaNoPrazo(const QString& id, QTextStream& erro) {
    const QString prazo = QString::number(opcoes_.esperaSegundos);
    QFile pedidoDeixado(pedido(id));
    if (pedidoDeixado.remove()) {
        erro << "talvero-pedido: o AutoTalvero não recolheu o pedido em " << prazo
             << " s (está em execução? usa a pasta " << mostra(pastaAgente_)
             << "?); o pedido foi retirado.\n";
    } else if (pedidoDeixado.exists()) {
        erro << "talvero-pedido: o AutoTalvero não recolheu o pedido em " << prazo
             << " s e não foi possível retirá-lo (" << pedidoDeixado.errorString()
             << "): " << mostra(pedido(id)) << " ainda pode ser atendido.\n";
    } else {
        erro << "talvero-pedido: o AutoTalvero recolheu o pedido mas não respondeu em " << prazo
             << " s; uma resposta que chegue depois fica em " << mostra(retorno(id)) << ".\n";
    }
    return saidas_pedido::SemResposta;
}

int ClientePedido::informa(const QString& id, const Resposta& resposta, QTextStream& saida,
                           QTextStream& erro) const {
    saida << "Retorno: " << resposta.retorno << "\nParametro: " << resposta.parametro << '\n';
    // Kept by a paused agent for after the pause, when nobody waits for it any more.
    if (resposta.retorno == QLatin1String("AUTOMACAO EM PAUSA") && QFile::remove(pedido(id)))
        erro << "talvero-pedido: o AutoTalvero está em pausa; o pedido foi retirado.\n";
    QFile lida(retorno(id));
    if (!lida.remove())
        erro << "talvero-pedido: não foi possível apagar a resposta " << mostra(lida.fileName())
             << ": " << lida.errorString() << '\n';
    if (resposta.retorno != QLatin1String("OK")) return saidas_pedido::OutroRetorno;
    return explicaCartao(resposta.parametro, saida) ? saidas_pedido::Ok
                                                    : saidas_pedido::OutroRetorno;
}

bool ClientePedido::explicaCartao(const QString& resultado, QTextStream& saida) const {
    const QString& c = opcoes_.comando;
    if (c == kNumeroCartao) {
        saida << "Resultado: "
              << (resultado.isEmpty()
                      ? QStringLiteral("nenhum cartão lido num abastecimento em andamento")
                      : QStringLiteral("bico %1, cartão %2")
                            .arg(SeparaCampo(resultado, 1), SeparaCampo(resultado, 2)))
              << ".\n";
        return !resultado.isEmpty();
    }
    if (c != kInclui && c != kExclui && c != kPesquisa) return true;
    const QString posicao = SeparaCampo(resultado, 1);
    const bool feito = entradas::PosicaoValida(posicao);
    QString texto;
    if (feito && c == kInclui)
        texto = QStringLiteral("cartão gravado no IdentFid na posição ") + posicao;
    else if (feito && c == kExclui)
        texto =
            QStringLiteral("cartão excluído do IdentFid (posição %1)").arg(opcoes_.parametros[1]);
    else if (feito)
        texto = QStringLiteral("cartão encontrado no IdentFid na posição ") + posicao;
    else if (resultado == kSeparador && c == kPesquisa)
        texto = QStringLiteral("cartão não encontrado no IdentFid (registros 000000 a 000050)");
    else if (resultado == kSeparador)
        texto = QStringLiteral("o identificador não confirmou");
    else if (resultado.isEmpty() && c == kPesquisa)
        texto = QStringLiteral("sem resposta do identificador para algum registro; o cartão não "
                               "está nos que responderam");
    else if (resultado.isEmpty())
        texto = QStringLiteral("sem resposta do identificador");
    else
        texto = QStringLiteral("resposta que não diz o que foi feito");
    saida << "Resultado: " << texto << ".\n";
    return feito;
}

QString ClientePedido::pedido(const QString& id) const {
    return pastaAgente_ + "Pedido_" + id + ".AUT";
}

QString ClientePedido::temporario(const QString& id) const {
    return pastaAgente_ + "Pedido_" + id + ".TMP";
}

QString ClientePedido::retorno(const QString& id, const QString& extensao) const {
    return pastaRetorno_ + "Retorno_" + id + extensao;
}

} // namespace talvero
