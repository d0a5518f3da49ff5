#pragma once

#include "ensaio/ProgramasReais.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace talvero::medicao {

// A demo station under a temporary root: INI file, registers, SQLite database,
// the concentrator simulator on a pseudo-terminal linked at ROOT/dev/COM3 and the
// agent started headless against it. Raises std::runtime_error when a program
// does not start or a step fails.
class EstacaoMedida {
public:
    explicit EstacaoMedida(QString binarios);
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
    // The end of the agent's log and of both programs' output, for a failure report.
    QString diagnostico() const;

private:
    QString caminho(const QString& relativo) const { return raiz_.filePath(relativo); }
    void escreve(const QString& relativo, const QByteArray& conteudo);
    void dados(const QStringList& argumentos);

    QString binarios_;
    QTemporaryDir raiz_;
    QProcess simulador_;
    QProcess agente_;
    QProcess xvfb_;
    QString conexao_;
};

} // namespace talvero::medicao
