#pragma once

#include "ensaio/ProgramasReais.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace talvero::medicao {

// What the station's INI file says beyond the demo's serial control with layout 52.
struct PerfilEstacao {
    bool biblioteca = false; // "Usar Dll da Company=SIM", over the same pseudo-terminal
    bool identFid = false;   // "Usar IdentFID=SIM" and the simulator's layout 75
    bool esperaFixa = false; // "Espera Fixa=SIM"; otherwise the key is absent
    bool descargaRapida = false;
};

// A demo station under a temporary root: INI file, registers, SQLite database,
// the concentrator simulator on a pseudo-terminal linked at ROOT/dev/COM3 and the
// agent started headless against it. Raises std::runtime_error when a program
// does not start or a step fails.
class EstacaoMedida {
public:
    explicit EstacaoMedida(QString binarios, PerfilEstacao perfil = {});
    ~EstacaoMedida();

    void prepara();
    void iniciaSimulador(const QStringList& opcoes);
    // Headless, or with its window on a virtual X server (Xvfb) when there is one,
    // else on Qt's offscreen platform. Returns the platform used.
    QString iniciaAgente(bool janela = false);
    void paraAgente();
    void paraSimulador();

    qint64 pidAgente() const { return agente_.processId(); }
    bool agenteRodando() const { return agente_.state() == QProcess::Running; }
    // Fuelings in the database, read through a read-only connection.
    int gravados();
    // The agent's log holds the answer to its first command (the clock setting).
    bool primeiraTroca() const;
    QString raiz() const { return raiz_.path(); }
    // The X display the window is on (":5"); empty when headless or offscreen.
    QString tela() const { return tela_; }
    // The request folder C:\Automacao\ and the answer share \\<origem>\Automacao\ of
    // the requests' computer, which prepara() creates.
    QString pastaPedidos() const { return caminho(QStringLiteral("C/Automacao")); }
    QString pastaRespostas() const;
    static QString origemPedidos() { return QStringLiteral("MEDICAO"); }
    // The end of the agent's log and of both programs' output, for a failure report.
    QString diagnostico() const;

private:
    QString caminho(const QString& relativo) const { return raiz_.filePath(relativo); }
    void escreve(const QString& relativo, const QByteArray& conteudo);
    void dados(const QStringList& argumentos);

    QString binarios_;
    PerfilEstacao perfil_;
    QTemporaryDir raiz_;
    QProcess simulador_;
    QProcess agente_;
    QProcess xvfb_;
    QString conexao_;
    QString tela_;
};

} // namespace talvero::medicao
