#include "estacao/Estacao.h"

#include "support/CodigosSaida.h"
#include "support/Instalacao.h"

namespace talvero::teste {
namespace {

bool rodando(Estacao& e) {
    return e.agente().TimerArquivo->habilitado() || e.agente().TimerAutomacao->habilitado();
}

TEST(Carga, ConfiguracaoCompletaAbreOEnlaceEFicaRodando) {
    Estacao e;
    e.defineIni(QStringLiteral("Codigo da Empresa"), QStringLiteral("7"));
    e.defineIni(QStringLiteral("Quantidade de Bicos"), QStringLiteral("12"));
    e.defineIni(QStringLiteral("Criar Log Timer"), QStringLiteral("SIM"));
    MenuAutomacao& m = e.iniciaAgente();
    const Configuracao& c = m.config;
    EXPECT_EQ(std::tuple(int(c.lQuantidadeBicos), int(c.lCodigoEmpresa), int(c.gCodigoEmpresa),
                         c.lNomeEmpresa),
              std::tuple(12, 7, 7, QString("POSTO DE TESTE")));
    EXPECT_EQ(std::tuple(c.lCriarLogTimer, c.lUsarDllCompany, c.lUsarIdentFid),
              std::tuple(true, false, false));
    EXPECT_EQ(std::pair(m.FileList.Path, m.FileList.Pattern),
              std::pair(QString("C:\\Automacao\\"), QString("Pedido_*.AUT")));
    EXPECT_TRUE(m.TimerArquivo->habilitado() && m.TimerAutomacao->habilitado());
    EXPECT_EQ(e.linhas().aberturas(), 1);
    EXPECT_TRUE(e.mundo.icone.presente);
    EXPECT_TRUE(e.mundo.operador.exibidas.empty());
    EXPECT_FALSE(e.mundo.processos.encerrado);
}

// Flags are on only for the exact "SIM"; an empty folder is the default one; the
// computer's name matches in any letter case; the nozzle count rounds to even.
TEST(Carga, ValoresDoIniLidosComoOPosto) {
    Estacao e;
    e.defineIni(QStringLiteral("Usar Dll da Company"), QStringLiteral("sim"));
    e.defineIni(QStringLiteral("Usar IdentFID"), QStringLiteral(" SIM "));
    e.defineIni(QStringLiteral("Criar Log Timer"), QStringLiteral("Sim"));
    e.defineIni(QStringLiteral("Pasta da automacao"), QString(""));
    e.defineIni(QStringLiteral("Computador com automacao"), QStringLiteral("caixa01"));
    MenuAutomacao& m = e.iniciaAgente();
    EXPECT_EQ(std::tuple(m.config.lUsarDllCompany, m.config.lCriarLogTimer, m.config.lUsarIdentFid),
              std::tuple(false, false, true));
    EXPECT_EQ(m.FileList.Path, "C:\\Automacao\\");
    EXPECT_TRUE(rodando(e));

    const std::pair<const char*, int> bicos[] = {
        {"12.5", 12}, {"13.5", 14}, {"12.6", 13}, {"doze", 0}, {"", 0}};
    for (const auto& [texto, esperado] : bicos) {
        e.defineIni(QStringLiteral("Quantidade de Bicos"), QString::fromLatin1(texto));
        EXPECT_EQ(e.iniciaAgente().config.lQuantidadeBicos, esperado) << texto;
    }
}

// Start-ups that stop: nothing runs afterwards, no database object is left, the
// link is never opened, and the process ends with the cause's own status.
TEST(Carga, FalhasDaPartida) {
    const QString naoAutorizado =
        QStringLiteral("Computador Não Autorizado a Executar Este Programa!");
    const QString configuracao = QStringLiteral("Erro de Configuração!");
    const struct {
        const char* nome;
        std::function<void(Estacao&)> prepara;
        bool descarregada; // the window closed itself
        int encerramentos; // the process ended at once
        QString caixa;     // title of the one message box
        int codigo;
    } casos[] = {
        {"sem arquivo", [](Estacao& e) { e.ini.clear(); }, true, 0, configuracao,
         saida::Configuracao},
        {"sem Numero do Email", [](Estacao& e) { e.defineIni("Numero do Email", QString()); }, true,
         0, configuracao, saida::Configuracao},
        {"codigo fora dos 16 bits", [](Estacao& e) { e.defineIni("Codigo da Empresa", "40000"); },
         true, 0, configuracao, saida::Configuracao},
        {"outro computador", [](Estacao& e) { e.defineIni("Computador com automacao", "CAIXA02"); },
         true, 0, naoAutorizado, saida::ComputadorNaoAutorizado},
        {"computador vazio", [](Estacao& e) { e.defineIni("Computador com automacao", ""); }, true,
         0, naoAutorizado, saida::ComputadorNaoAutorizado},
        {"enlace que não abre", [](Estacao& e) { e.linhas().permiteSerial(9); }, true, 0,
         "Erro Grave de Comunicação!", saida::EnlaceNaoAbre},
        {"segunda instância", [](Estacao& e) { e.mundo.processos.outraInstancia = true; }, false, 1,
         "AutoTalvero já aberto!", saida::OutraInstancia},
        {"pasta fora de C:", [](Estacao& e) { e.defineIni("Pasta da automacao", "..\\Talvero"); },
         true, 0, configuracao, saida::Configuracao},
        {"pasta com separador", [](Estacao& e) { e.defineIni("Pasta da automacao", "Auto/macao"); },
         true, 0, configuracao, saida::Configuracao},
        {"dias de log por extenso",
         [](Estacao& e) { e.ini.insert(e.ini.indexOf("[OUTRAS]") + 1, "Dias de Log=noventa"); },
         true, 0, configuracao, saida::Configuracao},
        {"porta com mais que a porta",
         [](Estacao& e) { e.defineIni("Porta de Comunicacao", "COM1;x"); }, true, 0,
         "Erro Grave de Comunicação!", saida::Configuracao},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        Estacao e;
        e.servico.intervaloMs = 10'000;
        c.prepara(e);
        e.iniciaAgente();
        e.roda(kMinuto);
        EXPECT_FALSE(rodando(e));
        // Never ready, no watchdog fed: the service manager restarts it.
        for (const auto& [ms, aviso] : e.servico.avisos)
            EXPECT_EQ(aviso, "STOPPING=1");
        EXPECT_FALSE(e.agente().dados.algumCriado());
        EXPECT_EQ(e.linhas().aberturas(), 0);
        EXPECT_EQ(e.janela().descarregada(), c.descarregada);
        EXPECT_EQ(e.mundo.processos.encerramentos, c.encerramentos);
        EXPECT_EQ(c.encerramentos ? e.mundo.processos.codigoSaida : e.agente().codigoSaida(),
                  c.codigo);
        ASSERT_EQ(e.mundo.operador.exibidas.size(), 1u);
        EXPECT_EQ(
            std::pair(e.mundo.operador.exibidas[0].titulo, e.mundo.operador.exibidas[0].icone),
            std::pair(c.caixa, Icone::Critico));
        EXPECT_FALSE(e.mundo.icone.presente);
    }
}

// Under a service manager: ready once, when the start-up is done; the watchdog
// fed at its interval from the event loop; the end told, and nothing after it.
TEST(Carga, AvisaOGerenteDeServico) {
    Estacao e;
    e.servico.intervaloMs = 10'000;
    e.iniciaAgente();
    ASSERT_FALSE(e.servico.avisos.empty());
    const std::int64_t pronto = e.servico.avisos.front().first;
    e.roda(35'000);
    const std::int64_t fim = e.mundo.relogio.ms();
    e.agente().FechaJanela();
    e.roda(kMinuto);
    using Aviso = std::pair<std::int64_t, QByteArray>;
    EXPECT_EQ(e.servico.avisos, (std::vector<Aviso>{{pronto, "READY=1"},
                                                    {pronto + 10'000, "WATCHDOG=1"},
                                                    {pronto + 20'000, "WATCHDOG=1"},
                                                    {pronto + 30'000, "WATCHDOG=1"},
                                                    {fim, "STOPPING=1"}}));
}

// An empty computer name passes only where the host has no name either.
TEST(Carga, ComputadorVazioSoComHostSemNome) {
    Estacao e;
    e.mundo.host.nome = QByteArray();
    e.defineIni(QStringLiteral("Computador com automacao"), QString(""));
    e.iniciaAgente();
    EXPECT_FALSE(e.janela().descarregada());
    EXPECT_EQ(e.linhas().aberturas(), 1);
}

// Without the database the automation cannot store a single fueling: the mail
// request is queued (its records fail with the database, its registration file is
// still written), the operator told, and the process ends at once.
TEST(Carga, BancoInacessivelPedeEmailAvisaETerminaNaHora) {
    Estacao e;
    e.mundo.criaPasta(QStringLiteral("C:\\vb5\\zorp"));
    e.ini << "Arquivo=C:\\SemPasta\\Talvero.db";
    e.iniciaAgente();
    // A path that would leave its folder is no database file either.
    Estacao fora;
    fora.ini << "Arquivo=C:\\Talvero\\..\\..\\..\\Talvero.db";
    fora.iniciaAgente();
    EXPECT_EQ(fora.mundo.processos.encerramentos, 1);
    EXPECT_TRUE(
        fora.agente().dados.conexao().ultimoErro().contains(QStringLiteral("Arquivo inválido")));
    // The cause comes first; the mail request's own troubles after it, once.
    ASSERT_EQ(e.mundo.operador.exibidas.size(), 2u);
    EXPECT_EQ(e.mundo.operador.exibidas[0].icone, Icone::Critico);
    EXPECT_TRUE(e.mundo.operador.exibidas[0].texto.contains(QLatin1String("SemPasta")));
    EXPECT_EQ(e.mundo.processos.codigoSaida, saida::BancoInacessivel);
    const QString cadastro = QString::fromLatin1(e.mundo.arquivos.le(instalacao::kCadastroZorp));
    EXPECT_TRUE(cadastro.contains(
        QLatin1String("Conexao com banco de dados n\xe3o ativa ao iniciar o AutoTalvero.")));
    EXPECT_EQ(e.mundo.processos.encerramentos, 1);
    EXPECT_FALSE(rodando(e));
    EXPECT_FALSE(e.janela().descarregada());
}

} // namespace
} // namespace talvero::teste
