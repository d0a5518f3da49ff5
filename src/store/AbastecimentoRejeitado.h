#pragma once

#include "store/Conexao.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <cstdint>

namespace talvero {

// Quarantine of fueling answers that could not be parsed or completed: the raw
// answer is kept so that nothing the concentrator handed over is lost.
class AbastecimentoRejeitado {
public:
    explicit AbastecimentoRejeitado(Conexao& conexao) : conexao_(&conexao) {}

    std::int64_t Id = 0; // given by the database
    std::int16_t Empresa = 0;
    QDateTime DataHoraRecebido;
    QString RegistroAutomacao;
    QString Erro;
    QString Passo; // step marker the parser had reached

    // Inserts and reads the new Id back.
    bool Inclui();

    // Loads the latest quarantined row of the company holding this raw answer.
    bool Localiza(std::int16_t empresa, const QString& registroAutomacao);

    // Every quarantined answer, oldest first.
    static QList<AbastecimentoRejeitado> Lista(Conexao& conexao);

private:
    Conexao* conexao_;
};

} // namespace talvero
