#include "platform/MapaCaminhos.h"

#include "platform/CanalBytes.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace talvero {

MapaCaminhos::MapaCaminhos(QString raiz) : raiz_(std::move(raiz)) {
    while (raiz_.size() > 1 && raiz_.endsWith(QLatin1Char('/')))
        raiz_.chop(1);
}

QString MapaCaminhos::local(const QString& caminhoWindows) const {
    if (nativo()) return caminhoWindows;
    QString c = caminhoWindows;
    QString prefixo;
    if (c.startsWith(QLatin1String("\\\\"))) {
        prefixo = QStringLiteral("UNC/");
        c = c.mid(2);
    } else if (c.size() >= 2 && c.at(1) == QLatin1Char(':') && c.at(0).isLetter()) {
        prefixo = c.at(0).toUpper() + QLatin1Char('/');
        c = c.mid(2);
    }
    c.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // ".." stops at the drive or share, as on Windows, so that no path leaves the root.
    QStringList partes;
    const qsizetype minimo = prefixo == QLatin1String("UNC/") ? 2 : 0; // server and share
    for (const QString& p : c.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (p == QLatin1String(".")) continue;
        if (p == QLatin1String("..")) {
            if (partes.size() > minimo) partes.removeLast();
            continue;
        }
        partes.append(p);
    }
    QString mapeado = raiz_ + QLatin1Char('/') + prefixo + partes.join(QLatin1Char('/'));
    if (c.endsWith(QLatin1Char('/')) && !partes.isEmpty()) mapeado += QLatin1Char('/');
    return mapeado;
}

QString MapaCaminhos::dispositivoSerial(const QString& nome) const {
    if (portaPorCaminho(nome)) return nome;
    const int porta = numeroPortaSerial(nome);
    if (porta < 1) return {};
    if (!nativo()) {
        const QFileInfo ligacao(raiz_ + QStringLiteral("/dev/COM") + QString::number(porta));
        if (ligacao.isSymLink() || ligacao.exists()) {
            const QString alvo =
                ligacao.isSymLink() ? ligacao.symLinkTarget() : ligacao.absoluteFilePath();
            if (!alvo.isEmpty()) return alvo;
        }
    } else {
#ifdef Q_OS_WIN
        return QStringLiteral("COM") + QString::number(porta);
#endif
    }
    return QStringLiteral("/dev/ttyS") + QString::number(porta - 1);
}

QString MapaCaminhos::programa(const QString& caminhoWindows) const {
    const QString mapeado = local(caminhoWindows);
    if (nativo()) return mapeado;
    if (mapeado.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive) && !QFileInfo::exists(mapeado))
        return mapeado.left(mapeado.size() - 4);
    return mapeado;
}

QRegularExpression MapaCaminhos::expressaoDoPadrao(const QString& padrao) {
    const QString expr = QRegularExpression::wildcardToRegularExpression(
        padrao, QRegularExpression::UnanchoredWildcardConversion);
    return QRegularExpression(QRegularExpression::anchoredPattern(expr),
                              QRegularExpression::CaseInsensitiveOption);
}

} // namespace talvero
