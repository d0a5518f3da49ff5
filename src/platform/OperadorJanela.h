#pragma once

#include "platform/Operador.h"

namespace talvero {

// The operator at the station's screen: modal Qt message and input boxes.
class OperadorJanela : public Operador {
public:
    void mensagem(const QString& texto, const QString& titulo, Icone icone) override;
    QString entrada(const QString& pergunta, const QString& titulo, const QString& padrao) override;
    bool pergunta(const QString& texto, const QString& titulo) override;
    std::unique_ptr<Progresso> progresso(const QString& titulo, int maximo) override;
};

} // namespace talvero
