#include "AgenteDeTeste.h"

#include "shell/FormMenuAutomacao.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>

using namespace talvero;
using namespace talvero::teste;

namespace {

class Form : public ::testing::Test {
protected:
    void SetUp() override {
        a.escreveIni(AgenteDeTeste::iniCompleto());
        form.show();
        a.menu.Form_Load();
    }

    int descargas = 0;
    FormMenuAutomacao form{[this] { ++descargas; }};
    AgenteDeTeste a{&form};
};

// The controls' texts are the code's own constants; what matters is that they exist
// under their names and reach the program.
TEST_F(Form, ControlesEMenusComSeusNomesChegamAoPrograma) {
    for (const char* nome : {"cmdLeituraIdentificador", "cmdMinimizar", "cmdFechar", "cmdBlocoNotas", "cmdExplorer",
                             "lblMensagem", "Frame1", "mnuVersaoEquipamento", "mnuCartao", "mnuIncluiCartao",
                             "mnuExcluiCartao", "mnuLerCartao", "mnuPesquisaPosicaoCartao"})
        EXPECT_NE(form.findChild<QObject*>(QString::fromLatin1(nome)), nullptr) << nome;
    EXPECT_EQ(form.mnuCartao->actions().size(), 4);
    int cliques = 0;
    a.menu.acoes.mnuLerCartao_Click = [&] { ++cliques; };
    a.menu.acoes.cmdBlocoNotas_Click = [&] { cliques += 10; };
    form.mnuLerCartao->trigger();
    form.cmdBlocoNotas->click();
    EXPECT_EQ(cliques, 11);

    // A screenshot for whoever checks the window by eye.
    const QByteArray captura = qgetenv("TALVERO_CAPTURA_JANELA");
    if (!captura.isEmpty()) {
        EXPECT_TRUE(form.grab().save(QString::fromLocal8Bit(captura)));
    }
}

TEST_F(Form, MinimizarEscondeNaBandejaECliqueDuploTrazDeVolta) {
    ASSERT_TRUE(form.isVisible());
    form.cmdMinimizar->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(a.mundo.icone.presente);
    ASSERT_TRUE(a.mundo.icone.clicaDuasVezes());
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.windowState().testFlag(Qt::WindowMinimized));
    EXPECT_FALSE(a.mundo.icone.presente);
}

TEST_F(Form, CaixaDeFecharRodaOEncerramento) {
    EXPECT_TRUE(form.close());
    EXPECT_EQ(descargas, 1);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(a.log().last(), " - Finalizando AutoTalvero");
    EXPECT_FALSE(a.mundo.icone.presente);
}

} // namespace
