#pragma once

#include "store/Conexao.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QTime>
#include <cstdint>

namespace talvero {

// Quarantine of fueling answers that could not be parsed or completed: the raw
// answer is kept so that nothing the concentrator handed over is lost, until
// talvero-dados reprocessar stores it and marks the row with the fueling's key.
class AbastecimentoRejeitado {
public:
    explicit AbastecimentoRejeitado(Conexao& conexao) : conexao_(&conexao) {}

    std::int64_t Id = 0; // given by the database
    std::int16_t Empresa = 0;
    QDateTime DataHoraRecebido;
    QString RegistroAutomacao;
    QString Erro;
    QString Passo;                  // step marker the parser had reached
    QDateTime DataHoraReprocessado; // invalid while the answer waits
    QDate DataAbastecimento;
    QTime HoraAbastecimento;
    std::int16_t BicoAbastecimento = 0;

    bool Reprocessado() const { return DataHoraReprocessado.isValid(); }

    // Inserts and reads the new Id back.
    bool Inclui();
    // Rewrites error, step and reprocessing of the row `id`; false when there is none.
    bool Altera(std::int64_t id);

    // Loads the latest quarantined row of the company holding this raw answer.
    bool Localiza(std::int16_t empresa, const QString& registroAutomacao);

    // The company's answers not reprocessed yet.
    static int ContaAguardando(Conexao& conexao, std::int16_t empresa);

    // Every quarantined answer, oldest first.
    static QList<AbastecimentoRejeitado> Lista(Conexao& conexao);

private:
    Conexao* conexao_;
};

} // namespace talvero
