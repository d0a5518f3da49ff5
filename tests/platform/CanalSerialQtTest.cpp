#include "CanalTerminalVirtual.h"
#include "platform/Erro.h"
#include "platform/FabricaCanaisQt.h"

#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace talvero;

namespace {

int numeroAoAbrir(CanalBytes& canal) {
    try {
        canal.abre();
    } catch (const Erro& e) {
        return e.numero();
    }
    return 0;
}

TEST(CanalSerialQt, TrocaBytesPelaPortaMapeadaEFalhaComoPorta) {
    teste::TerminalVirtual terminal;
    QTemporaryDir raiz;
    ASSERT_TRUE(terminal.ligaComo(raiz.path(), 3));
    MapaCaminhos caminhos(raiz.path());
    FabricaCanaisQt fabrica(caminhos);
    auto canal = fabrica.serial(3);
    canal->abre();

    canal->escreve(QByteArray("(&H051830)\xE9"));
    EXPECT_EQ(terminal.le(11), QByteArray("(&H051830)\xE9"));

    ASSERT_TRUE(terminal.escreve("(0)"));
    EXPECT_TRUE(canal->aguardaDados(2000));
    // Counted without any event loop: the stream asks the device itself.
    ASSERT_TRUE(terminal.escreve("(&H)"));
    for (const QDeadlineTimer limite(2000); canal->disponiveis() < 7 && !limite.hasExpired();) {
    }
    EXPECT_EQ(canal->le(), QByteArray("(0)(&H)"));
    EXPECT_FALSE(canal->aguardaDados(20));

    auto ocupada = fabrica.serial(3);
    EXPECT_EQ(numeroAoAbrir(*ocupada), erros::PortaEmUso);
    EXPECT_THROW(ocupada->escreve("(&V)"), Erro);
    QFile::link(raiz.path() + "/nada", raiz.path() + "/dev/COM5");
    EXPECT_EQ(numeroAoAbrir(*fabrica.serial(5)), erros::PortaInvalida);
    EXPECT_EQ(numeroAoAbrir(*fabrica.serial(0)), erros::PortaInvalida);

    canal->fecha();
    EXPECT_FALSE(canal->aberto());
}

} // namespace
