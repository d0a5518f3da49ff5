#pragma once

#include "platform/Operador.h"

#include <functional>

namespace talvero {

// No one at the screen (no display, or --headless): every box becomes a line
// "[titulo] texto" on standard error and in `registra` (the event log); inputs
// are cancelled and questions answered No.
class OperadorSemJanela : public Operador {
public:
    explicit OperadorSemJanela(std::function<void(const QString&)> registra);

    void mensagem(const QString& texto, const QString& titulo, Icone icone) override;
    QString entrada(const QString& pergunta, const QString& titulo, const QString& padrao) override;
    bool pergunta(const QString& texto, const QString& titulo) override;
    std::unique_ptr<Progresso> progresso(const QString& titulo, int maximo) override;

private:
    void escreve(const QString& linha);

    std::function<void(const QString&)> registra_;
};

} // namespace talvero
