#include "platform/RaizEstacao.h"

#include "platform/MapaCaminhos.h"

#include <QFileInfo>

namespace talvero {

QString RaizEstacao::instalada() {
    const QString outra = qEnvironmentVariable("TALVERO_RAIZ_INSTALADA");
    return outra.isEmpty() ? QStringLiteral("/var/lib/autotalvero") : outra;
}

RaizEstacao RaizEstacao::escolhe(const QString& programa, const QString& raizDada,
                                 const QString& arquivoIni) {
    if (!raizDada.isEmpty()) return {true, raizDada, {}};
#ifdef Q_OS_WIN
    Q_UNUSED(programa);
    Q_UNUSED(arquivoIni);
    return {true, {}, {}};
#else
    const QString raiz = instalada();
    // A purged package leaves the folder behind: only its INI file makes a station.
    if (QFileInfo(MapaCaminhos(raiz).local(arquivoIni)).isFile())
        return {true, raiz,
                QStringLiteral("%1: usando a raiz %2 (estação instalada)").arg(programa, raiz)};
    return {false,
            {},
            QStringLiteral("%1: falta --root DIR (a pasta onde fica C:\\ da estação); não há "
                           "estação instalada em %2")
                .arg(programa, raiz)};
#endif
}

} // namespace talvero
