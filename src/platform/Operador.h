#pragma once

#include <QString>

namespace talvero {

enum class Icone { Nenhum, Critico, Informacao, Pergunta };

// The station operator: modal message boxes, input boxes and yes/no questions.
// An empty title means the application's default title.
class Operador {
public:
    virtual ~Operador() = default;
    virtual void mensagem(const QString& texto, const QString& titulo, Icone icone) = 0;
    // Empty text when cancelled.
    virtual QString entrada(const QString& pergunta, const QString& titulo, const QString& padrao) = 0;
    // True for Yes.
    virtual bool pergunta(const QString& texto, const QString& titulo) = 0;
};

} // namespace talvero
