#include "simulator/OpcoesSimulador.h"

#include "platform/Erro.h"

#include <QRegularExpression>
#include <cmath>

namespace talvero::sim {

namespace {

struct DefOpcao {
    const char* nome;
    const char* valor; // nullptr: a switch without value
    const char* descricao;
};

const DefOpcao kOpcoes[] = {
    {"pty", "LINK",
     "serve numa porta serial: cria um pseudo-terminal (modo cru) e põe em LINK um link simbólico "
     "para ele, por exemplo RAIZ/dev/COM3"},
    {"serial", "PORTA",
     "serve numa porta serial que já existe (COM4, /dev/ttyS1): uma ponta de um cabo null-modem "
     "ou de um par de portas virtuais, o agente na outra; 9600 8N1"},
    {"tcp", "HOST:PORTA",
     "serve em TCP; com a porta 0 o sistema escolhe uma livre, que é mostrada na partida"},
    {"layout", "52|75|34",
     "resposta de abastecimento: 52 padrão, 75 IdentFid (com cartão), 34 curta (padrão 52)"},
    {"casas-litragem", "2|3", "casas decimais dos litros nas respostas (padrão 3)"},
    {"casas-valor", "2|3", "casas decimais do preço unitário nas respostas (padrão 3)"},
    {"bicos", "LISTA",
     "bicos como codigo:produto:preco[:encerrante] separados por vírgula "
     "(padrão 01:1:5.79,02:2:3.89,03:3:5.99,04:1:5.79)"},
    {"taxa", "N", "abastecimentos iniciados por minuto, em média (padrão 2; 0 = nenhum)"},
    {"semente", "N", "semente do sorteio: a mesma semente dá o mesmo tráfego (padrão 1)"},
    {"rollover", nullptr,
     "os encerrantes voltam a zero em 1.000.000,00 litros; sem encerrante dado em --bicos "
     "começam em 999.900,00"},
    {"preco-zero", nullptr,
     "o preço unitário vai como 0000 (o agente o completa pelos seus cadastros)"},
    {"iniciais", "N", "abastecimentos já encerrados, à espera, na partida (padrão 0)"},
    {"script", "ARQUIVO",
     "repete respostas brutas de um arquivo: uma por linha, opcionalmente precedida dos "
     "segundos após a partida em que fica disponível; linhas vazias ou com # são ignoradas"},
    {"livro", "ARQUIVO",
     "livro de abastecimentos criados, entregues e confirmados (recriado na partida; "
     "também --ledger)"},
    {"livro-formato", "csv|jsonl",
     "formato do livro (padrão: jsonl quando o nome termina em .jsonl, senão csv; "
     "também --ledger-formato)"},
    {"resposta-relogio", "TEXTO",
     "resposta ao acerto de relógio: \"(0)(&H)\" (padrão) ou \"(&H)\""},
    {"cartoes", "N", "registros da tabela de cartões do IdentFid (padrão 100)"},
    {"cartao-andamento", "20|23|30",
     "tamanho da resposta do cartão no bico em andamento (padrão 20)"},
    {"checksum", "correto|diferente",
     "\"diferente\": as respostas somam também o \"(\" no checksum, que nunca "
     "confere com a regra do agente (padrão correto)"},
    {"firmware", "XXXX", "versão de firmware na resposta de versão (padrão 0412)"},
    {"monitor", "XXXX", "versão do software monitor na resposta de versão (padrão 0207)"},
    {"latencia", "MS",
     "tempo que o concentrador leva para começar a responder (padrão 30; também --atraso)"},
    {"latencia-variacao", "MS",
     "cada resposta começa num tempo sorteado por igual entre --latencia menos e mais MS, "
     "nunca abaixo de zero (padrão 0; o sorteio vem da --semente mas não muda o tráfego "
     "nem as falhas)"},
    {"baud", "N",
     "velocidade da linha, de 300 a 115200, 10 bits por caractere (9600: 52 caracteres "
     "levam 54 ms): a resposta sai aos poucos, até 8 bytes por escrita, cada escrita quando "
     "a linha teria passado o seu último byte; 0 = a resposta sai inteira de uma vez "
     "(padrão 0)"},
    {"duracao", "SEGUNDOS", "encerra sozinho depois desse tempo (padrão: só com Ctrl+C)"},
    {"falha-silencio", "P", "probabilidade (0 a 1) de um comando ficar sem resposta"},
    {"falha-atraso", "P", "probabilidade de uma resposta atrasar --atraso-falha milissegundos"},
    {"atraso-falha", "MS", "atraso das respostas atingidas por --falha-atraso (padrão 3000)"},
    {"falha-ruido", "P", "probabilidade de bytes de ruído antes de uma resposta"},
    {"falha-truncada", "P", "probabilidade de uma resposta sair cortada pela metade"},
    {"falha-adulterada", "P",
     "probabilidade de um dígito trocado num abastecimento, com o checksum original"},
    {"falha-partida", "P",
     "probabilidade de uma resposta sair em --pedacos pedaços, com uma pausa de "
     "--intervalo-pedacos entre um e outro além do tempo da linha"},
    {"pedacos", "N", "pedaços de uma resposta partida, de 2 a 5 (padrão 2)"},
    {"intervalo-pedacos", "MS", "pausa entre os pedaços de uma resposta partida (padrão 600)"},
    {"falha-confirmacao", "P",
     "probabilidade de um (&I) ser ignorado (o abastecimento é entregue de novo)"},
    {"falha-desconexao", "P",
     "probabilidade de um comando se perder com a queda da linha (TCP: a conexão "
     "cai; serial: a linha fica muda por 5 s)"},
    {"manual", "P",
     "probabilidade de um abastecimento ser feito com a automação desligada: o encerrante do "
     "bico anda, mas ele nunca é entregue (o livro o registra como manual)"},
    {"so-abastecimentos", nullptr, "as falhas atingem só as respostas que levam um abastecimento"},
    {"help", nullptr, "mostra esta ajuda (também -h)"},
    {"version", nullptr, "mostra a versão"},
};

[[noreturn]] void recusa(const QString& texto) {
    throw Erro(texto, erros::TiposIncompativeis);
}

// The names the options had before, still taken from scripts.
QString nomeAtual(const QString& nome) {
    if (nome == QLatin1String("ledger")) return QStringLiteral("livro");
    if (nome == QLatin1String("ledger-formato")) return QStringLiteral("livro-formato");
    if (nome == QLatin1String("atraso")) return QStringLiteral("latencia");
    return nome;
}

const DefOpcao* procura(const QString& nome) {
    for (const DefOpcao& d : kOpcoes)
        if (nome == QLatin1String(d.nome)) return &d;
    return nullptr;
}

long long inteiro(const QString& valor, const QString& opcao, long long minimo, long long maximo) {
    bool ok = false;
    const long long n = valor.toLongLong(&ok);
    if (!ok || n < minimo || n > maximo)
        recusa(QStringLiteral("Valor inválido para --%1: \"%2\" (esperado um inteiro de %3 a %4).")
                   .arg(opcao, valor)
                   .arg(minimo)
                   .arg(maximo));
    return n;
}

double numero(const QString& valor, const QString& opcao, double minimo, double maximo) {
    bool ok = false;
    const double n = QString(valor).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok || !std::isfinite(n) || n < minimo || n > maximo)
        recusa(QStringLiteral("Valor inválido para --%1: \"%2\" (esperado um número de %3 a %4).")
                   .arg(opcao, valor)
                   .arg(minimo)
                   .arg(maximo));
    return n;
}

QString escolha(const QString& valor, const QString& opcao, const QStringList& validos) {
    if (!validos.contains(valor))
        recusa(QStringLiteral("Valor inválido para --%1: \"%2\" (use %3).")
                   .arg(opcao, valor, validos.join(QLatin1Char('|'))));
    return valor;
}

void leTcp(OpcoesSimulador& o, const QString& valor) {
    const qsizetype dois = valor.lastIndexOf(QLatin1Char(':'));
    if (dois <= 0)
        recusa(QStringLiteral("Valor inválido para --tcp: \"%1\" (use HOST:PORTA).").arg(valor));
    o.tcpHost = valor.left(dois);
    o.tcpPorta = quint16(inteiro(valor.mid(dois + 1), QStringLiteral("tcp"), 0, 65535));
}

Falha probabilidade(const QString& valor, const QString& opcao) {
    Falha f;
    f.probabilidade = numero(valor, opcao, 0, 1);
    return f;
}

bool aplicaFalha(OpcoesSimulador& o, const QString& n, const QString& v) {
    PlanoFalhas& p = o.falhas;
    if (n == QLatin1String("falha-silencio"))
        p.silencio = probabilidade(v, n);
    else if (n == QLatin1String("falha-atraso"))
        p.atraso = probabilidade(v, n);
    else if (n == QLatin1String("atraso-falha"))
        p.atrasoMs = int(inteiro(v, n, 0, 600000));
    else if (n == QLatin1String("pedacos"))
        p.pedacos = int(inteiro(v, n, 2, 5));
    else if (n == QLatin1String("intervalo-pedacos"))
        p.intervaloPedacosMs = int(inteiro(v, n, 0, 600000));
    else if (n == QLatin1String("falha-ruido"))
        p.ruido = probabilidade(v, n);
    else if (n == QLatin1String("falha-truncada"))
        p.truncada = probabilidade(v, n);
    else if (n == QLatin1String("falha-adulterada"))
        p.adulterada = probabilidade(v, n);
    else if (n == QLatin1String("falha-partida"))
        p.partida = probabilidade(v, n);
    else if (n == QLatin1String("falha-confirmacao"))
        p.confirmacaoPerdida = probabilidade(v, n);
    else if (n == QLatin1String("falha-desconexao"))
        p.desconexao = probabilidade(v, n);
    else if (n == QLatin1String("manual"))
        p.manual = probabilidade(v, n);
    else
        return false;
    return true;
}

void aplicaResposta(OpcoesSimulador& o, const QString& n, const QString& v) {
    ConfiguracaoConcentrador& c = o.cfg;
    if (n == QLatin1String("layout"))
        c.leiaute = Leiaute(
            escolha(v, n, {QStringLiteral("52"), QStringLiteral("75"), QStringLiteral("34")})
                .toInt());
    else if (n == QLatin1String("casas-litragem"))
        c.casasLitragem = int(inteiro(v, n, 2, 3));
    else if (n == QLatin1String("casas-valor"))
        c.casasValor = int(inteiro(v, n, 2, 3));
    else if (n == QLatin1String("resposta-relogio"))
        c.respostaRelogio = escolha(v, n, {QStringLiteral("(0)(&H)"), QStringLiteral("(&H)")});
    else if (n == QLatin1String("cartoes"))
        c.tamanhoTabelaCartoes = int(inteiro(v, n, 1, 999999));
    else if (n == QLatin1String("cartao-andamento"))
        c.formatoCartaoAndamento = FormatoCartaoAndamento(
            escolha(v, n, {QStringLiteral("20"), QStringLiteral("23"), QStringLiteral("30")})
                .toInt());
    else if (n == QLatin1String("checksum"))
        c.checksum = escolha(v, n, {QStringLiteral("correto"), QStringLiteral("diferente")}) ==
                             QLatin1String("correto")
                         ? ModoChecksum::Correto
                         : ModoChecksum::SomaComParentese;
    else if (n == QLatin1String("firmware"))
        c.firmware = v;
    else if (n == QLatin1String("monitor"))
        c.monitor = v;
    else if (n == QLatin1String("latencia"))
        c.atrasoRespostaMs = int(inteiro(v, n, 0, 600000));
    else if (n == QLatin1String("latencia-variacao"))
        c.variacaoAtrasoMs = int(inteiro(v, n, 0, 600000));
    else if (n == QLatin1String("baud"))
        c.baud = int(inteiro(v, n, 0, kMaiorBaud));
    else
        aplicaFalha(o, n, v);
}

void aplica(OpcoesSimulador& o, const QString& n, const QString& v) {
    if (n == QLatin1String("help"))
        o.ajuda = true;
    else if (n == QLatin1String("version"))
        o.versao = true;
    else if (n == QLatin1String("pty"))
        o.pty = v;
    else if (n == QLatin1String("serial"))
        o.serial = v;
    else if (n == QLatin1String("tcp"))
        leTcp(o, v);
    else if (n == QLatin1String("bicos"))
        o.cfg.bicos = leBicos(v);
    else if (n == QLatin1String("taxa"))
        o.cfg.taxaPorMinuto = numero(v, n, 0, 6000);
    else if (n == QLatin1String("semente"))
        o.cfg.semente = std::uint64_t(inteiro(v, n, 0, 0x7fffffffffffffffLL));
    else if (n == QLatin1String("rollover"))
        o.cfg.viraNoMilhao = true;
    else if (n == QLatin1String("preco-zero"))
        o.cfg.precoZero = true;
    else if (n == QLatin1String("iniciais"))
        o.iniciais = int(inteiro(v, n, 0, 10000));
    else if (n == QLatin1String("script"))
        o.roteiro = v;
    else if (n == QLatin1String("livro"))
        o.livro = v;
    else if (n == QLatin1String("livro-formato"))
        o.formatoLivro =
            escolha(v, n, {QStringLiteral("csv"), QStringLiteral("jsonl")}) == QLatin1String("csv")
                ? FormatoLivro::Csv
                : FormatoLivro::JsonLinhas;
    else if (n == QLatin1String("duracao"))
        o.duracaoS = int(inteiro(v, n, 1, 365 * 24 * 3600));
    else if (n == QLatin1String("so-abastecimentos")) {
        for (Falha* f : {&o.falhas.silencio, &o.falhas.atraso, &o.falhas.ruido, &o.falhas.truncada,
                         &o.falhas.partida, &o.falhas.desconexao})
            f->soAbastecimentos = true;
    } else
        aplicaResposta(o, n, v);
}

// Totalizers given in --bicos stay as given; the others start just below the
// million when the counter rolls over there, so the rollover comes soon.
void ajustaVirada(OpcoesSimulador& o, const std::vector<bool>& encerranteDado) {
    if (!o.cfg.viraNoMilhao) return;
    if (o.cfg.bicos.empty()) o.cfg.bicos = bicosPadrao();
    for (std::size_t i = 0; i < o.cfg.bicos.size(); ++i)
        if (i >= encerranteDado.size() || !encerranteDado[i])
            o.cfg.bicos[i].encerrante = Moeda::deInteiro(999'900);
}

// The option at the left, its description wrapped in a column at the right.
QString quebraLinhas(const QString& esquerda, const QString& descricao) {
    constexpr qsizetype kColuna = 31;
    constexpr qsizetype kLargura = 79;
    QString t = esquerda.leftJustified(kColuna - 1) + QLatin1Char(' ');
    qsizetype usado = kColuna;
    if (esquerda.size() >= kColuna - 1) {
        t = esquerda + QLatin1Char('\n') + QString(kColuna, QLatin1Char(' '));
    }
    bool primeira = true;
    for (const QString& palavra : descricao.split(QLatin1Char(' '))) {
        if (!primeira && usado + 1 + palavra.size() > kLargura) {
            t += QLatin1Char('\n') + QString(kColuna, QLatin1Char(' '));
            usado = kColuna;
            primeira = true;
        }
        if (!primeira) {
            t += QLatin1Char(' ');
            ++usado;
        }
        t += palavra;
        usado += palavra.size();
        primeira = false;
    }
    return t + QLatin1Char('\n');
}

} // namespace

std::vector<BicoSimulado> leBicos(const QString& lista) {
    std::vector<BicoSimulado> bicos;
    for (const QString& item : lista.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList p = item.trimmed().split(QLatin1Char(':'));
        if (p.size() < 3 || p.size() > 4)
            recusa(QStringLiteral(
                       "Bico inválido em --bicos: \"%1\" (use codigo:produto:preco[:encerrante]).")
                       .arg(item));
        BicoSimulado b;
        b.codigo = p[0].toUpper();
        b.produto = int(inteiro(p[1], QStringLiteral("bicos"), 0, 99));
        try {
            b.preco = Moeda::deTexto(p[2]);
            if (p.size() == 4) b.encerrante = Moeda::deTexto(p[3]);
        } catch (const Erro&) {
            recusa(QStringLiteral("Número inválido no bico \"%1\" de --bicos.").arg(item));
        }
        bicos.push_back(b);
    }
    if (bicos.empty()) recusa(QStringLiteral("--bicos não tem nenhum bico."));
    return bicos;
}

OpcoesSimulador leOpcoes(const QStringList& argumentos) {
    OpcoesSimulador o;
    o.cfg.taxaPorMinuto = 2;
    bool formatoDado = false;
    std::vector<bool> encerranteDado;
    for (qsizetype i = 0; i < argumentos.size(); ++i) {
        const QString& arg = argumentos[i];
        if (arg == QLatin1String("-h")) {
            o.ajuda = true;
            continue;
        }
        if (!arg.startsWith(QLatin1String("--")))
            recusa(QStringLiteral("Argumento inesperado: \"%1\".").arg(arg));
        const qsizetype igual = arg.indexOf(QLatin1Char('='));
        const QString nome = nomeAtual(arg.mid(2, igual < 0 ? -1 : igual - 2));
        const DefOpcao* d = procura(nome);
        if (!d) recusa(QStringLiteral("Opção desconhecida: --%1.").arg(nome));
        QString valor;
        if (d->valor) {
            if (igual >= 0)
                valor = arg.mid(igual + 1);
            else if (i + 1 < argumentos.size())
                valor = argumentos[++i];
            else
                recusa(QStringLiteral("Falta o valor de --%1.").arg(nome));
        } else if (igual >= 0) {
            recusa(QStringLiteral("--%1 não leva valor.").arg(nome));
        }
        aplica(o, nome, valor);
        if (nome == QLatin1String("livro-formato")) formatoDado = true;
        if (nome == QLatin1String("bicos")) {
            encerranteDado.clear();
            for (const QString& item : valor.split(QLatin1Char(','), Qt::SkipEmptyParts))
                encerranteDado.push_back(item.count(QLatin1Char(':')) == 3);
        }
    }
    if (o.ajuda || o.versao) return o;
    if (o.pty.isEmpty() && o.serial.isEmpty() && !o.tcpHost)
        recusa(QStringLiteral("Informe --pty LINK, --serial PORTA ou --tcp HOST:PORTA."));
    if (!formatoDado && o.livro.endsWith(QLatin1String(".jsonl"), Qt::CaseInsensitive))
        o.formatoLivro = FormatoLivro::JsonLinhas;
    ajustaVirada(o, encerranteDado);
    valida(completa(o.cfg));
    return o;
}

std::vector<LinhaRoteiro> leRoteiro(const QString& texto) {
    std::vector<LinhaRoteiro> linhas;
    const QStringList todas = texto.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < todas.size(); ++i) {
        const QString linha = todas[i].trimmed();
        if (linha.isEmpty() || linha.startsWith(QLatin1Char('#'))) continue;
        LinhaRoteiro r;
        r.resposta = linha;
        if (linha.front().isDigit()) {
            const qsizetype espaco = linha.indexOf(QRegularExpression(QStringLiteral("\\s")));
            bool ok = false;
            const double segundos = espaco < 0 ? -1 : linha.left(espaco).toDouble(&ok);
            r.resposta = espaco < 0 ? QString() : linha.mid(espaco).trimmed();
            if (!ok || segundos < 0 || r.resposta.isEmpty())
                recusa(
                    QStringLiteral("Linha %1 do roteiro inválida: \"%2\".").arg(i + 1).arg(linha));
            r.aposMs = std::int64_t(std::llround(segundos * 1000));
        }
        linhas.push_back(r);
    }
    return linhas;
}

QString textoAjuda() {
    QString t = QStringLiteral(
        "Uso: concentrador-sim (--pty LINK | --serial PORTA | --tcp HOST:PORTA) [opções]\n"
        "\n"
        "Simula o concentrador de automação de bombas. Responde a todos os comandos do\n"
        "agente: pedido de abastecimento (&A) ou (&A67), confirmação (&I), andamento\n"
        "(&V), cartão no bico (?V95), acerto de relógio (&Hddhhmm), versão (&S) e os\n"
        "comandos de cartão do IdentFid (?F27G, (?F27A e (?LF. O abastecimento mais\n"
        "antigo é entregue de novo a cada pedido até ser confirmado. Comandos com\n"
        "checksum errado são ignorados.\n"
        "\n"
        "Opções:\n");
    for (const DefOpcao& d : kOpcoes) {
        QString esquerda = QStringLiteral("  --") + QLatin1String(d.nome);
        if (d.valor) esquerda += QLatin1Char(' ') + QLatin1String(d.valor);
        t += quebraLinhas(esquerda, QString::fromUtf8(d.descricao));
    }
    t += QStringLiteral(
        "\n"
        "Respostas de abastecimento (posições a partir de 1):\n"
        "  52: (TTTTTTLLLLLLPPPPVVCCCCBBDDHHMMNNRRRREEEEEEEEEESSKK)\n"
        "  75: (ATTTTTTLLLLLLPPPPVVCCCCBBDDHHMMNNRRRREEEEEEEEEESSIIIIIIIIIIIIIIIIMMMMPPKK)\n"
        "  34: (TTTTTTLLLLLLPPPPVVCCCCBBDDHHMMKK)  (sem encerrante; checksum em 32-33)\n"
        "  T total 4+2, L litros, P preço, V produto, C duração em segundos, B bico,\n"
        "  D H M dia, hora e minuto do relógio do concentrador, N 00, R número do\n"
        "  abastecimento, E encerrante 8+2, S 00, A 1 com cartão, I cartão, M 0000, P 00,\n"
        "  K checksum de tudo entre \"(\" e K; quando a soma daria 256 (\"100\"), S (V na\n"
        "  de 34) vai como 01 para o checksum caber em dois dígitos.\n"
        "  Sem abastecimento à espera: (0).\n"
        "\n"
        "Outras respostas:\n"
        "  (&V)    (0) sem abastecimento em andamento; senão \"(\" + bico + litros até\n"
        "          agora (6 dígitos) de cada bico em andamento + \")\"\n"
        "  (?V95)  (BB + cartão + ) com 20 caracteres, precedida de (0) (23) ou do\n"
        "          andamento do bico (30) conforme --cartao-andamento; (0) sem cartão\n"
        "  (&S)    51 caracteres: firmware em 40-43, monitor em 44-47\n"
        "  cartões 52 caracteres: posição em 4-9, segundo campo em 10-15 (igual à\n"
        "          posição, ou 999999 quando o registro tem outro cartão e nada foi\n"
        "          apagado), cartão em 16-31; (1) fora da tabela ou tabela cheia\n"
        "\n"
        "Livro (--livro): uma linha por evento (criado, entregue, confirmado,\n"
        "confirmacao_perdida, manual) com o abastecimento, o encerrante antes e depois,\n"
        "a resposta enviada e se ela foi íntegra.\n"
        "\n"
        "Na partida são mostrados o endereço TCP (\"Escutando em HOST:PORTA\") e o\n"
        "pseudo-terminal (\"Pseudo-terminal /dev/pts/N em LINK\").\n");
    return t;
}

} // namespace talvero::sim
