#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace talvero {

class Processos {
public:
    virtual ~Processos() = default;

    // Starts a program in a normal focused window without waiting; returns its
    // process id. Raises talvero::Erro when it cannot be started.
    virtual std::int64_t iniciaSemEsperar(const QString& programa,
                                          const QStringList& argumentos) = 0;

    // Opens a file or folder (a Windows path) with the desktop's own program for it.
    // Raises talvero::Erro when nothing could open it.
    virtual void abreNaAreaDeTrabalho(const QString& caminho) = 0;

    // Ends this process at once with that status, without any shutdown. Test
    // adapters only record it, so callers return right after calling it.
    virtual void encerraImediatamente(int codigo) = 0;

    // True when another instance of the program is running.
    virtual bool outraInstanciaAtiva() = 0;
};

} // namespace talvero
