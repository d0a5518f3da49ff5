#pragma once

#include "comum/Ajuda.h"
#include "store/Abastecimento.h"
#include "store/Conexao.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <memory>

namespace talvero::teste {

enum class Motor { SQLite, PostgreSQL };

// Runs a suite on a fresh SQLite file and on a fresh schema of the PostgreSQL
// server named by TALVERO_TESTE_PG_*. Without that server the PostgreSQL cases
// are skipped, except under CI=true, where they fail.
class BancoTest : public ::testing::TestWithParam<Motor> {
protected:
    void SetUp() override;
    void TearDown() override;

    bool pg() const { return GetParam() == Motor::PostgreSQL; }
    Conexao& conexao();                     // connected on first use
    std::unique_ptr<Conexao> novaConexao(); // another connection to the same database
    void cadastra(const char* arquivo, const char* csv);
    QSqlQuery direto(const QString& sql); // plain SQL on a connection of the test's own

    QTemporaryDir dir_;
    OpcoesBanco opcoes_;

private:
    std::unique_ptr<Conexao> conexao_;
    std::unique_ptr<Conexao> direta_;
};

std::string nomeMotor(const ::testing::TestParamInfo<Motor>& info);
inline void PrintTo(Motor m, std::ostream* os) {
    *os << (m == Motor::SQLite ? "SQLite" : "PostgreSQL");
}

// Every field of a fueling, to compare two in one go.
inline auto campos(const Abastecimento& a) {
    return std::tuple(a.Empresa, a.Data, a.Hora, a.TempoAbastecimento, a.Bico, a.Produto,
                      a.PrecoUnitario, a.Quantidade, a.ValorTotal, a.Funcionario, a.Turno,
                      a.NumeroCupom, a.PlacaVeiculo, a.Encerrante, a.RegistroAutomacao,
                      a.Observacao, a.Motorista, a.ValorDesconto, a.EncerranteInicial,
                      a.Complemento, a.Cartao, a.ValorParametro);
}

} // namespace talvero::teste

#define TALVERO_NOS_DOIS_BANCOS(Suite)                                                             \
    INSTANTIATE_TEST_SUITE_P(                                                                      \
        Bancos, Suite,                                                                             \
        ::testing::Values(::talvero::teste::Motor::SQLite, ::talvero::teste::Motor::PostgreSQL),   \
        ::talvero::teste::nomeMotor)
