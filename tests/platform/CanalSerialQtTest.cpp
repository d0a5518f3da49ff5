#include "CanalTerminalVirtual.h"
#include "platform/CanalSerialQt.h"
#include "platform/Erro.h"
#include "platform/FabricaCanaisQt.h"

#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace talvero;
using namespace talvero::teste;

namespace {

class CanalSerialQtTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(terminal.valido());
        ASSERT_TRUE(terminal.ligaComo(raiz.path(), 3));
    }

    // Bytes cross the pseudo-terminal shortly after they are written.
    static qsizetype esperaDisponiveis(CanalBytes& canal, qsizetype quantos) {
        const QDeadlineTimer limite(2000);
        qsizetype n = 0;
        while ((n = canal.disponiveis()) < quantos && !limite.hasExpired()) {
        }
        return n;
    }

    static int numeroDoErro(CanalBytes& canal) {
        try {
            canal.abre();
        } catch (const Erro& e) {
            return e.numero();
        }
        return 0;
    }

    TerminalVirtual terminal;
    QTemporaryDir raiz;
    MapaCaminhos caminhos{raiz.path()};
    FabricaCanaisQt fabrica{caminhos};
};

TEST_F(CanalSerialQtTest, TrocaBytesPelaPortaMapeadaSemLacoDeEventos) {
    auto canal = fabrica.serial(3);
    canal->abre();
    ASSERT_TRUE(canal->aberto());

    canal->escreve(QByteArray("(&H051830)\xE9"));
    EXPECT_EQ(terminal.le(11), QByteArray("(&H051830)\xE9"));

    ASSERT_TRUE(terminal.escreve("(0)"));
    EXPECT_TRUE(canal->aguardaDados(2000));
    ASSERT_TRUE(terminal.escreve("(&H)"));
    EXPECT_EQ(esperaDisponiveis(*canal, 7), 7);
    EXPECT_EQ(canal->le(), QByteArray("(0)(&H)"));
    EXPECT_EQ(canal->disponiveis(), 0);

    ASSERT_TRUE(terminal.escreve("(&V00)"));
    EXPECT_EQ(esperaDisponiveis(*canal, 6), 6);
    canal->descarta();
    EXPECT_EQ(canal->le(), QByteArray());
    EXPECT_FALSE(canal->aguardaDados(20));

    canal->fecha();
    EXPECT_FALSE(canal->aberto());
}

TEST_F(CanalSerialQtTest, PortaInexistenteZeroOuOcupadaFalhaComErroDaPorta) {
    QFile::link(raiz.path() + QStringLiteral("/nada"), raiz.path() + QStringLiteral("/dev/COM5"));
    auto inexistente = fabrica.serial(5);
    EXPECT_EQ(numeroDoErro(*inexistente), erros::PortaInvalida);
    EXPECT_FALSE(inexistente->aberto());

    auto zero = fabrica.serial(0);
    EXPECT_EQ(numeroDoErro(*zero), erros::PortaInvalida);

    auto primeira = fabrica.serial(3);
    primeira->abre();
    auto segunda = fabrica.serial(3);
    EXPECT_EQ(numeroDoErro(*segunda), erros::PortaEmUso);
    EXPECT_THROW(segunda->escreve("(&V)"), Erro);
}

} // namespace
