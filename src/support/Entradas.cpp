#include "support/Entradas.h"

#include "platform/CanalBytes.h"

#include <QRegularExpression>
#include <algorithm>

namespace talvero::entradas {

namespace {

bool ascii(QChar c, const char* aceitos) {
    const ushort u = c.unicode();
    if ((u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z')) return true;
    for (const char* a = aceitos; *a; ++a)
        if (u == ushort(*a)) return true;
    return false;
}

bool todos(const QString& texto, const char* aceitos) {
    for (const QChar c : texto)
        if (!ascii(c, aceitos)) return false;
    return true;
}

// C0 and C1 controls and DEL: none of them is text a person wrote.
bool controle(QChar c) {
    const ushort u = c.unicode();
    return u < 0x20 || (u >= 0x7f && u <= 0x9f);
}

bool temControle(const QString& texto) {
    return std::any_of(texto.begin(), texto.end(), controle);
}

} // namespace

bool CartaoValido(const QString& cartao) {
    return cartao.size() == 16 && todos(cartao, "");
}

bool PosicaoValida(const QString& posicao) {
    return posicao.size() == 6 && std::all_of(posicao.begin(), posicao.end(), [](QChar c) {
               return c.unicode() >= '0' && c.unicode() <= '9';
           });
}

bool NomeComputadorValido(const QString& nome) {
    // Anchored as a whole: "$" alone would let a trailing line feed through into the file.
    static const QRegularExpression kNome(
        QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z0-9_][A-Za-z0-9_.-]{0,62}")));
    return kNome.match(nome).hasMatch() && !nome.contains(QLatin1String(".."));
}

bool NomeArquivoValido(const QString& nome) {
    static const QString kProibidos = QStringLiteral("\\/:*?\"<>|");
    return !nome.isEmpty() && nome.size() <= 255 && nome != QLatin1String(".") &&
           nome != QLatin1String("..") && !temControle(nome) &&
           std::none_of(nome.begin(), nome.end(), [](QChar c) { return kProibidos.contains(c); });
}

// Windows drops a folder name's trailing dots and blanks, and keeps the names of
// its devices for them.
bool NomePastaValido(const QString& nome) {
    static const QRegularExpression kDispositivo(
        QRegularExpression::anchoredPattern(
            QStringLiteral("(CON|PRN|AUX|NUL|COM[0-9]|LPT[0-9])(\\..*)?")),
        QRegularExpression::CaseInsensitiveOption);
    return NomeArquivoValido(nome) && nome.size() <= 254 && nome.trimmed() == nome &&
           !nome.endsWith(QLatin1Char('.')) && !nome.contains(QLatin1String("..")) &&
           !kDispositivo.match(nome).hasMatch();
}

bool PortaValida(const QString& porta, bool biblioteca) {
    if (porta.size() > 254) return false;
    if (portaPorCaminho(porta))
        return todos(porta, "/.-_:+@=#") &&
               !porta.split(QLatin1Char('/')).contains(QLatin1String(".."));
    if (!biblioteca) return numeroPortaSerial(porta) > 0;
    return todos(porta, ".-_:/[]");
}

std::optional<int> DiasDeLog(const QString& texto) {
    const QString t = texto.trimmed();
    if (t.isEmpty()) return 90;
    static const QRegularExpression kDias(QStringLiteral("^[0-9]{1,5}$"));
    if (!kDias.match(t).hasMatch() || t.toInt() > 36'500) return std::nullopt;
    return t.toInt();
}

// ".." as a folder, also right after a drive ("C:..\x" is the parent of the drive's current
// folder).
bool CaminhoArquivoValido(const QString& caminho) {
    static const QRegularExpression kPai(QStringLiteral("(^|[\\\\/:])\\.\\.([\\\\/]|$)"));
    return !caminho.isEmpty() && !temControle(caminho) && !kPai.match(caminho).hasMatch();
}

bool SemCaracteresDeControle(const QString& texto) {
    return !temControle(texto);
}

QString SemControle(const QString& texto) {
    if (!temControle(texto)) return texto;
    QString limpo;
    limpo.reserve(texto.size() + 8);
    for (const QChar c : texto) {
        if (!controle(c))
            limpo += c;
        else if (c == QLatin1Char('\r'))
            limpo += QLatin1String("\\r");
        else if (c == QLatin1Char('\n'))
            limpo += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            limpo += QLatin1String("\\t");
        else
            limpo += QLatin1String("\\x") +
                     QString::number(c.unicode(), 16).toUpper().rightJustified(2, QLatin1Char('0'));
    }
    return limpo;
}

QString Citado(const QString& valor) {
    return QLatin1Char('"') + SemControle(valor) + QLatin1Char('"');
}

} // namespace talvero::entradas
