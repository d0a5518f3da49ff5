#pragma once

#include <QString>

namespace talvero {

// A plain computer name (letters, digits, '-', '_', '.', 1 to 63 characters, not
// starting with '.' or '-', no ".."): it names a share and can lead nowhere else.
bool NomeComputadorValido(const QString& nome);

} // namespace talvero
