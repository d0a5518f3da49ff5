#include "platform/FabricaCanaisQt.h"
#include "platform/HostSistema.h"
#include "platform/IconeBandejaQt.h"
#include "platform/OperadorJanela.h"
#include "platform/OperadorSemJanela.h"
#include "platform/ProcessosSistema.h"
#include "platform/RaizEstacao.h"
#include "platform/SinaisEncerramento.h"
#include "platform/SistemaArquivosLocal.h"
#include "platform/TempoReal.h"
#include "platform/VigiaPastaQt.h"
#include "shell/FormMenuAutomacao.h"
#include "shell/IconeSemBandeja.h"
#include "shell/JanelaSemTela.h"
#include "shell/MenuAutomacao.h"
#include "support/CodigosSaida.h"
#include "support/Instalacao.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>
#include <QTimer>
#include <memory>

using namespace talvero;

namespace {

struct Opcoes {
    QString raiz;
    bool semJanela = false;
};

bool haTela() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// Options are read before the application object exists, because running
// without a window decides which platform plugin Qt loads.
Opcoes leOpcoes(int argc, char** argv) {
    QCoreApplication pre(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("AutoTalvero"));
    QCoreApplication::setApplicationVersion(instalacao::kVersao);
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "AutoTalvero: agente de automação do posto. Pede ao concentrador cada abastecimento\n"
        "concluído, grava-o no banco de dados do posto e só então o confirma.\n\n"
        "Em AutoTalvero.INI, [AUTOMACAO]: \"Espera Fixa=SIM\" faz cada espera por uma\n"
        "resposta durar o tempo todo (1 ou 2 s); \"Descarga Rapida=SIM\" pede os\n"
        "abastecimentos à espera um a cada 500 ms.\n\n"
        "Código de saída:\n"
        "   0  fim normal (pelo operador, SIGTERM ou SIGINT)\n"
        "  10  configuração ausente ou inválida (AutoTalvero.INI, uma chave, um valor recusado)\n"
        "  11  banco de dados inacessível\n"
        "  12  outro AutoTalvero já roda nesta raiz\n"
        "  13  este computador não é o de \"Computador com automacao\" (ou a chave falta)\n"
        "  14  a comunicação com o concentrador não abre (porta ou endereço)\n"
        "  15  sem raiz: falta --root e não há estação instalada\n"
        "  20  encerrado a pedido (AUTOMACAO FECHA)\n"
        "  21  encerrado para a leitura dos encerrantes (AUTOMACAO LEITURA ENCERRANTE)"));
    const QCommandLineOption raiz(
        QStringLiteral("root"),
        QStringLiteral("Pasta raiz onde ficam C:\\, \\\\PC\\ e dev/ deste computador; sem ela, "
                       "/var/lib/autotalvero quando lá há uma estação instalada."),
        QStringLiteral("PASTA"));
    const QCommandLineOption semJanela(
        QStringLiteral("headless"),
        QStringLiteral("Sem janela nem ícone; mensagens vão para o log e a saída de erro."));
    p.addOption(raiz);
    p.addOption(semJanela);
    const QCommandLineOption versao(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                                    QStringLiteral("Mostra a versão e termina."));
    p.addOption(versao);
    p.addHelpOption();
    p.process(pre);
    if (p.isSet(versao)) {
        QTextStream(stdout) << instalacao::kVersao << Qt::endl;
        std::exit(0);
    }
    return {p.value(raiz), p.isSet(semJanela) || !haTela()};
}

void terminaLaco() {
    QCoreApplication::quit();
}

// The real world, with or without someone at the screen, around the window.
int executa(const Opcoes& opcoes, const QString& raiz) {
    const MapaCaminhos caminhos(raiz);
    RelogioSistema relogio;
    AgendadorQt agendador;
    SistemaArquivosLocal arquivos(caminhos);
    ProcessosSistema processos(caminhos, instalacao::kArquivoTrava);
    HostSistema host;
    FabricaCanaisQt canais(caminhos);
    VigiaPastaQt vigiaPasta(caminhos);
    const std::unique_ptr<AvisoServico> servico = avisoServicoDoAmbiente();

    RegistroEventos* registro = nullptr;
    std::unique_ptr<Operador> operador;
    std::unique_ptr<IconeNotificacao> icone;
    std::unique_ptr<JanelaPrincipal> janela;
    FormMenuAutomacao* form = nullptr;
    if (opcoes.semJanela) {
        operador = std::make_unique<OperadorSemJanela>([&registro](const QString& linha) {
            // One log line per message, even for a box of several lines.
            if (!registro) return;
            QString umaLinha = linha;
            umaLinha.replace(QLatin1String("\r\n"), QLatin1String(" "))
                .replace(QLatin1Char('\n'), QLatin1Char(' '));
            registro->registraDoOperador(umaLinha);
        });
        icone = std::make_unique<IconeSemBandeja>();
        janela = std::make_unique<JanelaSemTela>(terminaLaco);
    } else {
        operador = std::make_unique<OperadorJanela>();
        auto f = std::make_unique<FormMenuAutomacao>(terminaLaco);
        form = f.get();
        icone = std::make_unique<IconeBandejaQt>(form->windowIcon());
        janela = std::move(f);
    }
    const Plataforma plataforma{relogio, agendador, arquivos, *operador, processos, host,
                                *icone,  canais,    caminhos, *servico,  vigiaPasta};
    MenuAutomacao menu(plataforma, *janela);
    registro = &menu.registro;
    aoReceberSinalDeEncerramento([&menu] { menu.FechaJanela(); });
    if (form) form->show();
    // The load runs inside the event loop, so that closing the window there ends it.
    QTimer::singleShot(0, QCoreApplication::instance(), [&menu] { menu.Form_Load(); });
    QApplication::exec();
    return menu.codigoSaida();
}

} // namespace

int main(int argc, char** argv) {
    ignoraLimiteDeTamanhoDeArquivo();
    const Opcoes opcoes = leOpcoes(argc, argv);
    const RaizEstacao raiz =
        RaizEstacao::escolhe(QStringLiteral("autotalvero"), opcoes.raiz, instalacao::kArquivoIni);
    if (!raiz.mensagem.isEmpty()) QTextStream(stderr) << raiz.mensagem << Qt::endl;
    if (!raiz.encontrada) return saida::SemRaiz;
    if (opcoes.semJanela) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("AutoTalvero"));
    QApplication::setQuitOnLastWindowClosed(false);
    return executa(opcoes, raiz.raiz);
}
