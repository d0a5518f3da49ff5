// talvero-pedido: one request to the agent from the command line, for the builders
// of the other station programs and for the support technicians.
#include "platform/Erro.h"
#include "platform/RaizEstacao.h"
#include "requests/ClientePedido.h"
#include "support/Instalacao.h"

#include <QCoreApplication>
#include <QTextStream>
#include <stdexcept>

using namespace talvero;

namespace {

constexpr int kEsperaMaxima = 86400;

const char* const kAjuda =
    R"(uso: talvero-pedido [--root DIR] [--origem NOME] [--pasta NOME] [--espera SEGUNDOS] COMANDO [PARAMETRO...]

Envia um pedido ao AutoTalvero: grava Pedido_<id>.AUT na pasta dele, C:\<pasta>\, e
espera a resposta Retorno_<id>.AUT no compartilhamento deste computador, \\<origem>\<pasta>\.
O COMANDO vai num só argumento (entre aspas); cada PARAMETRO vai fechado por "|@|".

Comandos:
  "AUTOMACAO ATIVADA"                      o AutoTalvero está atendendo? (responde OK)
  "AUTOMACAO PAUSA"                        pausa a automação (sem resposta)
  "TIRA PAUSA AUTOMACAO"                   tira a pausa (responde OK)
  "AUTOMACAO FECHA"                        encerra o AutoTalvero (sem resposta)
  "AUTOMACAO LEITURA ENCERRANTE"           leitura dos encerrantes; o AutoTalvero encerra
                                           (sem resposta)
  "AUTOMACAO NUMERO CARTAO"                cartões IdentFid: o resultado vem em Parametro
  "AUTOMACAO INCLUI CARTAO" CARTAO
  "AUTOMACAO EXCLUI CARTAO" CARTAO POSICAO
  "AUTOMACAO PESQUISA CARTAO" CARTAO       (pode levar até 102 s)
CARTAO tem 16 letras ou dígitos (sem acentos nem espaços); POSICAO tem 6 dígitos
(000000 a 000050). Outro valor não é enviado (código de saída 3).
Em pausa, o AutoTalvero responde "AUTOMACAO EM PAUSA" a todo pedido que não seja
"TIRA PAUSA AUTOMACAO"; a um comando que não conhece, "COMANDO NAO RECONHECIDO".

Opções:
  --root DIR          pasta onde ficam os caminhos do Windows: C:\<pasta>\ é DIR/C/<pasta>/ e
                      \\<origem>\<pasta>\ é DIR/UNC/<origem>/<pasta>/; sem ela, /var/lib/autotalvero
                      quando lá há uma estação instalada (o AutoTalvero.INI em
                      C/Talvero/AutoTalvero); não use no Windows
  --origem NOME       nome deste computador, para onde vai a resposta (padrão: o nome do host)
  --pasta NOME        pasta dos pedidos e nome do compartilhamento (padrão: Automacao)
  --espera SEGUNDOS   quanto esperar pela resposta (padrão: 10 s; 110 s para
                      "AUTOMACAO PESQUISA CARTAO")
  --version           mostra a versão
  --help              mostra esta ajuda

Saída: "Retorno: ..." e "Parametro: ..." da resposta e, nos comandos de cartão, uma linha
"Resultado: ..." que diz o que o identificador fez. Nos comandos sem resposta, espera
só o AutoTalvero recolher o pedido. Um pedido não recolhido no prazo é retirado, para
não ser atendido mais tarde.

Código de saída:
  0  Retorno OK (ou, nos comandos sem resposta, pedido recolhido); nos comandos de
     cartão, só quando o identificador confirmou (gravado, excluído, encontrado, cartão lido)
  1  outro Retorno, ou comando de cartão que não fez o que foi pedido
  2  nenhuma resposta no prazo
  3  erro de uso ou falha local (falta --root sem estação instalada, pasta inexistente,
     sem permissão, ...): nenhum pedido fica

Exemplo:
  talvero-pedido --root /estacao "AUTOMACAO EXCLUI CARTAO" 1234567890123456 000003
)";

class ErroUso : public std::runtime_error {
public:
    explicit ErroUso(const QString& texto) : std::runtime_error(texto.toStdString()) {}
};

struct Argumentos {
    OpcoesPedido opcoes;
    bool ajuda = false;
    bool versao = false;
};

QString valorDe(const QStringList& args, qsizetype& i, const char* descricao) {
    if (++i >= args.size())
        throw ErroUso(QStringLiteral("a opção %1 precisa de %2").arg(args[i - 1], descricao));
    return args[i];
}

int segundos(const QString& texto) {
    bool ok = false;
    const int s = texto.toInt(&ok);
    if (!ok || s < 1 || s > kEsperaMaxima)
        throw ErroUso(QStringLiteral("--espera precisa de um número de segundos de 1 a %1: %2")
                          .arg(QString::number(kEsperaMaxima), texto));
    return s;
}

Argumentos leArgumentos(const QStringList& args) {
    Argumentos a;
    QStringList posicionais;
    bool soPosicionais = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (soPosicionais || !arg.startsWith(QLatin1String("--")) || arg == QLatin1String("-h"))
            posicionais << arg;
        else if (arg == QLatin1String("--"))
            soPosicionais = true;
        else if (arg == QLatin1String("--root"))
            a.opcoes.raiz = valorDe(args, i, "uma pasta");
        else if (arg == QLatin1String("--origem"))
            a.opcoes.origem = valorDe(args, i, "um nome de computador");
        else if (arg == QLatin1String("--pasta"))
            a.opcoes.pasta = valorDe(args, i, "um nome de pasta");
        else if (arg == QLatin1String("--espera"))
            a.opcoes.esperaSegundos = segundos(valorDe(args, i, "um número de segundos"));
        else if (arg == QLatin1String("--help"))
            a.ajuda = true;
        else if (arg == QLatin1String("--version"))
            a.versao = true;
        else
            throw ErroUso(QStringLiteral("opção desconhecida: ") + arg);
    }
    if (posicionais.value(0) == QLatin1String("-h")) a.ajuda = true;
    if (!a.ajuda && !a.versao && posicionais.isEmpty())
        throw ErroUso(QStringLiteral("falta o comando"));
    a.opcoes.comando = posicionais.value(0);
    a.opcoes.parametros = posicionais.mid(1);
    return a;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream saida(stdout);
    QTextStream erro(stderr);
    try {
        const Argumentos a = leArgumentos(app.arguments());
        if (a.ajuda) {
            saida << QString::fromUtf8(kAjuda);
            return saidas_pedido::Ok;
        }
        if (a.versao) {
            saida << instalacao::kVersao << '\n';
            return saidas_pedido::Ok;
        }
        OpcoesPedido opcoes = a.opcoes;
        const RaizEstacao raiz = RaizEstacao::escolhe(QStringLiteral("talvero-pedido"), opcoes.raiz,
                                                      instalacao::kArquivoIni);
        if (!raiz.mensagem.isEmpty()) erro << raiz.mensagem << Qt::endl;
        if (!raiz.encontrada) return saidas_pedido::Falha;
        opcoes.raiz = raiz.raiz;
        ClientePedido cliente(opcoes);
        return cliente.executa(saida, erro);
    } catch (const ErroUso& e) {
        erro << "talvero-pedido: " << QString::fromStdString(e.what())
             << "\n(use --help para ver as opções)\n";
    } catch (const Erro& e) {
        erro << "talvero-pedido: " << e.descricao() << '\n';
    }
    return saidas_pedido::Falha;
}
