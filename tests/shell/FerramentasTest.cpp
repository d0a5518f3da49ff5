#include "estacao/Estacao.h"
#include "shell/FerramentasOperador.h"

namespace talvero::teste {
namespace {

const QDateTime kQuaseSete(QDate(2026, 12, 5), QTime(18, 59, 59, 500));

// The log viewer opens the file of the hour at the click, though the in-progress
// card query before it ends in the next hour; the file browser the program
// folder; a failure tells the operator.
TEST(Ferramentas, RegistroDaHoraDoCliquePastaDoProgramaEFalhaAvisada) {
    Estacao e({}, kQuaseSete);
    MenuAutomacao& a = e.iniciaAgente();
    a.cmdBlocoNotas_Click();
    e.roda(1000);
    a.cmdBlocoNotas_Click();
    a.cmdExplorer_Click();
    EXPECT_EQ(e.mundo.processos.abertos,
              (std::vector<QString>{"C:\\Talvero\\AutoTalvero\\AUTOMACAO_05_12_2026_18.LOG",
                                    "C:\\Talvero\\AutoTalvero\\AUTOMACAO_05_12_2026_19.LOG",
                                    "C:\\Talvero\\AutoTalvero\\"}));
    EXPECT_TRUE(e.nucleo.quadrosRecebidos().front().startsWith("(?V"));
    e.mundo.processos.falhaAoIniciar = true;
    a.cmdExplorer_Click();
    EXPECT_EQ(e.mundo.operador.exibidas.back().titulo,
              QStringLiteral("Erro ao Executar Aplicataivo!"));
    EXPECT_EQ(FerramentasOperador::PastaWindows(QStringLiteral("C:\\WINDOWS\\system32\\")),
              QStringLiteral("C:\\WINDOWS\\"));
    EXPECT_EQ(FerramentasOperador::PastaWindows({}), QString());
}

// The versions of a 51-character answer, on both transports; anything else is an error box.
TEST(Ferramentas, VersaoDoConcentradorSoDeUmaRespostaInteira) {
    for (const bool biblioteca : {false, true}) {
        Estacao e;
        if (biblioteca) e.defineIni(QStringLiteral("Usar Dll da Company"), QStringLiteral("SIM"));
        MenuAutomacao& a = e.iniciaAgente();
        e.roda(3000);
        a.mnuVersaoEquipamento_Click();
        const auto& vista = e.mundo.operador.exibidas.back();
        EXPECT_EQ(
            std::pair(vista.titulo, vista.texto),
            std::pair(QStringLiteral("Versão do Concentrador!"),
                      QStringLiteral("Versão de firmware=0412\r\nVersão do software Monitor=0207")))
            << biblioteca;
        e.nucleo.falhas().truncada.proximas = 1;
        e.nucleo.falhas().tamanhoTruncado = 50;
        a.mnuVersaoEquipamento_Click();
        EXPECT_EQ(e.mundo.operador.exibidas.back().titulo, QStringLiteral("Erro ao Pedir Versão!"));
        EXPECT_TRUE(a.TimerAutomacao->habilitado());
    }
}

} // namespace
} // namespace talvero::teste
