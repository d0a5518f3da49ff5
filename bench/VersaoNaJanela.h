#pragma once

#include <QString>

namespace talvero::medicao {

// The agent's window on a virtual X server, worked by xdotool as an operator's
// mouse: the menu "Vesão do Equipamento" clicked and the time until the box with
// the concentrator's versions shows. Raises std::runtime_error when xdotool is
// missing, the window never shows, or the box is the error box or never comes.
class VersaoNaJanela {
public:
    explicit VersaoNaJanela(QString tela);

    // From starting the click's xdotool to the box found on the screen; the box is
    // closed again with Enter.
    double versaoMs();
    // How long one look for the box took, on average: the resolution of versaoMs().
    double buscaMs() const { return buscas_ ? buscaTotalMs_ / buscas_ : 0; }

    // xdotool and Xvfb are both installed.
    static bool disponivel();

private:
    QString xdotool(const QStringList& argumentos) const;
    QString caixa();
    void fecha(const QString& caixa);

    QString tela_;
    QString janela_;
    double buscaTotalMs_ = 0;
    int buscas_ = 0;
};

} // namespace talvero::medicao
