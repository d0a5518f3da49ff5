#include "tools/ComandoCentral.h"

#include "platform/Erro.h"
#include "platform/MapaCaminhos.h"
#include "platform/RaizEstacao.h"
#include "platform/SistemaArquivosLocal.h"
#include "store/ReplicacaoCentral.h"
#include "store/SituacaoAgente.h"
#include "support/Entradas.h"
#include "support/Instalacao.h"
#include "tools/LinhaComando.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTextStream>
#include <QThread>

namespace talvero::comandoCentral {

namespace {

using linhaComando::OpcaoComValor;

constexpr int kSaidaErro = 1;
constexpr int kSaidaUso = 2;
constexpr int kAtrasoPadraoS = 300;
// Where Debian keeps the home of the user its PostgreSQL server runs as.
const QString kArquivoSenhasPadrao = QStringLiteral("/var/lib/postgresql/.pgpass");

class ErroUso : public std::runtime_error {
public:
    explicit ErroUso(const QString& texto) : std::runtime_error(texto.toStdString()) {}
};

QTextStream& saida() {
    static QTextStream s(stdout);
    return s;
}

bool numero(const QString& v, int minimo, int maximo) {
    bool ok = false;
    const int n = v.toInt(&ok);
    return ok && n >= minimo && n <= maximo;
}

OpcaoComValor opcao(const char* nome, const char* exigencia,
                    std::function<bool(const QString&)> aceita = {}) {
    return {QLatin1String(nome), QString::fromUtf8(exigencia), std::move(aceita)};
}

const QList<OpcaoComValor>& opcoes() {
    static const QList<OpcaoComValor> o{
        opcao("--servidor", "a opção --servidor precisa do endereço da estação"),
        opcao("--porta", "a opção --porta precisa de um número de 1 a 65535",
              [](const QString& v) { return numero(v, 1, 65535); }),
        opcao("--banco", "a opção --banco precisa do nome do banco da estação"),
        opcao("--usuario", "a opção --usuario precisa do papel da central na estação"),
        opcao("--como", "a opção --como precisa de um papel do PostgreSQL (por exemplo postgres)",
              [](const QString& v) {
                  return QRegularExpression(QStringLiteral("^[A-Za-z0-9_][A-Za-z0-9_.-]{0,62}\\z"))
                      .match(v)
                      .hasMatch();
              }),
        opcao("--arquivo-senhas", "a opção --arquivo-senhas precisa de um caminho"),
        opcao("--sslmode", "a opção --sslmode aceita require, verify-ca ou verify-full"),
        // Below a gigabyte a short outage of the central server would cost the slot.
        opcao("--limite-wal",
              "a opção --limite-wal precisa de um tamanho de 1GB para cima, como 4GB",
              [](const QString& v) {
                  return QRegularExpression(QStringLiteral("^[1-9][0-9]{0,4}(GB|TB)\\z"))
                      .match(v)
                      .hasMatch();
              }),
        opcao("--atraso", "a opção --atraso precisa de um número de segundos maior que zero",
              [](const QString& v) { return numero(v, 1, 1'000'000'000); }),
    };
    return o;
}

// Each subcommand with its free words and the options it takes.
struct Sub {
    const char* nome;
    bool comNome;
    QStringList aceitas;
};

const Sub kSubs[] = {
    {"publicar", false, {"--como", "--limite-wal"}},
    {"assinar",
     true,
     {"--servidor", "--porta", "--banco", "--usuario", "--arquivo-senhas", "--sslmode", "--como"}},
    {"remover", true, {"--como", "--sem-estacao"}},
    {"situacao", false, {"--atraso"}},
};

struct Pedido {
    QString raiz;
    const Sub* sub = nullptr;
    QString nome;
    QMap<QString, QString> valores;
    bool semEstacao = false;
    QString valor(const char* o) const { return valores.value(QLatin1String(o)); }
};

Pedido lePedido(const QStringList& args) {
    const linhaComando::LinhaLida l =
        linhaComando::le(args, {QStringLiteral("central"), opcoes(), {"--sem-estacao"}, 2});
    if (!l.erroUso.isEmpty()) throw ErroUso(l.erroUso);
    Pedido p;
    p.raiz = l.valores.value(QStringLiteral("--root"));
    p.valores = l.valores;
    p.semEstacao = !l.marcadas.isEmpty();
    const QString sub = l.livres.value(0);
    for (const Sub& s : kSubs)
        if (sub == QLatin1String(s.nome)) p.sub = &s;
    if (!p.sub)
        throw ErroUso(
            QStringLiteral("use central publicar, assinar NOME, remover NOME ou situacao"));
    if (p.sub->comNome != (l.livres.size() == 2))
        throw ErroUso(p.sub->comNome ? QStringLiteral("central %1 precisa do NOME da estação")
                                           .arg(QLatin1String(p.sub->nome))
                                     : QStringLiteral("argumento a mais: ") + l.livres.value(1));
    p.nome = l.livres.value(1);
    for (auto it = l.valores.cbegin(); it != l.valores.cend(); ++it)
        if (it.key() != QLatin1String("--root") && !p.sub->aceitas.contains(it.key()))
            throw ErroUso(QStringLiteral("a opção %1 não é de central %2")
                              .arg(it.key(), QLatin1String(p.sub->nome)));
    if (p.semEstacao && !p.sub->aceitas.contains(QStringLiteral("--sem-estacao")))
        throw ErroUso(QStringLiteral("a opção --sem-estacao é só de central remover"));
    if (p.sub->comNome && !central::nomeValido(p.nome))
        throw ErroUso(QStringLiteral("nome de estação inválido: %1 (use de 1 a 40 letras "
                                     "minúsculas sem acento, algarismos e _)")
                          .arg(entradas::Citado(p.nome)));
    return p;
}

OpcoesBanco opcoesDoIni(const QString& raiz) {
    const MapaCaminhos caminhos(raiz);
    const SistemaArquivosLocal arquivos(caminhos);
    OpcoesBanco o = OpcoesBanco::doIni(arquivos, caminhos);
    if (!o.erroConfiguracao.isEmpty()) throw Erro(o.erroConfiguracao, erros::ArgumentoInvalido);
    if (o.driver != OpcoesBanco::Driver::PostgreSQL)
        throw Erro(QStringLiteral("o banco desta raiz é SQLite (%1): a central e as estações que "
                                  "publicam para ela usam PostgreSQL ([BANCO DE DADOS] "
                                  "Driver=POSTGRESQL)")
                       .arg(o.arquivo),
                   erros::ArgumentoInvalido);
    return o;
}

void conecta(Conexao& c, const QString& onde) {
    if (!c.Conecta())
        throw Erro(QStringLiteral("Não foi possível conectar ao banco de dados %1: %2")
                       .arg(onde, c.ultimoErro()),
                   erros::BancoDeDados);
}

OpcoesBanco como(OpcoesBanco o, const Pedido& p) {
    if (!p.valor("--como").isEmpty()) o.usuario = p.valor("--como");
    return o;
}

void mostra(const QList<central::Passo>& passos) {
    bool mudou = false;
    for (const central::Passo& p : passos) {
        saida() << "  " << p.texto << '\n';
        mudou = mudou || p.mudou;
    }
    if (!mudou) saida() << "Nada mudou.\n";
}

int publicar(const Pedido& p) {
    const OpcoesBanco o = opcoesDoIni(p.raiz);
    // The agent's own role makes or upgrades the tables, so that they stay its own.
    Conexao agente(o);
    conecta(agente, QStringLiteral("da estação"));
    Conexao admin(como(o, p));
    conecta(admin, QStringLiteral("da estação"));
    const central::Publicacao pub = central::publica(admin, p.valor("--limite-wal"));
    saida() << "Estação " << o.destino() << ":\n";
    mostra(pub.passos);
    if (pub.senhaNova)
        saida() << "\nSenha do papel " << central::kPapel
                << " (anote: não é mostrada de novo): " << *pub.senhaNova << "\n"
                << "No servidor da central, escreva no arquivo de senhas do usuário do sistema\n"
                << "que roda o PostgreSQL (" << kArquivoSenhasPadrao
                << ", permissão 600) a linha\n  ENDERECO_DESTA_ESTACAO:" << o.porta << ':'
                << o.banco << ':' << central::kPapel << ':' << *pub.senhaNova << '\n';
    saida() << "\nDeixe o servidor da central entrar: listen_addresses em postgresql.conf e, em\n"
            << "pg_hba.conf, uma linha como\n  hostssl " << o.banco << ' ' << central::kPapel
            << " ENDERECO_DA_CENTRAL/32 scram-sha-256\n";
    return 0;
}

// Fields split at the ':' that no backslash escapes, as libpq reads them.
QStringList campos(const QString& linha) {
    QStringList r{QString()};
    for (qsizetype i = 0; i < linha.size(); ++i) {
        if (linha[i] == QLatin1Char('\\') && i + 1 < linha.size())
            r.last() += linha[++i];
        else if (linha[i] == QLatin1Char(':'))
            r << QString();
        else
            r.last() += linha[i];
    }
    return r;
}

QString comoEscrever(const central::Estacao& e) {
    return QStringLiteral(
               "\nEscreva nele a linha\n  %1:%2:%3:%4:SENHA\ncom a senha que central publicar "
               "mostrou na estação. O servidor da central lê esse arquivo: ele precisa ser do "
               "usuário do sistema que roda o PostgreSQL da central e ter permissão 600 (por "
               "exemplo: chown postgres: %5; chmod 600 %5).")
        .arg(e.servidor)
        .arg(e.porta)
        .arg(e.banco, e.usuario, e.arquivoSenhas);
}

// libpq ignores a file that others may read, so the server would find no password.
void confereArquivoSenhas(const central::Estacao& e) {
    QFile f(e.arquivoSenhas);
    const QFileInfo info(f);
    if (!info.isFile())
        throw Erro(QStringLiteral("não há arquivo de senhas em %1.").arg(e.arquivoSenhas) +
                       comoEscrever(e),
                   erros::ArquivoNaoEncontrado);
    const auto outros = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                        QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    if (info.permissions() & outros)
        throw Erro(QStringLiteral("%1 pode ser lido por outros usuários, e o PostgreSQL ignora um "
                                  "arquivo de senhas assim: chmod 600 %1")
                       .arg(e.arquivoSenhas),
                   erros::PermissaoNegada);
    if (!f.open(QIODevice::ReadOnly))
        throw Erro(
            QStringLiteral("não foi possível ler %1: %2").arg(e.arquivoSenhas, f.errorString()),
            erros::PermissaoNegada);
    if (!temEntrada(f.read(1024 * 1024), e.servidor, e.porta, e.banco, e.usuario))
        throw Erro(QStringLiteral("%1 não tem a senha da estação.").arg(e.arquivoSenhas) +
                       comoEscrever(e),
                   erros::ArgumentoInvalido);
}

central::Estacao estacaoPedida(const Pedido& p) {
    central::Estacao e;
    e.nome = p.nome;
    e.servidor = p.valor("--servidor");
    e.porta = p.valor("--porta").isEmpty() ? 5432 : p.valor("--porta").toInt();
    e.banco = p.valor("--banco");
    e.usuario = p.valor("--usuario").isEmpty() ? central::kPapel : p.valor("--usuario");
    e.arquivoSenhas =
        p.valor("--arquivo-senhas").isEmpty() ? kArquivoSenhasPadrao : p.valor("--arquivo-senhas");
    if (!p.valor("--sslmode").isEmpty()) e.sslmode = p.valor("--sslmode");
    return e;
}

int assinar(const Pedido& p) {
    const central::Estacao e = estacaoPedida(p);
    const OpcoesBanco o = opcoesDoIni(p.raiz);
    Conexao propria(o);
    conecta(propria, QStringLiteral("da central"));
    Conexao admin(como(o, p));
    conecta(admin, QStringLiteral("da central"));
    central::exigeSuperusuario(admin, QStringLiteral("central assinar"));
    saida() << "Central " << o.destino() << ":\n";
    if (central::existe(admin, e.assinatura())) {
        mostra({central::reativa(admin, e.assinatura())});
        return 0;
    }
    if (const QString erro = central::confere(e); !erro.isEmpty()) throw ErroUso(erro);
    confereArquivoSenhas(e);
    // Tables replicate by schema and name: the station's are where the central root's are.
    OpcoesBanco daEstacao = e.opcoes();
    daEstacao.esquema = o.esquema;
    Conexao estacao(daEstacao);
    conecta(estacao, QStringLiteral("da estação ") + e.nome);
    mostra(central::assina(admin, e, central::empresaDaEstacao(estacao)));
    return 0;
}

int remover(const Pedido& p) {
    OpcoesBanco o = opcoesDoIni(p.raiz);
    o.semEsquema = true; // as a superuser, tables made here would not be the INI role's
    Conexao admin(como(o, p));
    conecta(admin, QStringLiteral("da central"));
    central::exigeSuperusuario(admin, QStringLiteral("central remover"));
    saida() << "Central " << o.destino() << ":\n";
    try {
        mostra(central::remove(admin, p.nome, p.semEstacao));
    } catch (const ErroBanco& e) {
        throw Erro(e.descricao() +
                       QStringLiteral("\nSe a estação não responde mais: talvero-dados central "
                                      "remover %1 --sem-estacao (e o slot dela fica por descartar "
                                      "na estação)")
                           .arg(p.nome),
                   e.numero());
    }
    return 0;
}

QString linhaDe(const central::Assinatura& a) {
    QStringList partes;
    partes << (a.empresa ? QStringLiteral("empresa %1").arg(*a.empresa)
                         : QStringLiteral("empresa desconhecida"));
    partes << (!a.ativa      ? QStringLiteral("desativada")
               : a.conectada ? QStringLiteral("ativa, conectada")
                             : QStringLiteral("ativa, sem conexão com a estação"));
    if (a.copiando) partes << QStringLiteral("copiando os registros que a estação já tinha");
    partes << (a.ultimaMensagemS ? QStringLiteral("última mensagem há %1 s").arg(*a.ultimaMensagemS)
                                 : QStringLiteral("última mensagem: —"));
    partes << (a.pendenteBytes
                   ? QStringLiteral("%1 byte(s) recebidos por confirmar").arg(*a.pendenteBytes)
                   : QStringLiteral("bytes por confirmar: —"));
    if (a.erros > 0) partes << QStringLiteral("%1 erro(s) desde o início").arg(a.erros);
    return a.nome + QStringLiteral(": ") + partes.join(QStringLiteral(", "));
}

// A change the central server cannot apply fails again at each of the server's retries;
// a connection lost once (the station's server restarted) does not. So a subscription
// with errors is watched for a retry and a half.
QSet<QString> comErrosRepetidos(Conexao& c, const QList<central::Assinatura>& lista) {
    QMap<QString, qint64> antes;
    for (const central::Assinatura& a : lista)
        if (a.ativa && a.erros > 0) antes[a.nome] = a.erros;
    QSet<QString> repetidos;
    if (antes.isEmpty()) return repetidos;
    const QDeadlineTimer prazo(central::intervaloNovaTentativaMs(c) * 3 / 2 + 1000);
    while (!prazo.hasExpired() && repetidos.size() < antes.size()) {
        QThread::msleep(500);
        for (const central::Assinatura& a : central::assinaturas(c))
            if (antes.contains(a.nome) && a.erros > antes[a.nome]) repetidos.insert(a.nome);
    }
    return repetidos;
}

// The monitoring plugins' states: 0 OK, 1 behind or unreachable, 2 disabled or failing at
// every retry, 3 unknown.
int situacao(const Pedido& p) {
    const int atraso = p.valor("--atraso").isEmpty() ? kAtrasoPadraoS : p.valor("--atraso").toInt();
    // A monitoring check never creates nor upgrades the central tables.
    OpcoesBanco o = opcoesDoIni(p.raiz);
    o.semEsquema = true;
    Conexao c(o);
    conecta(c, QStringLiteral("da central"));
    const QList<central::Assinatura> lista = central::assinaturas(c);
    const QSet<QString> falhando = comErrosRepetidos(c, lista);
    int estado = lista.isEmpty() ? 3 : 0;
    QStringList motivos;
    if (lista.isEmpty()) motivos << QStringLiteral("nenhuma assinatura talvero_ nesta central");
    for (const central::Assinatura& a : lista) {
        if (!a.ativa) {
            estado = 2;
            motivos.prepend(a.nome + QStringLiteral(" desativada: reative com central assinar ") +
                            a.nome.mid(8));
        } else if (falhando.contains(a.nome)) {
            estado = 2;
            motivos.prepend(a.nome +
                            QStringLiteral(" falha a cada tentativa de aplicar o que a "
                                           "estação manda (por exemplo uma mudança de "
                                           "esquema que a central não recebeu antes): veja "
                                           "o log do PostgreSQL da central e atualize a "
                                           "central; ela continua sozinha"));
        } else if (!a.conectada || a.ultimaMensagemS.value_or(0) > atraso) {
            estado = std::max(estado, 1);
            motivos << a.nome + (a.conectada ? QStringLiteral(" atrasada: nada da estação há %1 s")
                                                   .arg(*a.ultimaMensagemS)
                                             : QStringLiteral(" sem conexão com a estação"));
        } else if (a.copiando) {
            estado = std::max(estado, 1);
            motivos << a.nome +
                           QStringLiteral(" ainda copiando os registros que a estação já tinha");
        }
    }
    saida() << "CENTRAL " << talvero::situacao::nomeDoEstado(talvero::situacao::Estado(estado))
            << " - "
            << (motivos.isEmpty() ? QStringLiteral("%1 estação(ões) em dia").arg(lista.size())
                                  : motivos.join(QStringLiteral("; ")))
            << '\n';
    for (const central::Assinatura& a : lista)
        saida() << linhaDe(a) << '\n';
    return estado;
}

int executaPedido(const Pedido& p) {
    const QString sub = QLatin1String(p.sub->nome);
    if (sub == QLatin1String("publicar")) return publicar(p);
    if (sub == QLatin1String("assinar")) return assinar(p);
    if (sub == QLatin1String("remover")) return remover(p);
    return situacao(p);
}

} // namespace

bool pedido(const QStringList& argumentos) {
    return linhaComando::comando(argumentos) == QLatin1String("central");
}

bool temEntrada(const QByteArray& arquivo, const QString& servidor, int porta, const QString& banco,
                const QString& usuario) {
    const QStringList procurados{servidor, QString::number(porta), banco, usuario};
    for (const QByteArray& bruta : arquivo.split('\n')) {
        const QString linha = QString::fromUtf8(bruta).trimmed();
        if (linha.isEmpty() || linha.startsWith(QLatin1Char('#'))) continue;
        const QStringList c = campos(linha);
        if (c.size() < 5) continue;
        bool serve = true;
        for (int i = 0; i < 4; ++i)
            serve = serve && (c[i] == QLatin1String("*") || c[i] == procurados[i]);
        if (serve) return true;
    }
    return false;
}

int executa(const QStringList& argumentos) {
    bool situacaoPedida = argumentos.contains(QStringLiteral("situacao"));
    try {
        Pedido p = lePedido(argumentos);
        situacaoPedida = QLatin1String(p.sub->nome) == QLatin1String("situacao");
        const RaizEstacao raiz =
            RaizEstacao::escolhe(QStringLiteral("talvero-dados"), p.raiz, instalacao::kArquivoIni);
        if (!raiz.mensagem.isEmpty()) QTextStream(stderr) << raiz.mensagem << Qt::endl;
        if (!raiz.encontrada) return situacaoPedida ? 3 : kSaidaUso;
        p.raiz = raiz.raiz;
        return executaPedido(p);
    } catch (const ErroUso& e) {
        QTextStream(stderr) << "talvero-dados: " << QString::fromStdString(e.what())
                            << "\n(use --help para ver os comandos)\n";
        return situacaoPedida ? 3 : kSaidaUso;
    } catch (const Erro& e) {
        if (situacaoPedida) {
            saida() << "CENTRAL DESCONHECIDO - " << entradas::SemControle(e.descricao()) << '\n';
            return 3;
        }
        QTextStream(stderr) << "talvero-dados: " << e.descricao() << '\n';
        return kSaidaErro;
    }
}

} // namespace talvero::comandoCentral
