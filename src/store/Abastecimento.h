#pragma once

#include "platform/Moeda.h"
#include "store/Conexao.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QTime>
#include <cstdint>

namespace talvero {

// One fueling, keyed by (Empresa, Data, Hora, Bico). The properties keep the
// order in which the agent fills them before an insert.
class Abastecimento {
public:
    explicit Abastecimento(Conexao& conexao) : conexao_(&conexao) {}

    std::int16_t Empresa = 0;
    QDate Data;
    QTime Hora;
    QString TempoAbastecimento;
    std::int16_t Bico = 0;
    std::int32_t Produto = 0;
    Moeda PrecoUnitario;
    Moeda Quantidade;
    Moeda ValorTotal;
    std::int32_t Funcionario = 0; // filled by the station's other programs; the agent writes 0
    std::int32_t Turno = 0;
    std::int32_t NumeroCupom = 0;
    QString PlacaVeiculo;
    Moeda Encerrante;
    QString RegistroAutomacao; // the concentrator's answer as received
    QString Observacao;
    QString Motorista;
    Moeda ValorDesconto;
    Moeda EncerranteInicial;
    QString Complemento;
    std::int32_t Cartao = 0;
    std::int16_t ValorParametro = 0;

    bool Localiza(std::int16_t empresa, const QDate& data, const QTime& hora, std::int16_t bico);
    // False when the key is taken.
    bool Inclui();
    // Rewrites every property but the key of the row under that key; false when there is none.
    bool Altera(std::int16_t empresa, const QDate& data, const QTime& hora, std::int16_t bico);

    // The fuelings stored under (empresa, data, bico) in the minute of `hora`
    // (hh:mm:00 to hh:mm:59), by time: tells a repeated delivery of a stored
    // answer from a different fueling in the same minute.
    struct NoMinuto {
        QTime Hora;
        QString RegistroAutomacao;
    };
    QList<NoMinuto> RegistrosNoMinuto(std::int16_t empresa, const QDate& data, const QTime& hora,
                                      std::int16_t bico);

    // Whether the nozzle holds a fueling stored in the minute of `hora` or later.
    bool ExisteDesde(std::int16_t empresa, const QDate& data, const QTime& hora, std::int16_t bico);

    // Loads the company's latest fueling by date and time; false when it has none.
    bool LocalizaUltimo(std::int16_t empresa);
    static int ContaNoDia(Conexao& conexao, std::int16_t empresa, const QDate& data);

    // Every stored fueling, by date, time, nozzle and company.
    static QList<Abastecimento> Lista(Conexao& conexao);

private:
    void carrega(const QSqlQuery& q);
    QVariantList valoresSemChave() const;

    Conexao* conexao_;
};

} // namespace talvero
