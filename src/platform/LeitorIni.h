#pragma once

#include "platform/SistemaArquivos.h"

#include <QString>
#include <optional>

namespace talvero {

// One key of an INI-format file (the configuration and the request files), read
// by the Windows private-profile rules those files were written for:
// - section and key names match regardless of letter case, blanks around them dropped;
// - only the first section of a name is read, and in it the first matching key;
// - blanks around the value are dropped; a value in a matching pair of double or
//   single quotes loses them (blanks inside stay);
// - a line starting with ';' is a comment; a ';' inside a value is part of it;
// - a missing or unreadable file, section or key gives "";
// - at most 254 characters come back.
// Windows-1252 text, CR LF or LF line ends.
QString LeIni(const SistemaArquivos& arquivos, const QString& secao, const QString& chave,
              const QString& arquivo);

// The same rules on the file's contents.
QString LeIniDeTexto(const QByteArray& conteudo, const QString& secao, const QString& chave);
// The same, telling a key that is there with an empty value from one that is not.
std::optional<QString> LeIniSePresente(const QByteArray& conteudo, const QString& secao,
                                       const QString& chave);

} // namespace talvero
