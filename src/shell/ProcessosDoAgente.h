#pragma once

#include "platform/Processos.h"

#include <functional>

namespace talvero {

// The platform's processes as the agent's parts use them: whoever ends the
// process at once (a request, a fatal start) has its end told first.
class ProcessosDoAgente : public Processos {
public:
    ProcessosDoAgente(Processos& real, std::function<void(int codigo)> antesDeEncerrar)
        : real_(real), antesDeEncerrar_(std::move(antesDeEncerrar)) {}

    std::int64_t iniciaSemEsperar(const QString& programa, const QStringList& argumentos) override {
        return real_.iniciaSemEsperar(programa, argumentos);
    }
    void abreNaAreaDeTrabalho(const QString& caminho) override {
        real_.abreNaAreaDeTrabalho(caminho);
    }
    void encerraImediatamente(int codigo) override {
        if (antesDeEncerrar_) antesDeEncerrar_(codigo);
        real_.encerraImediatamente(codigo);
    }
    bool outraInstanciaAtiva() override { return real_.outraInstanciaAtiva(); }

private:
    Processos& real_;
    std::function<void(int)> antesDeEncerrar_;
};

} // namespace talvero
