#include "platform/SinaisEncerramento.h"
#include "support/Instalacao.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>

using namespace talvero;

namespace {

struct Opcoes {
    QString raiz;
    bool semJanela = false;
};

bool haTela() { return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"); }

// Options are read before the application object exists, because running
// without a window decides which platform plugin Qt loads.
Opcoes leOpcoes(int argc, char** argv) {
    QCoreApplication pre(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("AutoTalvero"));
    QCoreApplication::setApplicationVersion(instalacao::kVersao);
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "AutoTalvero: agente de automação do posto. Pede ao concentrador cada abastecimento\n"
        "concluído, grava-o no banco de dados do posto e só então o confirma."));
    const QCommandLineOption raiz(QStringLiteral("root"),
                                  QStringLiteral("Pasta raiz onde ficam C:\\, \\\\PC\\ e dev/ deste computador."),
                                  QStringLiteral("PASTA"));
    const QCommandLineOption semJanela(QStringLiteral("headless"),
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

} // namespace

int main(int argc, char** argv) {
    const Opcoes opcoes = leOpcoes(argc, argv);
    if (opcoes.semJanela) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("AutoTalvero"));
    QApplication::setQuitOnLastWindowClosed(false);
    aoReceberSinalDeEncerramento([] { QCoreApplication::quit(); });
    return app.exec();
}
