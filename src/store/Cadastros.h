#pragma once

#include "platform/Moeda.h"
#include "store/Conexao.h"

#include <QString>
#include <cstdint>

// The station's registers the agent reads while completing a fueling. Each
// object works on one Conexao; Localiza loads the row into the properties and
// returns false (properties untouched) when there is none.
namespace talvero {

// The concentrator names nozzles by two-character codes ("0C"); this table gives
// the station's nozzle number.
class BicoAutomacao {
public:
    explicit BicoAutomacao(Conexao& conexao) : conexao_(&conexao) {}

    // Raises Erro when the table lacks the code.
    std::int16_t BicoDoCodigo(const QString& codigo);

private:
    Conexao* conexao_;
};

class Bico {
public:
    explicit Bico(Conexao& conexao) : conexao_(&conexao) {}
    bool Localiza(std::int16_t empresa, std::int16_t bico);

    std::int32_t Produto = 0;
    QString Complemento;

private:
    Conexao* conexao_;
};

class Produto {
public:
    explicit Produto(Conexao& conexao) : conexao_(&conexao) {}
    bool Localiza(std::int32_t produto);

    Moeda PrecoVenda;

private:
    Conexao* conexao_;
};

class Estoque {
public:
    explicit Estoque(Conexao& conexao) : conexao_(&conexao) {}
    bool Localiza(std::int16_t empresa, std::int32_t produto);

    Moeda PrecoVenda;

private:
    Conexao* conexao_;
};

class CartaoIdentFid {
public:
    explicit CartaoIdentFid(Conexao& conexao) : conexao_(&conexao) {}
    bool Localiza(std::int16_t empresa, const QString& cartao);

    std::int32_t Codigo = 0;

private:
    Conexao* conexao_;
};

class ParametroEmpresa {
public:
    explicit ParametroEmpresa(Conexao& conexao) : conexao_(&conexao) {}
    bool Localiza(std::int16_t empresa, std::int16_t numero);

    QString Valor;

private:
    Conexao* conexao_;
};

// The current totalizer of each nozzle.
class EncerranteAtual {
public:
    explicit EncerranteAtual(Conexao& conexao) : conexao_(&conexao) {}
    bool Localiza(std::int16_t empresa, std::int16_t bico);
    // False when the nozzle has no row.
    bool Altera(std::int16_t empresa, std::int16_t bico);

    Moeda Encerrante;

private:
    Conexao* conexao_;
};

} // namespace talvero
