#pragma once

#include <QRegularExpression>
#include <QString>

namespace talvero {

// The program's own paths stay Windows text ("C:\Talvero\AutoTalvero\X"): they
// appear as written in log lines and files. Only when the file system is touched
// are they translated under a root directory. With an empty root (Windows) paths
// are used as they are.
class MapaCaminhos {
public:
    explicit MapaCaminhos(QString raiz = {});

    const QString& raiz() const { return raiz_; }
    bool nativo() const { return raiz_.isEmpty(); }

    // "C:\A\B" -> ROOT/C/A/B (drive letter upper-cased); "\\PC1\S\F" -> ROOT/UNC/PC1/S/F.
    // Anything else is taken relative to the root with backslashes turned into slashes.
    QString local(const QString& caminhoWindows) const;

    // Serial port COMn: the device ROOT/dev/COMn links to when that link exists,
    // otherwise /dev/ttyS<n-1>. A device path ("/dev/ttyUSB0") is that device, as
    // it stands. Empty for any other name.
    QString dispositivoSerial(const QString& porta) const;

    // A program path: mapped, and when it ends in ".exe" and that file does not
    // exist, the same path without the suffix.
    QString programa(const QString& caminhoWindows) const;

    // Windows wildcard match ('*' and '?'), regardless of letter case, made once
    // for a whole folder of names.
    static QRegularExpression expressaoDoPadrao(const QString& padrao);

private:
    QString raiz_;
};

} // namespace talvero
