#include "AgenteDeTeste.h"

#include "platform/CodecAnsi.h"
#include "support/Instalacao.h"

#include <QFile>
#include <gtest/gtest.h>

#include <tuple>

using namespace talvero;
using namespace talvero::teste;

namespace {

const QString kIniciado = QStringLiteral(" - AutoTalvero Iniciado: ");
const QString kFinalizando = QStringLiteral(" - Finalizando AutoTalvero");

QStringList comValor(QStringList ini, const QString& chave, const QString& valor) {
    for (QString& l : ini)
        if (l.startsWith(chave + QLatin1Char('='))) l = chave + QLatin1Char('=') + valor;
    return ini;
}

QStringList sem(QStringList ini, const QString& chave) {
    ini.removeIf([&](const QString& l) { return l.startsWith(chave + QLatin1Char('=')); });
    return ini;
}

class Carga : public ::testing::Test {
protected:
    void carrega(const QStringList& ini) {
        a.escreveIni(ini);
        a.menu.Form_Load();
    }
    bool arquivoHabilitado() const { return a.menu.TimerArquivo->habilitado(); }
    bool automacaoHabilitado() const { return a.menu.TimerAutomacao->habilitado(); }
    const OperadorRoteirizado::Exibicao& caixa(size_t i) const { return a.mundo.operador.exibidas.at(i); }

    AgenteDeTeste a;
};

TEST_F(Carga, ConfiguracaoCompletaAbreOEnlaceEFicaRodando) {
    carrega(AgenteDeTeste::iniCompleto());
    EXPECT_EQ(a.log(), (QStringList{kIniciado, " - Usando DLL da Talvero", " - Usando IdentFID", " - Conectado ao Banco",
                                    " - Porta de comunicação: COM1"}));
    EXPECT_TRUE(a.logBruto().startsWith("18:00:00 - AutoTalvero Iniciado: \r\n"));
    EXPECT_TRUE(a.logBruto().contains(" - Porta de comunica\xe7\xe3o: COM1\r\n"));
    EXPECT_EQ(a.janela.titulo(), "Talvero Automação V-4.04.26-0");
    ASSERT_EQ(a.mundo.icone.chamadas.size(), 1u);
    EXPECT_EQ(a.mundo.icone.chamadas[0].acao, 0);
    EXPECT_EQ(a.mundo.icone.chamadas[0].dica, "Talvero Automação V-4.04.26-0");

    const Configuracao& c = a.menu.config;
    EXPECT_EQ(std::tuple(int(c.lQuantidadeBicos), int(c.lCodigoEmpresa), int(c.gCodigoEmpresa), int(c.gNumeroEmail)),
              std::tuple(12, 7, 7, 0));
    EXPECT_EQ(c.lNomeEmpresa, "POSTO CENTRAL LTDA DE COMBUSTIVEIS");
    EXPECT_EQ(std::tuple(c.lCriarLogTimer, c.gEmailConcluido, c.lUsarDllCompany, c.lUsarIdentFid),
              std::tuple(true, true, false, true));
    EXPECT_EQ(a.menu.FileList.Path, "C:\\Automacao\\");
    EXPECT_EQ(a.menu.FileList.Pattern, "Pedido_*.AUT");
    EXPECT_TRUE(arquivoHabilitado() && automacaoHabilitado());
    EXPECT_EQ(a.menu.TimerArquivo->intervaloMs(), 500);
    EXPECT_EQ(a.menu.TimerAutomacao->intervaloMs(), 500);
    EXPECT_EQ(a.canais.portasPedidas, std::vector<int>{1});
    EXPECT_TRUE(a.mundo.operador.exibidas.empty());
    EXPECT_FALSE(a.janela.descarregada());
    EXPECT_FALSE(a.mundo.processos.encerrado);
}

TEST_F(Carga, SemArquivoDeConfiguracaoParaNoNumeroDoEmail) {
    a.menu.Form_Load();
    EXPECT_EQ(a.log(), (QStringList{kIniciado, " - Usando DLL da Talvero", " - Não Usando IdentFID",
                                    " - ERRO Form Load: Tipos incompatíveis - Err: 13"}));
    EXPECT_FALSE(arquivoHabilitado());
    EXPECT_FALSE(automacaoHabilitado());
    EXPECT_FALSE(a.menu.dados.algumCriado());
    EXPECT_TRUE(a.canais.portasPedidas.empty());
    EXPECT_FALSE(a.janela.descarregada());
    EXPECT_FALSE(a.mundo.processos.encerrado);
    EXPECT_EQ(a.menu.FileList.Pattern, "*.ECF");
}

TEST_F(Carga, NumeroDoEmailAusenteComORestoPreenchido) {
    carrega(sem(AgenteDeTeste::iniCompleto(), QStringLiteral("Numero do Email")));
    EXPECT_EQ(a.log(), (QStringList{kIniciado, " - Usando DLL da Talvero", " - Usando IdentFID",
                                    " - ERRO Form Load: Tipos incompatíveis - Err: 13"}));
    EXPECT_FALSE(arquivoHabilitado());
    EXPECT_FALSE(automacaoHabilitado());
    // Values read before the failure stay; later ones keep their defaults.
    EXPECT_EQ(a.menu.config.gCodigoEmpresa, 7);
    EXPECT_TRUE(a.menu.config.lUsarIdentFid);
    EXPECT_TRUE(a.menu.FileList.Path.isEmpty());
    EXPECT_FALSE(a.menu.dados.algumCriado());
    // Nothing runs afterwards, not even much later.
    a.mundo.agendador.avanca(60'000);
    EXPECT_EQ(a.log().size(), 4);
}

TEST_F(Carga, SimMinusculoNaoLigaNenhumaOpcao) {
    QStringList ini = comValor(AgenteDeTeste::iniCompleto(), QStringLiteral("Usar Dll da Company"), QStringLiteral("sim"));
    ini = comValor(ini, QStringLiteral("Usar IdentFID"), QStringLiteral(" SIM "));  // blanks around go
    ini = comValor(ini, QStringLiteral("Criar Log Timer"), QStringLiteral("Sim"));
    carrega(ini);
    EXPECT_EQ(a.log().mid(1, 2), (QStringList{" - Usando DLL da Talvero", " - Usando IdentFID"}));
    EXPECT_FALSE(a.menu.config.lUsarDllCompany);
    EXPECT_FALSE(a.menu.config.lCriarLogTimer);
    EXPECT_TRUE(automacaoHabilitado());
    EXPECT_EQ(a.biblioteca, nullptr);
}

TEST_F(Carga, PastaVaziaViraAutomacaoNoDriveC) {
    carrega(comValor(AgenteDeTeste::iniCompleto(), QStringLiteral("Pasta da automacao"), QString()));
    EXPECT_EQ(a.menu.FileList.Path, "C:\\Automacao\\");
}

TEST_F(Carga, QuantidadeDeBicosArredondaParaOPar) {
    const std::pair<const char*, int> casos[] = {{"12.5", 12}, {"13.5", 14}, {"12.6", 13}, {"doze", 0}, {"", 0}};
    for (const auto& [texto, esperado] : casos) {
        AgenteDeTeste b;
        b.escreveIni(comValor(AgenteDeTeste::iniCompleto(), QStringLiteral("Quantidade de Bicos"), QString::fromUtf8(texto)));
        b.menu.Form_Load();
        EXPECT_EQ(b.menu.config.lQuantidadeBicos, esperado) << texto;
    }
}

TEST_F(Carga, NumeroForaDos16BitsEstouraAntesDasOpcoes) {
    carrega(comValor(AgenteDeTeste::iniCompleto(), QStringLiteral("Codigo da Empresa"), QStringLiteral("40000")));
    EXPECT_EQ(a.log(), (QStringList{kIniciado, " - ERRO Form Load: Estouro - Err: 6"}));
    EXPECT_FALSE(arquivoHabilitado());
}

TEST_F(Carga, ComputadorErradoFechaAJanelaSemAbrirOEnlace) {
    carrega(comValor(AgenteDeTeste::iniCompleto(), QStringLiteral("Computador com automacao"), QStringLiteral("CAIXA02")));
    ASSERT_EQ(a.mundo.operador.exibidas.size(), 1u);
    EXPECT_EQ(caixa(0).titulo, "Computador Não Autorizado a Executar Este Programa!");
    EXPECT_EQ(caixa(0).texto, "O computador configurado para rodar este programa deve ser o: CAIXA02\n"
                              "Entre em contato com o suporte técnico.\nEste programa será fechado automaticamente.");
    EXPECT_EQ(caixa(0).icone, Icone::Critico);
    EXPECT_TRUE(a.canais.portasPedidas.empty());
    EXPECT_EQ(a.log().last(), kFinalizando);
    EXPECT_TRUE(a.janela.descarregada());
    EXPECT_FALSE(a.mundo.processos.encerrado);
    EXPECT_FALSE(a.mundo.icone.presente);
    EXPECT_FALSE(arquivoHabilitado());
    EXPECT_FALSE(automacaoHabilitado());
}

TEST_F(Carga, NomeDoComputadorComparadoSemDistinguirCaixa) {
    carrega(comValor(AgenteDeTeste::iniCompleto(), QStringLiteral("Computador com automacao"), QStringLiteral("caixa01")));
    EXPECT_TRUE(a.mundo.operador.exibidas.empty());
    EXPECT_EQ(a.canais.portasPedidas, std::vector<int>{1});
}

TEST_F(Carga, ComputadorVazioSoPassaComNomeDoHostVazio) {
    const QStringList ini = comValor(AgenteDeTeste::iniCompleto(), QStringLiteral("Computador com automacao"), QString());
    carrega(ini);
    EXPECT_TRUE(a.janela.descarregada());

    AgenteDeTeste b;
    b.mundo.host.nome = QByteArray();
    b.escreveIni(ini);
    b.menu.Form_Load();
    EXPECT_FALSE(b.janela.descarregada());
    EXPECT_EQ(b.canais.portasPedidas, std::vector<int>{1});
}

TEST_F(Carga, EnlaceQueNaoAbreFechaAJanela) {
    a.canais.falham = true;
    carrega(AgenteDeTeste::iniCompleto());
    ASSERT_EQ(a.mundo.operador.exibidas.size(), 1u);
    EXPECT_EQ(caixa(0).titulo, "Erro Grave de Comunicação!");
    EXPECT_EQ(caixa(0).texto, "Erro ao Iniciar comunicação com o equipamento de Automação!\n"
                              "Entre em contato com o suporte técnico.\nEste programa será fechado automaticamente.");
    EXPECT_EQ(caixa(0).icone, Icone::Critico);
    EXPECT_EQ(a.log().last(), kFinalizando);
    EXPECT_TRUE(a.janela.descarregada());
}

TEST_F(Carga, SegundaInstanciaTerminaNaHora) {
    a.mundo.processos.outraInstancia = true;
    carrega(AgenteDeTeste::iniCompleto());
    EXPECT_EQ(a.log(), (QStringList{kIniciado, " - AutoTalvero será fechado, pois existe outro aberto"}));
    EXPECT_EQ(a.mundo.processos.encerramentos, 1);
    EXPECT_TRUE(a.mundo.icone.chamadas.empty());
    EXPECT_TRUE(a.mundo.operador.exibidas.empty());
    EXPECT_FALSE(a.janela.descarregada());
    EXPECT_FALSE(arquivoHabilitado());
}

TEST_F(Carga, BancoInacessivelPedeEmailAvisaETerminaNaHora) {
    QStringList ini = AgenteDeTeste::iniCompleto();
    ini << QStringLiteral("[BANCO DE DADOS]") << QStringLiteral("Arquivo=C:\\SemPasta\\Talvero.db");
    a.mundo.criaPasta(QStringLiteral("C:\\vb5\\zorp"));
    carrega(ini);
    EXPECT_EQ(a.log(), (QStringList{kIniciado, " - Usando DLL da Talvero", " - Usando IdentFID",
                                    " - AutoTalvero Nao Conectado com o BD"}));
    // The queued records fail with the database; the registration file is still written.
    ASSERT_EQ(a.mundo.operador.exibidas.size(), 2u);
    EXPECT_EQ(caixa(0).titulo, "Erro Interno!");
    EXPECT_TRUE(caixa(0).texto.startsWith("Erro ao gravar Zorp_Cadastro.ini!\n"));
    EXPECT_EQ(caixa(1).titulo, "Erro de Comunicação!");
    EXPECT_EQ(caixa(1).texto, "A automação não irá funcionar por falta de comunicação com o banco de dados!\n"
                              "Entre em contato com o suporte técnico.");
    EXPECT_EQ(caixa(1).icone, Icone::Critico);
    QFile cadastro(a.mundo.local(instalacao::kCadastroZorp));
    ASSERT_TRUE(cadastro.open(QIODevice::ReadOnly));
    EXPECT_EQ(cadastro.readAll(), "[Empresa]\r\nEmpresa=007\r\nNomeEmpresa=POSTO CENTRAL LTDA DE COMBUSTIVEIS\r\n \r\n"
                                  "[Programa]\r\nPrograma=MovimentoEnviaMensagemEmailRotina\r\n \r\n[Email]\r\n"
                                  "Assunto=POSTO CENTRAL L:AutoTalvero!\r\n"
                                  "Mensagem=Empresa: POSTO CENTRAL LTDA DE COMBUSTIVEIS\r\n"
                                  "Data: 05/12/2026 as 18:00:00\r\n\r\n"
                                  "Conexao com banco de dados n\xe3o ativa ao iniciar o AutoTalvero.\r\n\r\n");
    EXPECT_EQ(a.mundo.processos.encerramentos, 1);
    EXPECT_FALSE(arquivoHabilitado());
    EXPECT_FALSE(automacaoHabilitado());
    EXPECT_FALSE(a.janela.descarregada());
    EXPECT_FALSE(a.log().contains(kFinalizando));
}

} // namespace
