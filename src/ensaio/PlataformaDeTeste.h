#pragma once

#include "ensaio/FabricaCanaisAusente.h"
#include "ensaio/HostFixo.h"
#include "ensaio/IconeGravador.h"
#include "ensaio/OperadorRoteirizado.h"
#include "ensaio/ProcessosGravador.h"
#include "ensaio/TempoVirtual.h"
#include "ensaio/VigiaPastaDeTeste.h"
#include "platform/MapaCaminhos.h"
#include "platform/Plataforma.h"
#include "platform/SistemaArquivosLocal.h"

#include <QDateTime>
#include <QTemporaryDir>

namespace talvero {

// The world of a test: virtual time, a throw-away root for the files, and the
// recording adapters, all public so that the test can set and inspect them.
class PlataformaDeTeste {
public:
    static QDateTime inicioPadrao(); // 5 December 2026, 18:00

    // `canais` leads to the concentrator (the simulator's in-memory line); without
    // it every channel fails.
    explicit PlataformaDeTeste(FabricaCanais& canais, const QDateTime& inicio = inicioPadrao());
    explicit PlataformaDeTeste(const QDateTime& inicio = inicioPadrao());

    PlataformaDeTeste(const PlataformaDeTeste&) = delete;
    PlataformaDeTeste& operator=(const PlataformaDeTeste&) = delete;

    Plataforma plataforma();

    // Creates a folder given by its Windows path (with its parents) under the root.
    void criaPasta(const QString& pastaWindows);
    // C:\Talvero\AutoTalvero, the program folder.
    void criaPastaPrograma();
    // Local path of a Windows path.
    QString local(const QString& caminhoWindows) const { return caminhos.local(caminhoWindows); }

    RelogioVirtual relogio;
    AgendadorVirtual agendador;
    QTemporaryDir raiz;
    MapaCaminhos caminhos;
    SistemaArquivosLocal arquivos;
    OperadorRoteirizado operador;
    ProcessosGravador processos;
    HostFixo host;
    IconeGravador icone;
    AvisoServicoAusente servico;
    VigiaPastaDeTeste vigiaPasta{agendador};

private:
    FabricaCanaisAusente semCanais_;
    FabricaCanais& canais_;
};

} // namespace talvero
