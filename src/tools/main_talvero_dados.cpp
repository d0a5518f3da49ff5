// talvero-dados: the station technicians' tool for the station database. It
// reaches the database through section [BANCO DE DADOS] of the agent's INI file.
#include "cycle/ReprocessamentoRejeitados.h"
#include "platform/Conversoes.h"
#include "platform/Erro.h"
#include "platform/LeitorIni.h"
#include "platform/MapaCaminhos.h"
#include "platform/OperadorSemJanela.h"
#include "platform/RaizEstacao.h"
#include "platform/SistemaArquivosLocal.h"
#include "platform/TempoReal.h"
#include "store/Conexao.h"
#include "store/Esquema.h"
#include "store/Importacao.h"
#include "store/Listagem.h"
#include "store/Modelos.h"
#include "store/Valores.h"
#include "support/Entradas.h"
#include "support/Instalacao.h"
#include "tools/ComandoCentral.h"
#include "tools/ComandoLog.h"
#include "tools/ComandoSituacao.h"
#include "tools/RelatorioEncerrantes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>
#include <limits>
#include <optional>

using namespace talvero;

namespace {

constexpr int kSaidaErro = 1;
constexpr int kSaidaUso = 2;
constexpr int kSaidaLacunas = 3;

const char* const kAjuda = R"(uso: talvero-dados [--root DIR] COMANDO

Comandos:
  criar                    cria ou atualiza as tabelas do banco de dados
  importar PASTA           importa os cadastros dos arquivos CSV da PASTA, um por
                           tabela com o nome dela (Bico.csv, BicoAutomacao.csv,
                           Produto.csv, Estoque.csv, CartaoIdentFid.csv,
                           ParametroEmpresa.csv, EncerranteAtual.csv, ...)
  modelos PASTA            escreve na PASTA os modelos para montar um posto: um CSV
                           por cadastro (o cabeçalho e uma linha de exemplo comentada
                           com "#") e um AutoTalvero.INI com todas as chaves, o valor
                           padrão e o que cada uma quer dizer; não substitui arquivos
  abastecimentos [--csv] [--data AAAA-MM-DD]
                           lista os abastecimentos gravados (com --data, só
                           os desse dia)
  rejeitados [--csv]       lista as respostas do concentrador postas em quarentena
                           e as que já foram reprocessadas
  reprocessar [--id N]     lê de novo as respostas em quarentena (todas as que
                           esperam, ou só a de Id N) como o AutoTalvero lê, com a
                           configuração do AutoTalvero.INI, e grava como abastecimento
                           cada uma que agora pode ser lida (por exemplo depois de
                           cadastrar o código do bico em BicoAutomacao)
  encerrantes [--data AAAA-MM-DD | --de AAAA-MM-DD --ate AAAA-MM-DD]
              [--empresa N] [--csv]
                           confere os encerrantes de cada bico com os abastecimentos
                           gravados (hoje, se não houver data): cada abastecimento
                           deve começar onde o anterior do bico terminou; mostra por
                           bico e por produto os encerrantes inicial e final, os
                           litros pelos encerrantes e pelos abastecimentos, e cada
                           lacuna (litros que saíram do bico sem abastecimento
                           gravado: abastecimento perdido ou feito com a automação
                           desligada; negativa: abastecimento gravado duas vezes); o
                           primeiro abastecimento do período é comparado com o
                           último antes dele; empresa: a do AutoTalvero.INI
  situacao [--critico SEGUNDOS]
                           mostra a situação do AutoTalvero, do arquivo que ele
                           reescreve ao menos a cada 30 s
                           (C:\Talvero\AutoTalvero\AutoTalvero.situacao); não usa
                           o banco de dados; sai como os plugins de monitoração
                           (veja abaixo)
  log [--seguir] [ARQUIVO] mostra em UTF-8 o log horário do AutoTalvero, gravado em
                           Windows-1252: o ARQUIVO dado (caminho, ou nome na pasta
                           C:\Talvero\AutoTalvero) ou o AUTOMACAO_dd_mm_aaaa_HH.LOG
                           mais recente; com --seguir, continua mostrando o que é
                           acrescentado (e, sem ARQUIVO, passa ao log da hora
                           seguinte quando ele aparece), como tail -f, até Ctrl+C
  central publicar [--como PAPEL] [--limite-wal TAMANHO]
                           numa estação em PostgreSQL, prepara a central da rede:
                           confere wal_level = logical, limita o WAL que um slot de
                           replicação pode reter (max_slot_wal_keep_size, 4GB se o
                           servidor não tiver limite), cria o papel talvero_central
                           (replicação e leitura só das tabelas publicadas; a senha
                           é mostrada uma vez) e a publicação talvero_central de
                           Abastecimento, EncerranteAtual e AbastecimentoRejeitado;
                           rodado de novo, não muda nada; precisa de um superusuário
  central assinar NOME --servidor HOST [--porta N] --banco NOME
                  [--usuario PAPEL] [--arquivo-senhas ARQ] [--sslmode MODO]
                  [--como PAPEL]
                           na central (a raiz cujo INI aponta o banco central), cria
                           o esquema se preciso e a assinatura talvero_NOME da
                           estação (TLS: sslmode require ou mais); a senha vem do
                           arquivo de senhas ARQ (/var/lib/postgresql/.pgpass),
                           lido pelo servidor da central, nunca da linha de comando;
                           copia os registros que a estação já tem só se a central
                           não tiver nenhum da empresa dela; uma empresa que outra
                           assinatura já traz é recusada; com a assinatura já
                           criada, só a reativa se alguém a desativou
  central remover NOME [--sem-estacao] [--como PAPEL]
                           remove a assinatura e o slot dela na estação (com
                           --sem-estacao, só na central, e diz como descartar o slot)
  central situacao [--atraso SEGUNDOS]
                           na central, cada assinatura: ativa, conectada, segundos
                           desde a última mensagem da estação e bytes recebidos por
                           confirmar; sai como os plugins de monitoração: 0 em dia,
                           1 estação atrasada (nada dela há mais de --atraso s, 300
                           se omitido) ou sem conexão, 2 assinatura desativada ou
                           que falha a cada tentativa (por exemplo uma mudança de
                           esquema que a central não recebeu antes; uma assinatura
                           com erros é observada por cerca de 8,5 s), 3 nenhuma
                           assinatura ou central inalcançável

Opções:
  --root DIR   pasta onde ficam os caminhos do Windows (C:\... vira DIR/C/...);
               sem ela, /var/lib/autotalvero quando lá há uma estação instalada
               (o AutoTalvero.INI em C/Talvero/AutoTalvero); não use no Windows
  --csv        saída em CSV (separador vírgula, ponto decimal) em vez de tabela
  --id N       reprocessar só a resposta de Id N
  --data AAAA-MM-DD
               listar ou conferir só esse dia
  --de AAAA-MM-DD --ate AAAA-MM-DD
               conferir os encerrantes desses dias (inclusive)
  --empresa N  conferir os encerrantes da empresa N (um banco central tem várias)
  --como PAPEL central: conectar como esse papel do PostgreSQL (um superusuário)
               em vez do Usuario do INI
  --version    mostra a versão
  --help       mostra esta ajuda

O banco de dados é o da seção [BANCO DE DADOS] de C:\Talvero\AutoTalvero\AutoTalvero.INI
(Driver = SQLITE ou POSTGRESQL, Arquivo, Servidor, Porta, Banco, Usuario); sem ela,
o arquivo SQLite C:\Talvero\AutoTalvero\Talvero.db. Arquivo é um caminho do Windows
ou, no Linux, um caminho absoluto (/...) usado como está. A senha do PostgreSQL vem do
arquivo de senhas do PostgreSQL (.pgpass), do arquivo de serviços ou de PGPASSWORD.

Arquivos CSV: a primeira linha dá os nomes das colunas (as colunas-chave são
obrigatórias); uma linha que começa com "#" é comentário; campos separados por
vírgula, ou por ponto e vírgula quando o cabeçalho tiver um; texto em UTF-8 ou
Windows-1252; valores com ponto decimal ("5.79"); datas AAAA-MM-DD, horas HH:MM:SS.
Um registro cuja chave já existe é atualizado. Tudo é importado numa só transação:
com um erro, nada é gravado.

Código de saída:
  0  feito
  1  erro (banco de dados, arquivo)
  2  erro de uso (comando ou opção inválidos, data que não existe, falta --root
     sem estação instalada)
  3  encerrantes: há ao menos uma lacuna

Estados de saída de situacao (os dos plugins de monitoração):
  0  OK
  1  AVISO: automação pausada, respostas em quarentena, lacunas de encerrante hoje
     ou entradas recusadas na pasta de pedidos
  2  CRITICO: o AutoTalvero não está rodando (o processo terminou, ou o último
     sinal de vida tem mais de 90 s), o banco de dados está perdido (nada é
     gravado nem confirmado) ou, sem pausa, o concentrador calado ou o enlace
     perdido, sem resposta há mais de --critico segundos (60 se omitido)
  3  DESCONHECIDO: sem o arquivo de situação, arquivo ilegível ou uso errado
)";

struct Argumentos {
    QString raiz;
    QStringList comando;
    bool csv = false;
    bool ajuda = false;
    bool versao = false;
    std::optional<std::int64_t> id;
    std::optional<QDate> data;
    std::optional<QDate> de;
    std::optional<QDate> ate;
    std::optional<std::int16_t> empresa;
};

class ErroUso : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

QDate leData(const QStringList& args, qsizetype& i) {
    const QString opcao = args[i];
    if (++i >= args.size())
        throw ErroUso(("a opção " + opcao + " precisa de uma data (AAAA-MM-DD)").toStdString());
    const QDate d = QDate::fromString(args[i], QStringLiteral("yyyy-MM-dd"));
    if (!d.isValid())
        throw ErroUso(
            QStringLiteral("data inválida em %1: \"%2\" (use AAAA-MM-DD, por exemplo 2026-03-31)")
                .arg(opcao, entradas::SemControle(args[i]))
                .toStdString());
    return d;
}

std::optional<std::int16_t> leEmpresa(const QString& texto) {
    bool ok = false;
    const int n = texto.trimmed().toInt(&ok);
    if (!ok || n < std::numeric_limits<std::int16_t>::min() ||
        n > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(n);
}

Argumentos leArgumentos(const QStringList& args) {
    Argumentos a;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--root")) {
            if (++i >= args.size()) throw ErroUso("a opção --root precisa de uma pasta");
            a.raiz = args[i];
        } else if (arg == QLatin1String("--id")) {
            bool ok = false;
            a.id = ++i < args.size() ? args[i].toLongLong(&ok) : 0;
            if (!ok) throw ErroUso("a opção --id precisa do número da resposta");
        } else if (arg == QLatin1String("--data")) {
            a.data = leData(args, i);
        } else if (arg == QLatin1String("--de")) {
            a.de = leData(args, i);
        } else if (arg == QLatin1String("--ate")) {
            a.ate = leData(args, i);
        } else if (arg == QLatin1String("--empresa")) {
            a.empresa = ++i < args.size() ? leEmpresa(args[i]) : std::nullopt;
            if (!a.empresa)
                throw ErroUso("a opção --empresa precisa do código da empresa (um número)");
        } else if (arg == QLatin1String("--csv")) {
            a.csv = true;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            a.ajuda = true;
        } else if (arg == QLatin1String("--version") || arg == QLatin1String("-v")) {
            a.versao = true;
        } else if (arg.startsWith(QLatin1String("--"))) {
            throw ErroUso(("opção desconhecida: " + arg).toStdString());
        } else {
            a.comando << arg;
        }
    }
    return a;
}

QTextStream& saida() {
    static QTextStream s(stdout);
    return s;
}

QTextStream& erro() {
    static QTextStream s(stderr);
    return s;
}

void conecta(Conexao& conexao) {
    if (!conexao.Conecta())
        throw Erro(QStringLiteral("Não foi possível conectar ao banco de dados: ") +
                       conexao.ultimoErro(),
                   erros::BancoDeDados);
}

QList<importacao::ArquivoCsv> leArquivos(const QString& pasta) {
    const QDir dir(pasta);
    if (!dir.exists())
        throw Erro(QStringLiteral("Pasta não encontrada: ") + pasta, erros::CaminhoNaoEncontrado);
    QList<importacao::ArquivoCsv> arquivos;
    for (const QFileInfo& info :
         dir.entryInfoList({QStringLiteral("*.csv")}, QDir::Files, QDir::Name)) {
        QFile f(info.absoluteFilePath());
        if (!f.open(QIODevice::ReadOnly))
            throw Erro(
                QStringLiteral("Não foi possível ler %1: %2").arg(f.fileName(), f.errorString()),
                erros::PermissaoNegada);
        arquivos.append({info.fileName(), f.readAll()});
    }
    if (arquivos.isEmpty())
        throw Erro(QStringLiteral("Nenhum arquivo CSV em ") + pasta, erros::ArquivoNaoEncontrado);
    return arquivos;
}

void importar(Conexao& conexao, const QString& pasta) {
    const auto arquivos = leArquivos(pasta);
    conecta(conexao);
    for (const auto& r : importacao::importa(conexao, arquivos))
        saida() << r.tabela << ": " << r.registros << " registro(s) importado(s)\n";
    saida() << "Importação concluída: " << arquivos.size() << " arquivo(s).\n";
}

void lista(Conexao& conexao, const QString& nomeTabela, const QStringList& colunasTabela, bool csv,
           const QString& rotulo, const std::optional<listagem::Filtro>& filtro = std::nullopt) {
    conecta(conexao);
    const esquema::Tabela& tabela = *esquema::tabela(nomeTabela);
    if (csv) {
        saida() << listagem::comoCsv(listagem::linhas(conexao, tabela, {}, filtro));
        return;
    }
    const auto linhas = listagem::linhas(conexao, tabela, colunasTabela, filtro);
    saida() << listagem::comoTabela(linhas, tabela) << (linhas.size() - 1) << ' ' << rotulo << '\n';
}

// Its lines also go to the agent's log, beside the storage routine's own.
void reprocessar(Conexao& conexao, SistemaArquivosLocal& arquivos, std::optional<std::int64_t> id) {
    const Configuracao leitura = ReprocessamentoRejeitados::LeConfiguracao(arquivos);
    conecta(conexao);
    const RelogioSistema relogio;
    OperadorSemJanela operador({});
    RegistroEventos registro(relogio, arquivos, operador);
    registro.defineSaidaErro([](const QString&) {});
    ReprocessamentoRejeitados reprocessamento(conexao, registro, relogio, leitura);
    const auto resumo =
        reprocessamento.Reprocessa(id, [](const QString& linha) { saida() << linha << '\n'; });
    if (resumo.gravados + resumo.aEspera == 0 && !id)
        saida() << "Nenhuma resposta à espera em AbastecimentoRejeitado.\n";
    else if (resumo.gravados + resumo.aEspera > 0)
        saida() << "Reprocessamento concluído: " << resumo.gravados << " resposta(s) gravada(s), "
                << resumo.aEspera << " ainda à espera.\n";
}

// Written only into files that are not there: a template never replaces a
// register a technician has filled in.
void escreveModelos(const QString& pasta) {
    const QDir dir(pasta);
    if (!dir.mkpath(QStringLiteral(".")))
        throw Erro(QStringLiteral("Não foi possível criar a pasta ") + pasta,
                   erros::ErroAcessoCaminho);
    const auto modelos = modelos::arquivos();
    QStringList nomes;
    for (const auto& m : modelos) {
        if (QFileInfo::exists(dir.filePath(m.nome)))
            throw Erro(
                QStringLiteral("%1 já existe; nenhum modelo foi escrito (use uma pasta sem eles)")
                    .arg(QDir::toNativeSeparators(dir.filePath(m.nome))),
                erros::ArquivoJaExiste);
        nomes << m.nome;
    }
    for (const auto& m : modelos) {
        QFile f(dir.filePath(m.nome));
        if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
            f.write(m.conteudo) != m.conteudo.size() || !f.flush())
            throw Erro(QStringLiteral("Não foi possível escrever %1: %2")
                           .arg(f.fileName(), f.errorString()),
                       erros::ErroEntradaSaida);
    }
    saida() << "Modelos em " << QDir::toNativeSeparators(pasta) << ": "
            << nomes.join(QStringLiteral(", ")) << '\n'
            << "Nos CSV, tire o \"#\" da linha de exemplo e escreva os cadastros do posto; depois\n"
            << "talvero-dados importar " << QDir::toNativeSeparators(pasta) << '\n';
}

struct Uso {
    QString comando;
    qsizetype argumentos;
};

// Every command with the number of words it takes, the command included.
const Uso kComandos[] = {{QStringLiteral("criar"), 1},      {QStringLiteral("importar"), 2},
                         {QStringLiteral("modelos"), 2},    {QStringLiteral("abastecimentos"), 1},
                         {QStringLiteral("rejeitados"), 1}, {QStringLiteral("reprocessar"), 1},
                         {QStringLiteral("encerrantes"), 1}};

void confereUso(const Argumentos& a) {
    const QString comando = a.comando.value(0);
    if (a.id && comando != QLatin1String("reprocessar"))
        throw ErroUso("a opção --id é só do comando reprocessar");
    const bool encerrantes = comando == QLatin1String("encerrantes");
    if (a.data && comando != QLatin1String("abastecimentos") && !encerrantes)
        throw ErroUso("a opção --data é só dos comandos abastecimentos e encerrantes");
    if ((a.de || a.ate || a.empresa) && !encerrantes)
        throw ErroUso("as opções --de, --ate e --empresa são só do comando encerrantes");
    if (a.de.has_value() != a.ate.has_value()) throw ErroUso("use --de e --ate juntas");
    if (a.de && a.data) throw ErroUso("use --data ou --de e --ate, não as duas");
    if (a.de && *a.de > *a.ate) throw ErroUso("a data de --de vem depois da de --ate");
    for (const Uso& u : kComandos)
        if (u.comando == comando && u.argumentos == a.comando.size()) return;
    throw ErroUso(comando.isEmpty() ? "falta o comando"
                                    : ("comando inválido: " + a.comando.join(' ')).toStdString());
}

// Read as the agent reads it, so that both name the same company.
std::int16_t empresaDoIni(const SistemaArquivos& arquivos) {
    const QString texto = LeIni(arquivos, QStringLiteral("OUTRAS"),
                                QStringLiteral("Codigo da Empresa"), instalacao::kArquivoIni);
    try {
        return ConverteNumero(texto);
    } catch (const Erro&) {
        throw ErroUso(QStringLiteral("sem --empresa, e \"Codigo da Empresa\" de [OUTRAS] em %1 "
                                     "está fora da faixa: \"%2\"")
                          .arg(instalacao::kArquivoIni, entradas::SemControle(texto))
                          .toStdString());
    }
}

// 3 when a gap was found, so a script can tell the day needs a look.
int encerrantes(Conexao& conexao, const SistemaArquivos& arquivos, const Argumentos& a,
                const QDate& hoje) {
    const std::int16_t empresa = a.empresa ? *a.empresa : empresaDoIni(arquivos);
    const QDate de = a.de.value_or(a.data.value_or(hoje));
    const QDate ate = a.ate.value_or(de);
    conecta(conexao);
    const encerrantes::Relatorio r = encerrantes::calcula(conexao, empresa, de, ate);
    saida() << (a.csv ? relatorioEncerrantes::comoCsv(r)
                      : relatorioEncerrantes::comoTexto(r, empresa, de, ate));
    return r.lacunas.isEmpty() ? 0 : kSaidaLacunas;
}

int executaNaEstacao(const Argumentos& a, const QString& raiz) {
    const MapaCaminhos caminhos(raiz);
    SistemaArquivosLocal arquivos(caminhos);
    Conexao conexao(OpcoesBanco::doIni(arquivos, caminhos));
    const QString comando = a.comando.value(0);
    if (comando == QLatin1String("encerrantes"))
        return encerrantes(conexao, arquivos, a, RelogioSistema().agora().date());
    if (comando == QLatin1String("criar")) {
        conecta(conexao);
        saida() << "Banco de dados pronto (esquema versão " << esquema::kVersao
                << "): " << conexao.opcoes().destino() << '\n';
    } else if (comando == QLatin1String("importar")) {
        importar(conexao, a.comando[1]);
    } else if (comando == QLatin1String("abastecimentos")) {
        lista(conexao, QStringLiteral("Abastecimento"),
              {"Empresa", "Data", "Hora", "Bico", "Produto", "PrecoUnitario", "Quantidade",
               "ValorTotal", "Encerrante", "EncerranteInicial", "Cartao", "TempoAbastecimento",
               "RegistroAutomacao"},
              a.csv, QStringLiteral("abastecimento(s)"),
              a.data ? std::optional(
                           listagem::Filtro{QStringLiteral("Data"), valores::deData(*a.data)})
                     : std::nullopt);
    } else if (comando == QLatin1String("rejeitados")) {
        lista(conexao, QStringLiteral("AbastecimentoRejeitado"),
              {"Id", "Empresa", "DataHoraRecebido", "Erro", "Passo", "DataHoraReprocessado",
               "DataAbastecimento", "HoraAbastecimento", "BicoAbastecimento", "RegistroAutomacao"},
              a.csv, QStringLiteral("resposta(s) rejeitada(s)"));
    } else if (comando == QLatin1String("reprocessar")) {
        reprocessar(conexao, arquivos, a.id);
    }
    return 0;
}

int executa(const Argumentos& a) {
    confereUso(a);
    if (a.comando[0] == QLatin1String("modelos")) {
        escreveModelos(a.comando[1]);
        return 0;
    }
    const RaizEstacao raiz =
        RaizEstacao::escolhe(QStringLiteral("talvero-dados"), a.raiz, instalacao::kArquivoIni);
    if (!raiz.mensagem.isEmpty()) erro() << raiz.mensagem << Qt::endl;
    if (!raiz.encontrada) return kSaidaUso;
    return executaNaEstacao(a, raiz.raiz);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (situacao::pedida(app.arguments())) return situacao::executa(app.arguments());
    if (leituraLog::pedido(app.arguments())) return leituraLog::executa(app.arguments());
    if (comandoCentral::pedido(app.arguments())) return comandoCentral::executa(app.arguments());
    try {
        const Argumentos a = leArgumentos(app.arguments());
        if (a.ajuda) {
            saida() << QString::fromUtf8(kAjuda);
            return 0;
        }
        if (a.versao) {
            saida() << instalacao::kVersao << '\n';
            return 0;
        }
        return executa(a);
    } catch (const ErroUso& e) {
        erro() << "talvero-dados: " << QString::fromStdString(e.what())
               << "\n(use --help para ver os comandos)\n";
        return kSaidaUso;
    } catch (const Erro& e) {
        erro() << "talvero-dados: " << e.descricao() << '\n';
        return kSaidaErro;
    }
}
