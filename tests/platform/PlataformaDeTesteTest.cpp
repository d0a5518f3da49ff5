#include "platform/Erro.h"
#include "platform/PlataformaDeTeste.h"

#include <QDir>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace talvero;

namespace {

TEST(PlataformaDeTeste, UmaHoraComDoisTimersDe500ms) {
    PlataformaDeTeste p;
    Plataforma mundo = p.plataforma();
    int automacao = 0, arquivo = 0;
    auto ta = mundo.agendador.criaTemporizador(500, [&] { ++automacao; });
    auto tb = mundo.agendador.criaTemporizador(500, [&] {
        ++arquivo;
        mundo.arquivos.existe("C:\\Automacao\\Pedido_1.AUT");
    });
    ta->setHabilitado(true);
    tb->setHabilitado(true);
    p.agendador.avanca(3600 * 1000);
    EXPECT_EQ(automacao, 7200);
    EXPECT_EQ(arquivo, 7200);
    EXPECT_EQ(mundo.relogio.agora(), QDateTime(QDate(2026, 12, 5), QTime(19, 0), QTimeZone::utc()));
}

TEST(PlataformaDeTeste, ArquivosSobARaizTemporariaESemConcentrador) {
    PlataformaDeTeste p(QDateTime(QDate(2027, 1, 1), QTime(0, 0, 5)));
    p.criaPastaPrograma();
    EXPECT_TRUE(QDir(p.raiz.path() + "/C/Talvero/AutoTalvero").exists());
    Plataforma mundo = p.plataforma();
    mundo.arquivos.acrescentaLinha("C:\\Talvero\\AutoTalvero\\a.LOG", "x");
    EXPECT_TRUE(QFile::exists(p.raiz.path() + "/C/Talvero/AutoTalvero/a.LOG"));
    EXPECT_EQ(mundo.relogio.agora().date(), QDate(2027, 1, 1));
    EXPECT_THROW(mundo.canais.serial(1), Erro);
    EXPECT_THROW(mundo.canais.tcp("10.0.0.5", 2001), Erro);
}

} // namespace
