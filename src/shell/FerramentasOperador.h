#pragma once

#include "cycle/CicloAutomacao.h"
#include "link/EnlaceConcentrador.h"
#include "platform/Plataforma.h"
#include "support/RegistroEventos.h"

#include <functional>

namespace talvero {

// The operator's own tools on the main window: the current hour's log, the
// file browser, and the concentrator's versions.
class FerramentasOperador {
public:
    struct Dependencias {
        const Plataforma& plataforma;
        RegistroEventos& registro;
        EnlaceConcentrador& enlace;
        CicloAutomacao& ciclo;
    };

    explicit FerramentasOperador(Dependencias dependencias) : d_(std::move(dependencias)) {}

    // `clique`: when the operator clicked; the log of that hour is opened.
    void cmdBlocoNotas_Click(const QDateTime& clique);
    void cmdExplorer_Click();
    void mnuVersaoEquipamento_Click();

    // The system folder cut after its second-to-last component ("C:\WINDOWS\system32\"
    // gives "C:\WINDOWS\"); empty when the system folder is unknown.
    static QString PastaWindows(const QString& diretorioSistema);

private:
    void abre(const QString& programa, const QString& caminho);
    void registra(const QString& mensagem) { d_.registro.registra(mensagem); }

    Dependencias d_;
};

} // namespace talvero
