#pragma once

#include <QString>

namespace talvero {

// The tip text the platform shows for a title: the tip field holds 64 8-bit
// characters with the title's closing NUL, so at most 63 characters of the title,
// in the code page, show.
QString DicaIcone(const QString& titulo);

} // namespace talvero
