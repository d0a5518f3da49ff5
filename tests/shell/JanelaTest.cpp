#include "estacao/Estacao.h"

#include "shell/FormMenuAutomacao.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

namespace talvero::teste {
namespace {

std::vector<int> acoesDoIcone(const Estacao& e) {
    std::vector<int> acoes;
    for (const auto& c : e.mundo.icone.chamadas)
        acoes.push_back(c.acao);
    return acoes;
}

class Janela : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(e.iniciaAgente().descarregada()); }
    Estacao e;
};

TEST_F(Janela, MinimizarDeixaUmIconeECliqueDuploNeleRestaura) {
    MenuAutomacao& m = e.agente();
    m.cmdMinimizar_Click();
    EXPECT_EQ(acoesDoIcone(e), (std::vector<int>{0, 0})); // the duplicate is refused, and ignored
    EXPECT_TRUE(e.mundo.icone.presente);
    EXPECT_FALSE(e.janela().visivel());
    ASSERT_TRUE(e.mundo.icone.clicaDuasVezes());
    EXPECT_EQ(e.janela().estado(), EstadoJanela::Normal);
    EXPECT_TRUE(e.janela().visivel());
    EXPECT_FALSE(e.mundo.icone.presente);
    m.cmdMinimizar_Click();
    EXPECT_TRUE(e.mundo.icone.presente);
    EXPECT_FALSE(e.janela().visivel());

    // A click brings it back and takes the icon away; dragging shows it and keeps the icon.
    m.Form_Click();
    EXPECT_TRUE(e.janela().visivel());
    EXPECT_FALSE(e.mundo.icone.presente);
    m.cmdMinimizar_Click();
    m.Form_MouseMove(2);
    EXPECT_FALSE(e.janela().visivel());
    m.Form_MouseMove(1);
    EXPECT_TRUE(e.janela().visivel());
    EXPECT_TRUE(e.mundo.icone.presente);
}

// Without a notification area the window must stay within reach.
TEST_F(Janela, SemAreaDeNotificacaoMinimizarNaoEscondeAJanela) {
    e.mundo.icone.semBandeja = true;
    e.agente().cmdMinimizar_Click();
    EXPECT_TRUE(e.janela().visivel());
    EXPECT_EQ(e.janela().estado(), EstadoJanela::Minimizada);
}

TEST_F(Janela, FecharTiraOIconeLiberaOsObjetosEParaOEnlace) {
    MenuAutomacao& m = e.agente();
    e.roda(kMinuto); // the database objects in use, as after fuelings
    Bico& emUso = m.dados.bico();
    e.mundo.operador.aoExibir = [](const auto&) { FAIL() << "o fechamento não pergunta nada"; };
    m.cmdFechar_Click();
    EXPECT_FALSE(e.mundo.icone.presente);
    EXPECT_FALSE(m.dados.algumCriado());
    EXPECT_NO_THROW(emUso.Localiza(
        1, 1)); // a handler that was waiting when the window closed still finishes its step
    EXPECT_TRUE(e.janela().descarregada());
    EXPECT_FALSE(e.mundo.processos.encerrado);
    EXPECT_FALSE(m.transportes.serial().portaAberta());
    EXPECT_FALSE(m.TimerArquivo->habilitado() || m.TimerAutomacao->habilitado());
    m.Form_QueryUnload(); // the close box after the button changes nothing
    EXPECT_EQ(e.conta(QStringLiteral(" - Finalizando AutoTalvero")), 1);
}

TEST(JanelaComBibliotecaDoFabricante, FecharFechaABibliotecaETerminaNaHora) {
    Estacao e;
    e.defineIni(QStringLiteral("Usar Dll da Company"), QStringLiteral("SIM"));
    e.defineIni(QStringLiteral("Porta de Comunicacao"), QStringLiteral("10.0.0.5"));
    e.iniciaAgente();
    e.roda(5000);
    ASSERT_EQ(e.linhas().linhas().size(), 1u);
    EXPECT_EQ(e.linhas().linhas()[0]->nome(), QStringLiteral("10.0.0.5:4001"));
    e.agente().FechaJanela();
    EXPECT_TRUE(e.linhas().linhas().empty());
    EXPECT_EQ(e.mundo.processos.encerramentos, 1);
    EXPECT_FALSE(e.janela().descarregada());
}

// The real window, offscreen: every control exists under its name and reaches the program.
class Form : public ::testing::Test {
protected:
    void SetUp() override {
        form.show();
        e.iniciaAgente(&form);
    }
    int descargas = 0;
    FormMenuAutomacao form{[this] { ++descargas; }};
    Estacao e;
};

TEST_F(Form, ControlesComSeusNomesMinimizarEFecharPelaJanela) {
    for (const char* nome :
         {"cmdLeituraIdentificador", "cmdMinimizar", "cmdFechar", "cmdBlocoNotas", "cmdExplorer",
          "lblMensagem", "Frame1", "mnuVersaoEquipamento", "mnuCartao", "mnuIncluiCartao",
          "mnuExcluiCartao", "mnuLerCartao", "mnuPesquisaPosicaoCartao"})
        EXPECT_NE(form.findChild<QObject*>(QString::fromLatin1(nome)), nullptr) << nome;
    // Each control reaches its own dialog or tool: the first box it shows, or what it opens.
    const std::pair<std::function<void()>, const char*> controles[] = {
        {[&] { form.mnuIncluiCartao->trigger(); }, "Número do Cartão!"},
        {[&] { form.mnuExcluiCartao->trigger(); }, "Número do Cartão!"},
        {[&] { form.mnuLerCartao->trigger(); }, "Posição do Registro!"},
        {[&] { form.mnuPesquisaPosicaoCartao->trigger(); }, "Número do Cartão!"},
        {[&] { form.mnuVersaoEquipamento->trigger(); }, "Versão do Concentrador!"},
        {[&] { form.cmdLeituraIdentificador->click(); }, ""}};
    for (const auto& [aciona, titulo] : controles) {
        e.mundo.operador.exibidas.clear();
        aciona();
        ASSERT_FALSE(e.mundo.operador.exibidas.empty()) << titulo;
        EXPECT_EQ(e.mundo.operador.exibidas.front().titulo, QString::fromUtf8(titulo));
    }
    form.cmdBlocoNotas->click();
    form.cmdExplorer->click();
    EXPECT_EQ(e.mundo.processos.abertos.size(), 2u);

    // A screenshot for whoever checks the window by eye.
    if (const QByteArray captura = qgetenv("TALVERO_CAPTURA_JANELA"); !captura.isEmpty()) {
        EXPECT_TRUE(form.grab().save(QString::fromLocal8Bit(captura)));
    }

    form.cmdMinimizar->click();
    EXPECT_FALSE(form.isVisible());
    ASSERT_TRUE(e.mundo.icone.clicaDuasVezes());
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.windowState().testFlag(Qt::WindowMinimized));

    EXPECT_TRUE(form.close());
    EXPECT_EQ(descargas, 1);
    EXPECT_EQ(e.conta(QStringLiteral(" - Finalizando AutoTalvero")), 1);
}

// However long a panel line (a deep root in the command that lists the quarantine),
// it wraps and shows whole, on a window that stays a window's width.
TEST_F(Form, LinhaLongaDoPainelNuncaCortada) {
    TextosPainel t;
    t.quarentena = QStringLiteral("3 respostas — para listar: talvero-dados --root ") +
                   QString(30, 'x') + "/" + QString(40, 'y') + "/" + QString(30, 'z') +
                   QStringLiteral(" rejeitados");
    form.mostraPainel(t);
    QCoreApplication::processEvents();
    QLabel* rotulo = form.findChild<QLabel*>("lblQuarentena");
    ASSERT_NE(rotulo, nullptr);
    EXPECT_LE(form.width(), 800);
    EXPECT_GE(rotulo->height(), rotulo->heightForWidth(rotulo->width()));
    EXPECT_GE(rotulo->width(), rotulo->minimumSizeHint().width());
}

} // namespace
} // namespace talvero::teste
