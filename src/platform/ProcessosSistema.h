#pragma once

#include "platform/MapaCaminhos.h"
#include "platform/Processos.h"

#include <QLockFile>
#include <memory>

namespace talvero {

// Processes of the real system. The previous instance is found through a lock
// file in the program folder (`arquivoTrava`, a Windows path), held for the life
// of this object; a lock left by a process that died does not count, whatever
// process id or computer name it names.
class ProcessosSistema : public Processos {
public:
    ProcessosSistema(const MapaCaminhos& caminhos, QString arquivoTrava);
    ~ProcessosSistema() override;

    std::int64_t iniciaSemEsperar(const QString& programa, const QStringList& argumentos) override;
    void abreNaAreaDeTrabalho(const QString& caminho) override;
    [[noreturn]] void encerraImediatamente(int codigo) override;
    bool outraInstanciaAtiva() override;

private:
    const MapaCaminhos& caminhos_;
    QString arquivoTrava_;
    std::unique_ptr<QLockFile> trava_;
};

} // namespace talvero
