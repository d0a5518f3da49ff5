#pragma once

#include <QString>

namespace talvero {

// Title of a box shown with an empty title: the program's name, as the platform
// shows it by default.
inline QString TituloOuPadrao(const QString& titulo) {
    return titulo.isEmpty() ? QStringLiteral("AutoTalvero") : titulo;
}

} // namespace talvero
