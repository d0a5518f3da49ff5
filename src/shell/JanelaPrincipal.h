#pragma once

#include "shell/EventosJanela.h"
#include "shell/TextosPainel.h"

#include <QString>

namespace talvero {

enum class EstadoJanela { Normal, Minimizada };

// The main window as the program drives it. A change of state is reported back as
// a size change (Form_Resize), as the platform's windows do.
class JanelaPrincipal {
public:
    virtual ~JanelaPrincipal() = default;

    virtual void conecta(EventosJanela& eventos) = 0;

    virtual void defineTitulo(const QString& titulo) = 0;
    virtual QString titulo() const = 0;

    virtual void defineEstado(EstadoJanela estado) = 0;
    virtual EstadoJanela estado() const = 0;

    // Hidden completely: off the screen and off the task bar.
    virtual void esconde() = 0;
    // Shown, not modal.
    virtual void mostra() = 0;
    // To the front with the keyboard focus: the last step of every restore.
    virtual void ativa() = 0;

    // The status panel's latest texts. False when no one can see them (no
    // screen): the program then writes their summary in the log each hour.
    virtual bool mostraPainel(const TextosPainel& textos) = 0;

    // The window is gone for good; with no window left the program ends.
    virtual void descarrega() = 0;
};

} // namespace talvero
