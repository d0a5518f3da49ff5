#pragma once

#include <QString>
#include <memory>

namespace talvero {

enum class Icone { Nenhum, Critico, Informacao, Pergunta };

// A long task shown to the operator, with a button to cancel it.
class Progresso {
public:
    virtual ~Progresso() = default;
    virtual void avanca(int valor, const QString& texto) = 0;
    virtual bool cancelado() const = 0;
};

// The station operator: modal message boxes, input boxes and yes/no questions.
// An empty title means the application's default title.
class Operador {
public:
    virtual ~Operador() = default;
    virtual void mensagem(const QString& texto, const QString& titulo, Icone icone) = 0;
    // Empty text when cancelled.
    virtual QString entrada(const QString& pergunta, const QString& titulo,
                            const QString& padrao) = 0;
    // True for Yes.
    virtual bool pergunta(const QString& texto, const QString& titulo) = 0;
    // Shown until the object is destroyed; `maximo` steps in all.
    virtual std::unique_ptr<Progresso> progresso(const QString& titulo, int maximo) = 0;
};

} // namespace talvero
