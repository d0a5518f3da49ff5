#include "cycle/LeituraAbastecimento.h"

#include "link/MontaComando.h"
#include "platform/Erro.h"

namespace talvero::leitura {

namespace {

constexpr Posicoes kPadrao{2, 8, 14, 20, 24, 26, 28, 30, 38, 0};
constexpr Posicoes kIdentFid{3, 9, 15, 21, 25, 27, 29, 31, 39, 51};
constexpr int kLarguraChecksum = 2;

Erro tiposIncompativeis() {
    return Erro(QStringLiteral("Tipos incompatíveis"), erros::TiposIncompativeis);
}

bool soDigitos(QStringView texto) {
    if (texto.isEmpty()) return false;
    for (QChar c : texto)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}

int numeroDe(QStringView digitos) {
    if (!soDigitos(digitos)) throw tiposIncompativeis();
    return digitos.toInt();
}

constexpr int kAdiantamentoMaximoS = 15 * 60;

// Whether tomorrow at that time is at most 15 minutes from now.
bool logoAposMeiaNoite(QStringView hora, QStringView minuto, const QTime& agora) {
    if (!soDigitos(hora) || !soDigitos(minuto)) return false;
    const QTime t(hora.toInt(), minuto.toInt());
    if (!t.isValid()) return false;
    const int ateMeiaNoite = agora.secsTo(QTime(23, 59, 59)) + 1;
    return ateMeiaNoite + QTime(0, 0).secsTo(t) <= kAdiantamentoMaximoS;
}

} // namespace

const Posicoes& PosicoesDoTamanho(qsizetype tamanho) {
    return tamanho == kTamanhoIdentFid ? kIdentFid : kPadrao;
}

QString Campo(const QString& resposta, int posicao, int largura) {
    return resposta.mid(posicao - 1, largura);
}

bool RespostaConfere(const QString& resposta) {
    if (!EhTamanhoDeAbastecimento(resposta.size())) return false;
    if (!resposta.startsWith(QLatin1Char('(')) || !resposta.endsWith(QLatin1Char(')')))
        return false;
    const qsizetype inicioChecksum = resposta.size() - 1 - kLarguraChecksum;
    const QString corpo = resposta.mid(1, inicioChecksum - 1);
    return ChecksumQuadro(corpo) == resposta.mid(inicioChecksum, kLarguraChecksum);
}

bool PrecoDedarud(const QString& nomeEmpresa) {
    return nomeEmpresa.toUpper().contains(QStringLiteral("DEDARUD"));
}

bool LitrosDedarud(const QString& nomeEmpresa) {
    return nomeEmpresa.contains(QStringLiteral("DEDARUD"));
}

Moeda PrecoUnitario(QStringView digitos, int casasValor, bool precoDedarud) {
    if (casasValor == 2) {
        if (precoDedarud && !digitos.isEmpty() && digitos.front() != QLatin1Char('0'))
            return Moeda::deDigitos(digitos, 3);
        return Moeda::deDigitos(digitos, 2);
    }
    if (casasValor == 3) return Moeda::deDigitos(digitos, 3);
    throw tiposIncompativeis();
}

Moeda Litros(QStringView digitos, int casasLitragem) {
    if (casasLitragem == 2 || casasLitragem == 3) return Moeda::deDigitos(digitos, casasLitragem);
    throw tiposIncompativeis();
}

QDate DataDoAbastecimento(QStringView dia, QStringView hora, QStringView minuto,
                          const QDateTime& agora) {
    const int d = numeroDe(dia);
    const QDate hoje = agora.date();
    const QDate amanha = hoje.addDays(1);
    if (d == amanha.day() && logoAposMeiaNoite(hora, minuto, agora.time())) return amanha;
    if (d >= 1 && d <= hoje.day()) return QDate(hoje.year(), hoje.month(), d);
    if (d > hoje.day()) {
        const QDate mesAnterior = hoje.addMonths(-1);
        const QDate data(mesAnterior.year(), mesAnterior.month(), d);
        if (data.isValid()) return data;
    }
    return QDate(hoje.year(), hoje.month(), 1);
}

QTime HoraDoAbastecimento(QStringView hora, QStringView minuto) {
    const QTime t(numeroDe(hora), numeroDe(minuto), 0);
    if (!t.isValid()) throw tiposIncompativeis();
    return t;
}

} // namespace talvero::leitura
