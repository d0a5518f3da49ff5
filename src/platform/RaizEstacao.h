#pragma once

#include <QString>

namespace talvero {

// The station root every program works on, found the same way by all of them:
// the --root given; without it, on Windows, none (paths as they are); elsewhere
// the installed station's root when its INI file is there, and otherwise none,
// so that no program ever makes a file whose name is a Windows path.
//
// The installed root is /var/lib/autotalvero; the tests point it elsewhere with
// the environment variable TALVERO_RAIZ_INSTALADA (meant for the tests only).
struct RaizEstacao {
    bool encontrada = false;
    QString raiz;     // for MapaCaminhos; empty on Windows without --root
    QString mensagem; // for standard error: the root taken without --root, or why there is none

    static RaizEstacao escolhe(const QString& programa, const QString& raizDada,
                               const QString& arquivoIni);
    static QString instalada();
};

} // namespace talvero
