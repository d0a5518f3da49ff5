#include "comum/BancoDeTeste.h"

#include "store/Importacao.h"

#include <QCoreApplication>

namespace talvero::teste {

namespace {

int contador = 0;

QString env(const char* nome) {
    return qEnvironmentVariable(nome);
}

} // namespace

std::string nomeMotor(const ::testing::TestParamInfo<Motor>& info) {
    return info.param == Motor::SQLite ? "SQLite" : "PostgreSQL";
}

void BancoTest::SetUp() {
    ++contador;
    if (!pg()) {
        opcoes_ = OpcoesBanco::sqlite(dir_.filePath(QStringLiteral("Talvero.db")));
        return;
    }
    if (env("TALVERO_TESTE_PG_HOST").isEmpty()) {
        if (env("CI") == QLatin1String("true"))
            FAIL() << "TALVERO_TESTE_PG_* ausente: no CI os testes de PostgreSQL não podem ser "
                      "pulados";
        GTEST_SKIP() << "sem servidor PostgreSQL de teste (scripts/postgres-teste start DIR)";
    }
    opcoes_.driver = OpcoesBanco::Driver::PostgreSQL;
    opcoes_.servidor = env("TALVERO_TESTE_PG_HOST");
    opcoes_.porta = env("TALVERO_TESTE_PG_PORTA").toInt();
    opcoes_.usuario = env("TALVERO_TESTE_PG_USUARIO");
    opcoes_.banco = env("TALVERO_TESTE_PG_BANCO");
    opcoes_.esquema =
        QStringLiteral("teste_%1_%2").arg(QCoreApplication::applicationPid()).arg(contador);
}

void BancoTest::TearDown() {
    conexao_.reset();
    if (opcoes_.driver == OpcoesBanco::Driver::PostgreSQL)
        direto(QStringLiteral("DROP SCHEMA IF EXISTS ") + opcoes_.esquema + " CASCADE");
    direta_.reset();
}

Conexao& BancoTest::conexao() {
    if (!conexao_) conexao_ = novaConexao();
    return *conexao_;
}

std::unique_ptr<Conexao> BancoTest::novaConexao() {
    auto c = std::make_unique<Conexao>(opcoes_);
    EXPECT_TRUE(c->Conecta()) << c->ultimoErro().toStdString();
    return c;
}

void BancoTest::cadastra(const char* arquivo, const char* csv) {
    importacao::importa(conexao(), {{QString::fromLatin1(arquivo), QByteArray(csv)}});
}

QSqlQuery BancoTest::direto(const QString& sql) {
    if (!direta_) direta_ = novaConexao();
    return direta_->executa(QStringLiteral("teste"), sql);
}

} // namespace talvero::teste
