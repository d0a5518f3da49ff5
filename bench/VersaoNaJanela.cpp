#include "VersaoNaJanela.h"

#include "ensaio/ProgramasReais.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <stdexcept>

namespace talvero::medicao {

namespace {

constexpr int kJanelaMs = 30'000;
constexpr int kCaixaMs = 30'000;
constexpr int kFechaMs = 5'000;
constexpr int kComandoMs = 5'000;
// Where "Vesão do Equipamento", the menu bar's first entry, is drawn (scripts/janela).
constexpr int kMenuX = 70, kMenuY = 10;
// The titles of the answer's box and of the error box, in ASCII: the window names are UTF-8.
const QString kCaixas = QStringLiteral("do Concentrador!$|Pedir Vers");
const QString kCaixaErro = QStringLiteral("Erro");

[[noreturn]] void falha(const QString& texto) {
    throw std::runtime_error(texto.toStdString());
}

} // namespace

bool VersaoNaJanela::disponivel() {
    for (const char* programa : {"xdotool", "Xvfb"})
        if (QStandardPaths::findExecutable(QLatin1String(programa)).isEmpty()) return false;
    return true;
}

VersaoNaJanela::VersaoNaJanela(QString tela) : tela_(std::move(tela)) {
    if (!disponivel()) falha(QStringLiteral("sem xdotool ou Xvfb"));
    const bool achou = aguardaAte(
        [&] {
            janela_ = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                               QStringLiteral("--name"), QStringLiteral("^Talvero Autom")})
                          .section(QLatin1Char('\n'), 0, 0);
            return !janela_.isEmpty();
        },
        kJanelaMs);
    if (!achou) falha(QStringLiteral("a janela do agente não apareceu em ") + tela_);
}

QString VersaoNaJanela::xdotool(const QStringList& argumentos) const {
    QProcess p;
    QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
    ambiente.insert(QStringLiteral("DISPLAY"), tela_);
    p.setProcessEnvironment(ambiente);
    p.start(QStringLiteral("xdotool"), argumentos);
    if (!p.waitForFinished(kComandoMs)) {
        p.kill();
        p.waitForFinished();
        falha(QStringLiteral("xdotool ") + argumentos.join(QLatin1Char(' ')) +
              QStringLiteral(" não terminou"));
    }
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// The first box of the version's answer on the screen, empty when none.
QString VersaoNaJanela::caixa() {
    QElapsedTimer t;
    t.start();
    const QString achada = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                    QStringLiteral("--name"), kCaixas})
                               .section(QLatin1Char('\n'), 0, 0);
    buscaTotalMs_ += double(t.nsecsElapsed()) / 1e6;
    ++buscas_;
    return achada;
}

// Enter on the focused box; the window manager's part (none under Xvfb) is done by hand.
void VersaoNaJanela::fecha(const QString& caixa) {
    xdotool(
        {QStringLiteral("windowfocus"), caixa, QStringLiteral("key"), QStringLiteral("Return")});
    if (!aguardaAte([&] { return this->caixa().isEmpty(); }, kFechaMs))
        falha(QStringLiteral("a caixa da versão não fechou com Enter"));
}

double VersaoNaJanela::versaoMs() {
    if (!caixa().isEmpty()) falha(QStringLiteral("uma caixa da versão já estava aberta"));
    // From before the click's xdotool starts: its exit may be noticed late on a busy machine,
    // when the box is already on its way.
    QElapsedTimer t;
    t.start();
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), janela_,
             QString::number(kMenuX), QString::number(kMenuY), QStringLiteral("click"),
             QStringLiteral("1")});
    QString achada;
    if (!aguardaAte([&] { return !(achada = caixa()).isEmpty(); }, kCaixaMs, 0))
        falha(QStringLiteral("nenhuma caixa em %1 s depois do clique").arg(kCaixaMs / 1000));
    const double ms = double(t.nsecsElapsed()) / 1e6;
    const QString titulo = xdotool({QStringLiteral("getwindowname"), achada});
    fecha(achada);
    if (titulo.contains(kCaixaErro)) falha(QStringLiteral("caixa de erro: ") + titulo);
    return ms;
}

} // namespace talvero::medicao
