#include "platform/LeitorIni.h"

#include "platform/CodecAnsi.h"
#include "platform/Erro.h"

#include <QRegularExpression>
#include <optional>

namespace talvero {

namespace {

// The value buffer of the private-profile call holds 255 characters with its NUL.
constexpr qsizetype kMaximoValor = 254;

// Blanks as the C library sees them; a no-break space is part of a name or value.
bool branco(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\v') ||
           c == QLatin1Char('\f');
}

QString apara(QStringView t) {
    qsizetype i = 0, f = t.size();
    while (i < f && branco(t[i]))
        ++i;
    while (f > i && branco(t[f - 1]))
        --f;
    return t.sliced(i, f - i).toString();
}

bool mesmoNome(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString semAspas(const QString& valor) {
    if (valor.size() >= 2 &&
        (valor.front() == QLatin1Char('"') || valor.front() == QLatin1Char('\'')) &&
        valor.back() == valor.front())
        return valor.mid(1, valor.size() - 2);
    return valor;
}

// Section name of a "[name]" line (up to its last ']'); empty optional for other lines.
std::optional<QString> nomeDaSecao(const QString& linha) {
    if (!linha.startsWith(QLatin1Char('['))) return std::nullopt;
    const qsizetype fim = linha.lastIndexOf(QLatin1Char(']'));
    if (fim < 0) return std::nullopt;
    return apara(QStringView(linha).sliced(1, fim - 1));
}

} // namespace

std::optional<QString> LeIniSePresente(const QByteArray& conteudo, const QString& secao,
                                       const QString& chave) {
    const QString procurada = apara(secao);
    const QString chaveProcurada = apara(chave);
    static const QRegularExpression kFimDeLinha(QStringLiteral("[\r\n]"));
    bool dentro = false;
    for (const QString& bruta : ansi::decodifica(conteudo).split(kFimDeLinha)) {
        const QString linha = apara(bruta);
        if (linha.isEmpty() || linha.startsWith(QLatin1Char(';'))) continue;
        if (const auto nome = nomeDaSecao(linha)) {
            if (dentro) return std::nullopt; // later sections of the same name are never read
            dentro = mesmoNome(*nome, procurada);
            continue;
        }
        if (!dentro) continue;
        const qsizetype igual = linha.indexOf(QLatin1Char('='));
        const QString nomeChave = apara(QStringView(linha).left(igual < 0 ? linha.size() : igual));
        if (!mesmoNome(nomeChave, chaveProcurada)) continue;
        const QString valor = igual < 0 ? QString() : apara(QStringView(linha).sliced(igual + 1));
        return semAspas(valor).left(kMaximoValor);
    }
    return std::nullopt;
}

QString LeIniDeTexto(const QByteArray& conteudo, const QString& secao, const QString& chave) {
    return LeIniSePresente(conteudo, secao, chave).value_or(QString());
}

QString LeIni(const SistemaArquivos& arquivos, const QString& secao, const QString& chave,
              const QString& arquivo) {
    QByteArray conteudo;
    try {
        conteudo = arquivos.le(arquivo);
    } catch (const Erro&) {
        return {};
    }
    return LeIniDeTexto(conteudo, secao, chave);
}

} // namespace talvero
