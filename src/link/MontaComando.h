#pragma once

#include <QString>

namespace talvero {

// Completes a command frame: appends the checksum of every character after the
// opening "(" and the closing ")". MontaComando("(&A") == "(&A67)".
QString MontaComando(const QString& inicio);

// The checksum alone, as MontaComando writes it ("67", "00", "100").
QString ChecksumQuadro(const QString& corpoSemParentese);

} // namespace talvero
