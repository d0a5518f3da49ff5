#include "store/Modelos.h"

#include "platform/CodecAnsi.h"
#include "store/Esquema.h"
#include "support/Instalacao.h"

#include <QStringList>

namespace talvero::modelos {

namespace {

// Comment lines hold no ',' nor ';': a spreadsheet that saves the file again
// would quote them, and a quoted line is no comment.
struct Cadastro {
    const char* tabela;
    const char* significado;
    const char* exemplo;
};

const Cadastro kCadastros[] = {
    {"BicoAutomacao",
     "BicoAutomacao - o código de dois caracteres com que o concentrador chama cada bico (Codigo) "
     "e o número do bico "
     "no posto (Bico). Um abastecimento de código fora desta tabela fica em quarentena",
     "01,1"},
    {"Bico",
     "Bico - cada bico do posto: o produto que ele vende e um complemento livre (a ilha por "
     "exemplo). Empresa é o "
     "Codigo da Empresa do AutoTalvero.INI",
     "1,1,1,ILHA 1"},
    {"Produto", "Produto - cada produto e o seu preço de venda (ponto decimal)", "1,5.79"},
    {"Estoque",
     "Estoque - o produto no posto. Um PrecoVenda diferente de 0 vale no lugar do preço do "
     "Produto. Sem esta linha o "
     "abastecimento fica com preço 0",
     "1,1,0"},
    {"EncerranteAtual",
     "EncerranteAtual - o encerrante de cada bico (litros com ponto decimal). O AutoTalvero o "
     "atualiza a cada "
     "abastecimento",
     "1,1,0"},
    {"CartaoIdentFid",
     "CartaoIdentFid - os cartões de fidelidade IdentFid (16 letras ou dígitos) e o código que vai "
     "no abastecimento. "
     "Só com Usar IdentFID em SIM",
     "1,0123456789ABCDEF,1"},
    {"ParametroEmpresa",
     "ParametroEmpresa - parâmetros numerados do posto. O AutoTalvero lê só o de Numero 2: o seu "
     "Valor (um número "
     "inteiro) vai em ValorParametro de cada abastecimento (1 quando falta)",
     "1,2,1"},
};

QString cabecalho(const esquema::Tabela& tabela) {
    QStringList nomes;
    for (const esquema::Coluna& c : tabela.colunas)
        if (c.tipo != esquema::Tipo::Identidade) nomes << c.nome;
    return nomes.join(QLatin1Char(','));
}

QByteArray csv(const Cadastro& c) {
    const QStringList linhas{QStringLiteral("# ") + QString::fromUtf8(c.significado),
                             cabecalho(*esquema::tabela(QLatin1String(c.tabela))),
                             QLatin1Char('#') + QLatin1String(c.exemplo), QString()};
    return linhas.join(QStringLiteral("\r\n")).toUtf8();
}

// Comment lines hold no '=': the reader would take them for a key.
const char* const kIni =
    R"(; AutoTalvero.INI - a configuração do AutoTalvero (texto Windows-1252). Ele só lê este arquivo
; e só na partida: uma mudança vale a partir da próxima. Cada chave traz o seu valor padrão e uma
; linha sobre o que ela quer dizer. As marcas valem só quando escritas SIM (em maiúsculas).

[OUTRAS]
; Número de bicos do posto (só fica registrado).
Quantidade de Bicos=0
; Código da empresa (o posto): a coluna Empresa de todos os cadastros e abastecimentos (sem a chave: 0).
Codigo da Empresa=1
; Nome do posto: vai no aviso por e-mail.
Nome da Empresa=
; SIM: o log traz também cada troca com o concentrador (muito maior).
Criar Log Timer=NAO
; Por quantos dias os logs horários AUTOMACAO_dd_mm_aaaa_HH.LOG ficam na pasta (0 guarda todos).
Dias de Log=90

[EMAIL]
; Obrigatório: um número inteiro (0 quando não há mensagem aberta). Sem ele o AutoTalvero não parte.
Numero do Email=0
; SIM: o aviso por e-mail é gravado como concluído.
Concluido=NAO
; Remetente do aviso gravado quando o banco de dados não responde na partida.
Nome do Remetente=
; Endereço do remetente desse aviso.
Email do Remetente=
; Primeiro destinatário do aviso.
Email do Destinatario 1=
; Segundo destinatário do aviso.
Email do Destinatario 2=

[AUTOMACAO]
; SIM: o concentrador pela biblioteca concentrador.dll; outro valor: pela porta serial própria a 9600 8N1.
Usar Dll da Company=NAO
; SIM: o identificador de cartões IdentFid está em uso.
Usar IdentFID=NAO
; SIM: cada espera do agente por uma resposta do concentrador dura o tempo todo (1 ou 2 s); outro valor: termina quando a resposta chega inteira.
Espera Fixa=NAO
; SIM: enquanto o concentrador tem abastecimentos à espera, pede o próximo a cada 500 ms (as consultas de andamento esperam); outro valor: um a cada 2,5 s.
Descarga Rapida=NAO
; Casas decimais dos litros nas respostas do concentrador: 2 ou 3 (0 ou vazio vale 3).
Casas decimais da litragem=3
; Casas decimais dos valores nas respostas do concentrador: 2 ou 3 (0 ou vazio vale 3).
Casas decimais do valor=3
; COMn (COM1 é /dev/ttyS0) ou um dispositivo serial (/dev/serial/by-id/... ou /dev/ttyUSB0); com a DLL também o endereço do concentrador (host ou host:porta).
Porta de Comunicacao=COM1

[LOCALIZACAO]
; Pasta dos pedidos dos outros programas do posto (C:\<nome>\) e nome do compartilhamento das respostas.
Pasta da automacao=Automacao
; O único computador que roda a automação: o nome deste (o comando hostname).
Computador com automacao=

[BANCO DE DADOS]
; SQLITE (um arquivo) ou POSTGRESQL (um servidor).
Driver=SQLITE
; SQLite: o arquivo do banco; um caminho do Windows (C:\...) ou no Linux um caminho absoluto (/...) usado como está.
Arquivo=C:\Talvero\AutoTalvero\Talvero.db
; PostgreSQL: o servidor (a senha vem do .pgpass ou de PGPASSWORD e nunca deste arquivo).
Servidor=
; PostgreSQL: a porta do servidor.
Porta=5432
; PostgreSQL: o banco de dados.
Banco=
; PostgreSQL: o usuário.
Usuario=
; PostgreSQL: o esquema (vazio: o search_path do servidor).
Esquema=
)";

} // namespace

QList<Arquivo> arquivos() {
    QList<Arquivo> r;
    for (const Cadastro& c : kCadastros)
        r.append({QLatin1String(c.tabela) + QStringLiteral(".csv"), csv(c)});
    QString ini = QString::fromUtf8(kIni);
    ini.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    r.append({QStringLiteral("AutoTalvero.INI"), ansi::codifica(ini)});
    return r;
}

} // namespace talvero::modelos
