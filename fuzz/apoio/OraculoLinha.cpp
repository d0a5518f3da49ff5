#include "OraculoLinha.h"

#include "Violacao.h"
#include "platform/CodecAnsi.h"

#include <QByteArrayView>
#include <array>

namespace talvero::fuzz {

namespace {

const QByteArray kConfirmacao = "(&I)";

// '#' a digit, '*' a card character (ASCII letter or digit), anything else itself.
constexpr std::array<QByteArrayView, 5> kSemChecksum = {"(&A)", "(&I)", "(&V)", "(&S)",
                                                        "(&H######)"};
constexpr std::array<QByteArrayView, 5> kComChecksum = {
    "(&A", "(?V", "(?F27G****************0000000000000000",
    "(?F27A****************00######00000000", "(?LF######"};

bool casa(QByteArrayView modelo, QByteArrayView bytes) {
    if (modelo.size() != bytes.size()) return false;
    for (qsizetype i = 0; i < modelo.size(); ++i) {
        const char m = modelo[i], c = bytes[i];
        const bool digito = c >= '0' && c <= '9';
        const bool letra = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (m == '#' ? !digito : m == '*' ? !(digito || letra) : m != c) return false;
    }
    return true;
}

// Sum of the bytes after "(", folded whenever it passes 256, in upper-case hex of
// at least two digits.
QByteArray checksum(QByteArrayView corpo) {
    int soma = 0;
    for (const char c : corpo.sliced(1)) {
        soma += static_cast<unsigned char>(c);
        if (soma > 256) soma -= 256;
    }
    return QByteArray::number(soma, 16).toUpper().rightJustified(2, '0');
}

} // namespace

bool QuadroPermitido(const QByteArray& bytes) {
    for (const QByteArrayView m : kSemChecksum)
        if (casa(m, bytes)) return true;
    for (const QByteArrayView m : kComChecksum) {
        if (bytes.size() <= m.size() || !casa(m, QByteArrayView(bytes).first(m.size()))) continue;
        const QByteArrayView corpo = QByteArrayView(bytes).first(m.size());
        if (bytes.sliced(m.size()) == checksum(corpo) + ')') return true;
    }
    return false;
}

void OraculoLinha::escrito(const QByteArray& bytes) {
    // An acknowledgement inside any write is one to the concentrator.
    if (bytes.contains(kConfirmacao)) confereConfirmacao(bytes);
    if (!QuadroPermitido(bytes))
        Viola("de quadros", QStringLiteral("escrito na linha o que não é um quadro da tabela: ") +
                                Legivel(bytes));
    lido_.clear();
}

void OraculoLinha::lido(const QByteArray& bytes) {
    lido_ += bytes;
    const qsizetype n = lido_.size();
    if (n == 34 || n == 52 || n == 75) ultimaResposta_ = ansi::decodifica(lido_);
}

void OraculoLinha::confereConfirmacao(const QByteArray& bytes) {
    if (!ultimaResposta_)
        Viola(
            "de confirmações",
            QStringLiteral("\"(&I)\" enviado sem resposta de abastecimento recebida, no escrito ") +
                Legivel(bytes));
    if (!guardada_(*ultimaResposta_))
        Viola("de confirmações",
              QStringLiteral("\"(&I)\" enviado para abastecimento que não está no banco: ") +
                  Legivel(ansi::codifica(*ultimaResposta_)) + QStringLiteral(", no escrito ") +
                  Legivel(bytes));
}

} // namespace talvero::fuzz
