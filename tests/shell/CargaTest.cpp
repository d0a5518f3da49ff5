#include "AgenteDeTeste.h"

#include "support/Instalacao.h"

#include <QFile>

using namespace talvero;
using namespace talvero::teste;

namespace {

const QString kIniciado = QStringLiteral(" - AutoTalvero Iniciado: ");
const QString kFinalizando = QStringLiteral(" - Finalizando AutoTalvero");
const QString kDll = QStringLiteral(" - Usando DLL da Talvero"), kIdentFid = QStringLiteral(" - Usando IdentFID");

QStringList comValor(QStringList ini, const QString& chave, const QString& valor) {
    for (QString& l : ini)
        if (l.startsWith(chave + QLatin1Char('='))) l = chave + QLatin1Char('=') + valor;
    return ini;
}

// The complete configuration with one key changed, or dropped when `valor` is null.
std::function<void(AgenteDeTeste&)> ini(const char* chave, const char* valor) {
    return [=](AgenteDeTeste& a) {
        QStringList linhas = comValor(AgenteDeTeste::iniCompleto(), chave, valor);
        if (!valor) linhas.removeIf([&](const QString& l) { return l.startsWith(QLatin1String(chave) + '='); });
        a.escreveIni(linhas);
    };
}

bool rodando(AgenteDeTeste& a) { return a.menu.TimerArquivo->habilitado() || a.menu.TimerAutomacao->habilitado(); }

} // namespace

TEST(Carga, ConfiguracaoCompletaAbreOEnlaceEFicaRodando) {
    AgenteDeTeste a;
    a.escreveIni(AgenteDeTeste::iniCompleto());
    a.menu.Form_Load();
    EXPECT_EQ(a.log(), (QStringList{kIniciado, kDll, kIdentFid, " - Conectado ao Banco", " - Porta de comunicação: COM1"}));
    EXPECT_TRUE(a.logBruto().startsWith("18:00:00 - AutoTalvero Iniciado: \r\n"));
    EXPECT_TRUE(a.logBruto().contains(" - Porta de comunica\xe7\xe3o: COM1\r\n"));
    EXPECT_EQ(a.janela.titulo(), "Talvero Automação V-4.04.26-0");
    ASSERT_EQ(a.mundo.icone.chamadas.size(), 1u);
    EXPECT_EQ(std::pair(a.mundo.icone.chamadas[0].acao, a.mundo.icone.chamadas[0].dica),
              std::pair(0, QString("Talvero Automação V-4.04.26-0")));

    const Configuracao& c = a.menu.config;
    EXPECT_EQ(std::tuple(int(c.lQuantidadeBicos), int(c.lCodigoEmpresa), int(c.gCodigoEmpresa), int(c.gNumeroEmail)),
              std::tuple(12, 7, 7, 0));
    EXPECT_EQ(c.lNomeEmpresa, "POSTO CENTRAL LTDA DE COMBUSTIVEIS");
    EXPECT_EQ(std::tuple(c.lCriarLogTimer, c.gEmailConcluido, c.lUsarDllCompany, c.lUsarIdentFid),
              std::tuple(true, true, false, true));
    EXPECT_EQ(std::pair(a.menu.FileList.Path, a.menu.FileList.Pattern), std::pair(QString("C:\\Automacao\\"), QString("Pedido_*.AUT")));
    EXPECT_TRUE(a.menu.TimerArquivo->habilitado() && a.menu.TimerAutomacao->habilitado());
    EXPECT_EQ(std::pair(a.menu.TimerArquivo->intervaloMs(), a.menu.TimerAutomacao->intervaloMs()), std::pair(500, 500));
    EXPECT_EQ(a.canais.portasPedidas, std::vector<int>{1});
    EXPECT_TRUE(a.mundo.operador.exibidas.empty());
    EXPECT_FALSE(a.janela.descarregada());
    EXPECT_FALSE(a.mundo.processos.encerrado);
}

TEST(Carga, SimSoEmMaiusculasBrancosEmVoltaPastaVaziaENomeDoComputadorSemCaixa) {
    AgenteDeTeste a;
    QStringList linhas = comValor(AgenteDeTeste::iniCompleto(), "Usar Dll da Company", "sim");
    linhas = comValor(linhas, "Usar IdentFID", " SIM ");
    linhas = comValor(linhas, "Criar Log Timer", "Sim");
    linhas = comValor(linhas, "Pasta da automacao", "");
    a.escreveIni(comValor(linhas, "Computador com automacao", "caixa01"));
    a.menu.Form_Load();
    EXPECT_EQ(a.log().mid(1, 2), (QStringList{kDll, kIdentFid}));
    EXPECT_EQ(std::tuple(a.menu.config.lUsarDllCompany, a.menu.config.lCriarLogTimer, a.menu.config.lUsarIdentFid),
              std::tuple(false, false, true));
    EXPECT_EQ(a.menu.FileList.Path, "C:\\Automacao\\");
    EXPECT_TRUE(a.mundo.operador.exibidas.empty());
    EXPECT_EQ(a.canais.portasPedidas, std::vector<int>{1});
    EXPECT_TRUE(a.menu.TimerAutomacao->habilitado());
    EXPECT_EQ(a.biblioteca, nullptr);
}

TEST(Carga, QuantidadeDeBicosArredondaParaOPar) {
    const std::pair<const char*, int> casos[] = {{"12.5", 12}, {"13.5", 14}, {"12.6", 13}, {"doze", 0}, {"", 0}};
    for (const auto& [texto, esperado] : casos) {
        AgenteDeTeste b;
        ini("Quantidade de Bicos", texto)(b);
        b.menu.Form_Load();
        EXPECT_EQ(b.menu.config.lQuantidadeBicos, esperado) << texto;
    }
}

// Start-ups that stop: nothing runs afterwards, the link is never opened.
TEST(Carga, FalhasDaPartida) {
    const QString naoAutorizado = QStringLiteral("Computador Não Autorizado a Executar Este Programa!");
    const QString deveSer = QStringLiteral("O computador configurado para rodar este programa deve ser o: ");
    const QString fim = QStringLiteral("\nEntre em contato com o suporte técnico.\nEste programa será fechado automaticamente.");
    const QString erroTipos = QStringLiteral(" - ERRO Form Load: Tipos incompatíveis - Err: 13");
    const struct {
        const char* nome;
        std::function<void(AgenteDeTeste&)> prepara;
        QStringList fimDoLog;  // from the start when it begins with kIniciado
        bool descarregada;     // the window closed itself
        int encerramentos;     // the process ended at once
        QString caixa, texto;  // title and text of the one message box
        int portas;            // serial ports asked for
    } casos[] = {
        {"sem arquivo", [](AgenteDeTeste&) {}, {kIniciado, kDll, " - Não Usando IdentFID", erroTipos}, false, 0, {}, {}, 0},
        {"sem Numero do Email", ini("Numero do Email", nullptr), {kIniciado, kDll, kIdentFid, erroTipos}, false, 0, {}, {}, 0},
        {"codigo fora dos 16 bits", ini("Codigo da Empresa", "40000"), {kIniciado, " - ERRO Form Load: Estouro - Err: 6"},
         false, 0, {}, {}, 0},
        {"outro computador", ini("Computador com automacao", "CAIXA02"), {kFinalizando}, true, 0, naoAutorizado,
         deveSer + "CAIXA02" + fim, 0},
        {"computador vazio", ini("Computador com automacao", ""), {kFinalizando}, true, 0, naoAutorizado, deveSer + fim, 0},
        {"enlace que não abre",
         [](AgenteDeTeste& a) {
             a.canais.falham = true;
             a.escreveIni(AgenteDeTeste::iniCompleto());
         },
         {kFinalizando}, true, 0, "Erro Grave de Comunicação!",
         "Erro ao Iniciar comunicação com o equipamento de Automação!" + fim, 1},
        {"segunda instância",
         [](AgenteDeTeste& a) {
             a.mundo.processos.outraInstancia = true;
             a.escreveIni(AgenteDeTeste::iniCompleto());
         },
         {kIniciado, " - AutoTalvero será fechado, pois existe outro aberto"}, false, 1, {}, {}, 0},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        AgenteDeTeste a;
        c.prepara(a);
        a.menu.Form_Load();
        a.mundo.agendador.avanca(60'000);
        const QStringList log = a.log();
        const qsizetype inicio = c.fimDoLog.first() == kIniciado ? 0 : log.size() - c.fimDoLog.size();
        EXPECT_EQ(log.mid(inicio), c.fimDoLog);
        EXPECT_FALSE(rodando(a));
        EXPECT_FALSE(a.menu.dados.algumCriado());
        EXPECT_EQ(a.janela.descarregada(), c.descarregada);
        EXPECT_EQ(a.mundo.processos.encerramentos, c.encerramentos);
        EXPECT_EQ(int(a.canais.portasPedidas.size()), c.portas);
        if (c.encerramentos) { EXPECT_TRUE(a.mundo.icone.chamadas.empty()); }
        ASSERT_EQ(a.mundo.operador.exibidas.size(), c.caixa.isEmpty() ? 0u : 1u);
        if (c.caixa.isEmpty()) continue;
        const auto& caixa = a.mundo.operador.exibidas[0];
        EXPECT_EQ(std::tuple(caixa.titulo, caixa.texto, caixa.icone), std::tuple(c.caixa, c.texto, Icone::Critico));
        EXPECT_FALSE(a.mundo.icone.presente);
    }
}

TEST(Carga, ComputadorVazioComHostSemNomeEValoresLidosAntesDeUmaFalha) {
    // An empty computer name passes only where the host has no name either.
    AgenteDeTeste c;
    c.mundo.host.nome = QByteArray();
    ini("Computador com automacao", "")(c);
    c.menu.Form_Load();
    EXPECT_FALSE(c.janela.descarregada());
    EXPECT_EQ(c.canais.portasPedidas, std::vector<int>{1});
    // Values read before a failure stay; later ones keep their defaults.
    AgenteDeTeste d;
    ini("Numero do Email", nullptr)(d);
    d.menu.Form_Load();
    EXPECT_EQ(std::pair(int(d.menu.config.gCodigoEmpresa), d.menu.config.lUsarIdentFid), std::pair(7, true));
    EXPECT_TRUE(d.menu.FileList.Path.isEmpty());
    AgenteDeTeste e;
    e.menu.Form_Load();
    EXPECT_EQ(e.menu.FileList.Pattern, "*.ECF");
}

TEST(Carga, BancoInacessivelPedeEmailAvisaETerminaNaHora) {
    AgenteDeTeste a;
    a.mundo.criaPasta(QStringLiteral("C:\\vb5\\zorp"));
    a.escreveIni(AgenteDeTeste::iniCompleto() << "[BANCO DE DADOS]" << "Arquivo=C:\\SemPasta\\Talvero.db");
    a.menu.Form_Load();
    EXPECT_EQ(a.log(), (QStringList{kIniciado, kDll, kIdentFid, " - AutoTalvero Nao Conectado com o BD"}));
    // The queued records fail with the database; the registration file is still written.
    const auto& caixas = a.mundo.operador.exibidas;
    ASSERT_EQ(caixas.size(), 2u);
    EXPECT_EQ(caixas[0].titulo, "Erro Interno!");
    EXPECT_TRUE(caixas[0].texto.startsWith("Erro ao gravar Zorp_Cadastro.ini!\n"));
    EXPECT_EQ(std::tuple(caixas[1].titulo, caixas[1].texto, caixas[1].icone),
              std::tuple(QString("Erro de Comunicação!"),
                         QString("A automação não irá funcionar por falta de comunicação com o banco de dados!\n"
                                 "Entre em contato com o suporte técnico."),
                         Icone::Critico));
    QFile cadastro(a.mundo.local(instalacao::kCadastroZorp));
    ASSERT_TRUE(cadastro.open(QIODevice::ReadOnly));
    EXPECT_EQ(cadastro.readAll(), "[Empresa]\r\nEmpresa=007\r\nNomeEmpresa=POSTO CENTRAL LTDA DE COMBUSTIVEIS\r\n \r\n"
                                  "[Programa]\r\nPrograma=MovimentoEnviaMensagemEmailRotina\r\n \r\n[Email]\r\n"
                                  "Assunto=POSTO CENTRAL L:AutoTalvero!\r\n"
                                  "Mensagem=Empresa: POSTO CENTRAL LTDA DE COMBUSTIVEIS\r\n"
                                  "Data: 05/12/2026 as 18:00:00\r\n\r\n"
                                  "Conexao com banco de dados n\xe3o ativa ao iniciar o AutoTalvero.\r\n\r\n");
    EXPECT_EQ(a.mundo.processos.encerramentos, 1);
    EXPECT_FALSE(rodando(a));
    EXPECT_FALSE(a.janela.descarregada());
    EXPECT_FALSE(a.log().contains(kFinalizando));
}
