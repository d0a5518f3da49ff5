#pragma once

#include <QString>
#include <optional>

namespace talvero::entradas {

// The one gate for text that comes from outside (request files, dialogs, the INI
// file, the database, the concentrator's answers) before it reaches a frame, a
// path, a process or a log line. Each rule says what a value may hold; a value
// that fails is refused where it is read, never repaired.

// An IdentFid card: exactly 16 ASCII letters or digits, in the case given.
bool CartaoValido(const QString& cartao);
// A record position of the identifier: exactly 6 digits.
bool PosicaoValida(const QString& posicao);

// A plain computer name (letters, digits, '-', '_', '.', 1 to 63 characters, not
// starting with '.' or '-', no ".."): it names a share and can lead nowhere else.
bool NomeComputadorValido(const QString& nome);

// One file name as a folder listing gives it, to be joined to the folder's path:
// nothing a path would read as a separator, a drive or a wildcard, no control
// characters.
bool NomeArquivoValido(const QString& nome);

// One folder name that composes paths ("C:\" + name + "\"): no separators, no
// "..", no wildcards or control characters, no blanks at the ends.
bool NomePastaValido(const QString& nome);

// The concentrator's port, at most 254 characters. Elsewhere than on Windows a
// value that begins with "/" is a serial device, on either transport: a path of
// letters, digits and "/.-_:+@=#" without "..". Otherwise, on the serial control
// "COM" and the port's number; with the vendor library also a network address
// (printable ASCII without blanks), and empty names no port at all.
bool PortaValida(const QString& porta, bool biblioteca);

// "[OUTRAS] Dias de Log": empty is the default 90, 0 keeps every log; anything
// but a whole number of days up to 100 years is refused.
std::optional<int> DiasDeLog(const QString& texto);

// A database file path: no control characters and no ".." among its folders.
bool CaminhoArquivoValido(const QString& caminho);

// Text without control characters, as a name or a setting is written.
bool SemCaracteresDeControle(const QString& texto);

// A log line as it may be written: control characters become "\r", "\n", "\t" or
// "\xNN", so that no value can end a line early or forge one.
QString SemControle(const QString& texto);

// A refused value as a message or a log line names it: between double quotes,
// its control characters written out.
QString Citado(const QString& valor);

} // namespace talvero::entradas
