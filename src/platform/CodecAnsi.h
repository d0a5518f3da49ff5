#pragma once

#include <QByteArray>
#include <QString>

namespace talvero::ansi {

// Windows-1252, the station's code page. Everything that crosses a boundary
// (files, frames, process arguments) goes through these two functions.

// Characters outside the code page become '?', as the platform's conversion does.
QByteArray codifica(const QString& texto);
QString decodifica(const QByteArray& bytes);

// Code of one character in the code page (0-255); '?' for unmapped characters.
unsigned char codigo(QChar c);

} // namespace talvero::ansi
