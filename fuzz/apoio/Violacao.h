#pragma once

#include <QByteArray>
#include <QString>

namespace talvero::fuzz {

// Reports a broken invariant and aborts, so that libFuzzer keeps the input.
[[noreturn]] void Viola(const char* oraculo, const QString& detalhe);

// Bytes as a line of text: printable ASCII as it is, anything else as \xNN.
QString Legivel(const QByteArray& bytes);

} // namespace talvero::fuzz
