#include "simulator/FormatoRespostas.h"

#include "platform/CodecAnsi.h"
#include "platform/Erro.h"
#include "simulator/AritmeticaConcentrador.h"

namespace talvero::sim {

namespace {

std::int64_t potencia10(int n) {
    std::int64_t p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

QString fixo(const QString& valor, qsizetype largura, const char* campo) {
    if (valor.size() != largura)
        throw Erro(QStringLiteral("Campo %1 deve ter %2 caracteres: \"%3\".")
                       .arg(QLatin1String(campo))
                       .arg(largura)
                       .arg(valor),
                   erros::Estouro);
    return valor;
}

QString doisDigitos(int n) {
    return QString::number(n).rightJustified(2, QLatin1Char('0'));
}

// Index (0-based) where the fields shared by every layout start.
qsizetype inicioCampos(Leiaute leiaute) {
    return leiaute == Leiaute::IdentFid ? 2 : 1;
}

} // namespace

QString seisDigitos(int n) {
    return QString::number(n).rightJustified(6, QLatin1Char('0'));
}

QString digitosDe(Moeda valor, int inteiros, int decimais) {
    const std::int64_t passo = potencia10(4 - decimais);
    const std::int64_t v = valor.dezMilesimos();
    if (v < 0 || v % passo != 0 || v / passo >= potencia10(inteiros + decimais))
        throw Erro(QStringLiteral("Valor %1 não cabe em %2+%3 dígitos.")
                       .arg(valor.textoPonto(4))
                       .arg(inteiros)
                       .arg(decimais),
                   erros::Estouro);
    return QString::number(v / passo).rightJustified(inteiros + decimais, QLatin1Char('0'));
}

QString checksumResposta(const QString& corpo, ModoChecksum modo) {
    if (modo == ModoChecksum::Correto) return checksumDoCorpo(corpo);
    int soma = ansi::codigo(QLatin1Char('('));
    for (QChar c : corpo)
        soma = (soma + ansi::codigo(c)) % 256;
    return QString::number(soma, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

QString fechaResposta(QString corpo, qsizetype posicaoLivre, ModoChecksum modo) {
    if (somaDe256(corpo.mid(1))) {
        const QChar c = corpo.at(posicaoLivre);
        corpo[posicaoLivre] = c == QLatin1Char('9') ? QLatin1Char('8') : QChar(c.unicode() + 1);
    }
    return corpo + checksumResposta(corpo.mid(1), modo) + QLatin1Char(')');
}

QString formataAbastecimento(const CamposAbastecimento& c, Leiaute leiaute, int casasLitragem,
                             int casasValor, ModoChecksum modo) {
    const QString comuns = digitosDe(c.total, 4, 2) +
                           digitosDe(c.litros, 6 - casasLitragem, casasLitragem) +
                           digitosDe(c.preco, 4 - casasValor, casasValor) + fixo(c.v, 2, "V") +
                           fixo(c.duracao, 4, "C") + fixo(c.bico, 2, "B") + doisDigitos(c.dia) +
                           doisDigitos(c.hora) + doisDigitos(c.minuto);
    const QString meio =
        fixo(c.n, 2, "N") + fixo(c.r, 4, "R") + digitosDe(c.encerrante, 8, 2) + fixo(c.s, 2, "S");
    switch (leiaute) {
    case Leiaute::Padrao: {
        const QString corpo = QLatin1Char('(') + comuns + meio;
        return fechaResposta(corpo, corpo.size() - 1, modo);
    }
    case Leiaute::IdentFid: {
        const QString antes = QLatin1Char('(') + fixo(c.a, 1, "A") + comuns + meio;
        const QString corpo =
            antes + fixo(c.cartao, 16, "I") + fixo(c.m, 4, "M") + fixo(c.p, 2, "P");
        return fechaResposta(corpo, antes.size() - 1, modo);
    }
    case Leiaute::Curto:
        break;
    }
    const QString corpo = QLatin1Char('(') + comuns;
    return fechaResposta(corpo, 1 + 6 + 6 + 4 + 1, modo); // last character of V
}

std::optional<CamposAbastecimento> leAbastecimento(const QString& resposta, int casasLitragem,
                                                   int casasValor) {
    Leiaute leiaute;
    switch (resposta.size()) {
    case 52:
        leiaute = Leiaute::Padrao;
        break;
    case 75:
        leiaute = Leiaute::IdentFid;
        break;
    case 34:
        leiaute = Leiaute::Curto;
        break;
    default:
        return std::nullopt;
    }
    const qsizetype i = inicioCampos(leiaute);
    auto campo = [&](qsizetype deslocamento, qsizetype largura) {
        return resposta.mid(i + deslocamento, largura);
    };
    auto numero = [&](qsizetype deslocamento, qsizetype largura) {
        return campo(deslocamento, largura).toInt();
    };
    CamposAbastecimento c;
    try {
        c.total = Moeda::deDigitos(campo(0, 6), 2);
        c.litros = Moeda::deDigitos(campo(6, 6), casasLitragem);
        c.preco = Moeda::deDigitos(campo(12, 4), casasValor);
        if (leiaute != Leiaute::Curto) c.encerrante = Moeda::deDigitos(campo(36, 10), 2);
    } catch (const Erro&) {
        return std::nullopt;
    }
    c.v = campo(16, 2);
    c.duracao = campo(18, 4);
    c.bico = campo(22, 2);
    c.dia = numero(24, 2);
    c.hora = numero(26, 2);
    c.minuto = numero(28, 2);
    if (leiaute == Leiaute::Curto) return c;
    c.n = campo(30, 2);
    c.r = campo(32, 4);
    c.s = campo(46, 2);
    if (leiaute == Leiaute::IdentFid) {
        c.a = resposta.mid(1, 1);
        c.cartao = campo(48, 16);
        c.m = campo(64, 4);
        c.p = campo(68, 2);
    }
    return c;
}

QString formataVersao(const QString& firmware, const QString& monitor, ModoChecksum modo) {
    const QString nome =
        QStringLiteral("&SCONCENTRADOR SIMULADO").leftJustified(38, QLatin1Char(' '));
    const QString corpo = QLatin1Char('(') + nome + fixo(firmware, 4, "firmware") +
                          fixo(monitor, 4, "monitor") + QLatin1Char('0');
    return fechaResposta(corpo, corpo.size() - 1, modo);
}

QString formataCartao(QChar letra, int posicao, const QString& segundoCampo, const QString& cartao,
                      ModoChecksum modo) {
    const QString corpo = QStringLiteral("(?") + letra + seisDigitos(posicao) +
                          fixo(segundoCampo, 6, "segundo") + fixo(cartao, 16, "cartão") +
                          QString(18, QLatin1Char('0'));
    return fechaResposta(corpo, corpo.size() - 1, modo);
}

} // namespace talvero::sim
