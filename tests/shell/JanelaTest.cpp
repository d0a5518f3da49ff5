#include "AgenteDeTeste.h"

using namespace talvero;
using namespace talvero::teste;

namespace {

class Janela : public ::testing::Test {
protected:
    void SetUp() override {
        a.escreveIni(AgenteDeTeste::iniCompleto());
        a.menu.Form_Load();
        ASSERT_FALSE(a.janela.descarregada());
    }
    std::vector<int> acoesDoIcone() const {
        std::vector<int> acoes;
        for (const auto& c : a.mundo.icone.chamadas) acoes.push_back(c.acao);
        return acoes;
    }

    AgenteDeTeste a;
};

TEST_F(Janela, MinimizarDeixaUmIconeECliqueDuploNeleRestaura) {
    EXPECT_TRUE(a.janela.visivel());
    EXPECT_TRUE(a.mundo.icone.presente);
    a.menu.cmdMinimizar_Click();
    EXPECT_EQ(acoesDoIcone(), (std::vector<int>{0, 0}));
    EXPECT_FALSE(a.mundo.icone.chamadas[1].resultado);  // the duplicate is refused, and ignored
    EXPECT_TRUE(a.mundo.icone.presente);
    EXPECT_FALSE(a.janela.visivel());
    EXPECT_EQ(a.janela.estado(), EstadoJanela::Minimizada);

    ASSERT_TRUE(a.mundo.icone.clicaDuasVezes());
    EXPECT_EQ(a.janela.estado(), EstadoJanela::Normal);
    EXPECT_TRUE(a.janela.visivel());
    EXPECT_FALSE(a.mundo.icone.presente);
    EXPECT_EQ(a.janela.ativacoes(), 1);
    EXPECT_EQ(acoesDoIcone(), (std::vector<int>{0, 0, 2}));
    // Minimised again it goes back to the notification area.
    a.menu.cmdMinimizar_Click();
    EXPECT_TRUE(a.mundo.icone.presente);
    EXPECT_FALSE(a.janela.visivel());
}

TEST_F(Janela, SemAreaDeNotificacaoMinimizarNaoEscondeAJanela) {
    a.mundo.icone.semBandeja = true;
    a.menu.cmdMinimizar_Click();
    EXPECT_EQ(acoesDoIcone(), (std::vector<int>{0}));
    EXPECT_TRUE(a.janela.visivel());
    EXPECT_EQ(a.janela.estado(), EstadoJanela::Minimizada);
}

TEST_F(Janela, CliqueNaJanelaTiraOIcone) {
    a.menu.Form_Click();
    EXPECT_FALSE(a.mundo.icone.presente);
    EXPECT_TRUE(a.janela.visivel());
    EXPECT_EQ(a.janela.ativacoes(), 1);
    a.menu.Form_DblClick();
    EXPECT_EQ(acoesDoIcone(), (std::vector<int>{0, 2, 2}));
    EXPECT_EQ(a.janela.ativacoes(), 2);
}

TEST_F(Janela, ArrastarComBotaoEsquerdoMostraMasMantemOIcone) {
    a.menu.Form_MouseMove(2);
    EXPECT_EQ(a.janela.ativacoes(), 0);
    a.menu.Form_MouseMove(1);
    EXPECT_EQ(a.janela.ativacoes(), 1);
    EXPECT_TRUE(a.mundo.icone.presente);
    EXPECT_EQ(acoesDoIcone(), std::vector<int>{0});
}

TEST_F(Janela, FecharTiraOIconeRegistraELiberaNaOrdem) {
    // Every object in use, as after a day of fuelings.
    a.menu.dados.bicoAutomacao();
    a.menu.dados.produto();
    a.menu.dados.abastecimento();
    a.menu.dados.parametroEmpresa();
    a.menu.dados.estoque();
    a.menu.dados.encerranteAtual();
    a.menu.dados.cartaoIdentFid();
    Bico& emUso = a.menu.dados.bico();
    std::vector<QString> eventos;
    a.menu.dados.aoLiberar = [&](const char* nome) { eventos.push_back(QString::fromLatin1(nome)); };
    a.mundo.operador.aoExibir = [](const auto&) { FAIL() << "o fechamento não pergunta nada"; };

    a.menu.cmdFechar_Click();
    EXPECT_EQ(acoesDoIcone(), (std::vector<int>{0, 2}));
    EXPECT_EQ(a.log().last(), " - Finalizando AutoTalvero");
    EXPECT_EQ(eventos, (std::vector<QString>{"Conexao", "BicoAutomacao", "Bico", "CartaoIdentFid", "EncerranteAtual",
                                             "Estoque", "ParametroEmpresa", "Abastecimento", "Produto",
                                             "AbastecimentoRejeitado"}));
    EXPECT_FALSE(a.menu.dados.algumCriado());
    // A handler that was waiting when the window closed still finishes its step.
    EXPECT_FALSE(emUso.Localiza(7, 1));
    EXPECT_TRUE(a.janela.descarregada());
    EXPECT_FALSE(a.mundo.processos.encerrado);
    EXPECT_FALSE(a.menu.transportes.serial().portaAberta());
    EXPECT_FALSE(a.menu.TimerArquivo->habilitado());

    // The close box after the button changes nothing.
    a.menu.Form_QueryUnload();
    EXPECT_EQ(a.log().count(" - Finalizando AutoTalvero"), 1);
}

TEST_F(Janela, AcoesDosControlesETimersSaoPlugaveis) {
    int ticksArquivo = 0, ticksAutomacao = 0, leituras = 0;
    a.menu.cmdLeituraIdentificador_Click();  // nothing plugged in yet: nothing happens
    a.menu.acoes.TimerArquivo_Timer = [&] { ++ticksArquivo; };
    a.menu.acoes.TimerAutomacao_Timer = [&] { ++ticksAutomacao; };
    a.menu.acoes.cmdLeituraIdentificador_Click = [&] { ++leituras; };
    a.mundo.agendador.avanca(1000);
    EXPECT_EQ(ticksArquivo, 2);
    EXPECT_EQ(ticksAutomacao, 2);
    a.menu.cmdLeituraIdentificador_Click();
    EXPECT_EQ(leituras, 1);
}

TEST(JanelaComBibliotecaDoFabricante, FecharFechaABibliotecaETerminaNaHora) {
    AgenteDeTeste a;
    QStringList ini = AgenteDeTeste::iniCompleto();
    for (QString& l : ini) {
        if (l.startsWith(QLatin1String("Usar Dll da Company="))) l = QStringLiteral("Usar Dll da Company=SIM");
        if (l.startsWith(QLatin1String("Porta de Comunicacao="))) l = QStringLiteral("Porta de Comunicacao=10.0.0.5");
    }
    a.escreveIni(ini);
    a.menu.Form_Load();
    ASSERT_NE(a.biblioteca, nullptr);
    a.menu.FechaJanela();
    EXPECT_EQ(a.biblioteca->chamadas, (QStringList{"VB_OpenSocket 10.0.0.5", "VB_CloseSocket"}));
    EXPECT_EQ(a.menu.enlace.lRetDll, 1);
    EXPECT_EQ(a.log().last(), " - Finalizando AutoTalvero");
    EXPECT_EQ(a.mundo.processos.encerramentos, 1);
    EXPECT_FALSE(a.janela.descarregada());
}

} // namespace
