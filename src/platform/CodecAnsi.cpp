#include "platform/CodecAnsi.h"

#include <array>

namespace talvero::ansi {

namespace {

// 0x80-0x9F of Windows-1252; 0 marks the five undefined codes, which map to the
// C1 control of the same number (as the platform's best-fit decoder does).
constexpr std::array<char16_t, 32> kAlto = {
    0x20AC, 0x0000, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x0000, 0x017D, 0x0000, 0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x0000, 0x017E, 0x0178};

char16_t paraUnicode(unsigned char b) {
    if (b >= 0x80 && b <= 0x9F) {
        const char16_t u = kAlto[b - 0x80];
        return u ? u : char16_t(b);
    }
    return char16_t(b);
}

} // namespace

unsigned char codigo(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<unsigned char>(u);
    for (int i = 0; i < 32; ++i) {
        if (paraUnicode(static_cast<unsigned char>(0x80 + i)) == u)
            return static_cast<unsigned char>(0x80 + i);
    }
    return '?';
}

QByteArray codifica(const QString& texto) {
    QByteArray saida;
    saida.reserve(texto.size());
    for (QChar c : texto)
        saida.append(static_cast<char>(codigo(c)));
    return saida;
}

QString decodifica(const QByteArray& bytes) {
    QString saida;
    saida.reserve(bytes.size());
    for (char b : bytes)
        saida.append(QChar(paraUnicode(static_cast<unsigned char>(b))));
    return saida;
}

} // namespace talvero::ansi
