#include "platform/IconeBandejaQt.h"

#include "platform/CodecAnsi.h"

#include <QApplication>
#include <QStyle>
#include <algorithm>

namespace talvero {

namespace {
constexpr qsizetype kMaximoDica = 63; // 64 bytes with the NUL
enum Acao { Adiciona = 0, Modifica = 1, Remove = 2 };
} // namespace

QString DicaIcone(const QString& titulo) {
    const qsizetype nul = titulo.indexOf(QChar(0));
    const QString visivel = titulo.left(nul < 0 ? kMaximoDica : std::min(nul, kMaximoDica));
    return ansi::decodifica(ansi::codifica(visivel));
}

IconeBandejaQt::IconeBandejaQt(const QIcon& icone) {
    QIcon i = icone;
    if (i.isNull() && qobject_cast<QApplication*>(QCoreApplication::instance()))
        i = QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
    bandeja_.setIcon(i);
    QObject::connect(&bandeja_, &QSystemTrayIcon::activated, &bandeja_,
                     [this](QSystemTrayIcon::ActivationReason motivo) {
                         if (motivo == QSystemTrayIcon::DoubleClick && aoClicarDuasVezes_)
                             aoClicarDuasVezes_();
                     });
}

bool IconeBandejaQt::executa(int acao, const QString& dica) {
    switch (acao) {
    case Adiciona:
        if (presente_) return false; // the same icon twice is refused
        bandeja_.setToolTip(DicaIcone(dica));
        bandeja_.show();
        presente_ = true;
        return true;
    case Modifica:
        if (!presente_) return false;
        bandeja_.setToolTip(DicaIcone(dica));
        return true;
    case Remove:
        if (!presente_) return false;
        bandeja_.hide();
        presente_ = false;
        return true;
    default:
        return false;
    }
}

void IconeBandejaQt::aoClicarDuasVezes(std::function<void()> acao) {
    aoClicarDuasVezes_ = std::move(acao);
}

} // namespace talvero
