#include "shell/FormMenuAutomacao.h"

#include "support/Instalacao.h"

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace talvero {

namespace {
constexpr int kBotaoEsquerdo = 1;
}

FormMenuAutomacao::FormMenuAutomacao(std::function<void()> aoDescarregar)
    : aoDescarregar_(std::move(aoDescarregar)) {
    setObjectName(QStringLiteral("MenuAutomacao"));
    setWindowTitle(instalacao::kTituloJanela);
    setWindowIcon(style()->standardIcon(QStyle::SP_ComputerIcon));
    montaControles();
    montaMenus();
}

QToolButton* FormMenuAutomacao::botaoFigura(const char* nome, int figura, const QString& dica) {
    auto* botao = new QToolButton(Frame1);
    botao->setObjectName(QString::fromLatin1(nome));
    botao->setIcon(style()->standardIcon(static_cast<QStyle::StandardPixmap>(figura)));
    botao->setIconSize(QSize(32, 32));
    botao->setToolTip(dica);
    botao->setAutoRaise(true);
    return botao;
}

void FormMenuAutomacao::montaControles() {
    auto* centro = new QWidget(this);
    auto* coluna = new QVBoxLayout(centro);
    lblMensagem = new QLabel(QStringLiteral("Automação das bombas em funcionamento.\n"
                                            "Não feche este programa durante o expediente."),
                             centro);
    lblMensagem->setObjectName(QStringLiteral("lblMensagem"));
    lblMensagem->setAlignment(Qt::AlignCenter);
    lblMensagem->setAttribute(Qt::WA_TransparentForMouseEvents);
    Frame1 = new QGroupBox(centro);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    cmdLeituraIdentificador = new QPushButton(QStringLiteral("Ler Identificadores"), Frame1);
    cmdLeituraIdentificador->setObjectName(QStringLiteral("cmdLeituraIdentificador"));
    cmdMinimizar = botaoFigura("cmdMinimizar", QStyle::SP_TitleBarMinButton, QStringLiteral("Minimizar"));
    cmdFechar = botaoFigura("cmdFechar", QStyle::SP_DialogCloseButton, QStringLiteral("Fechar"));
    cmdBlocoNotas = botaoFigura("cmdBlocoNotas", QStyle::SP_FileDialogDetailedView, QStringLiteral("Bloco de Notas"));
    cmdExplorer = botaoFigura("cmdExplorer", QStyle::SP_DirOpenIcon, QStringLiteral("Windows Explorer."));
    auto* linha = new QHBoxLayout(Frame1);
    linha->addWidget(cmdLeituraIdentificador);
    linha->addStretch();
    for (QToolButton* b : {cmdBlocoNotas, cmdExplorer, cmdMinimizar, cmdFechar}) linha->addWidget(b);
    coluna->addWidget(lblMensagem);
    coluna->addWidget(Frame1);
    setCentralWidget(centro);

    auto liga = [this](auto* botao, void (EventosJanela::*evento)()) {
        connect(botao, &QAbstractButton::clicked, this, [this, evento] {
            if (eventos_) (eventos_->*evento)();
        });
    };
    liga(cmdLeituraIdentificador, &EventosJanela::cmdLeituraIdentificador_Click);
    liga(cmdMinimizar, &EventosJanela::cmdMinimizar_Click);
    liga(cmdFechar, &EventosJanela::cmdFechar_Click);
    liga(cmdBlocoNotas, &EventosJanela::cmdBlocoNotas_Click);
    liga(cmdExplorer, &EventosJanela::cmdExplorer_Click);
}

void FormMenuAutomacao::montaMenus() {
    auto liga = [this](QAction* acao, const char* nome, void (EventosJanela::*evento)()) {
        acao->setObjectName(QString::fromLatin1(nome));
        connect(acao, &QAction::triggered, this, [this, evento] {
            if (eventos_) (eventos_->*evento)();
        });
    };
    mnuVersaoEquipamento = menuBar()->addAction(QStringLiteral("Vesão do Equipamento"));
    liga(mnuVersaoEquipamento, "mnuVersaoEquipamento", &EventosJanela::mnuVersaoEquipamento_Click);
    mnuCartao = menuBar()->addMenu(QStringLiteral("Cartões IdentFid"));
    mnuCartao->setObjectName(QStringLiteral("mnuCartao"));
    liga(mnuIncluiCartao = mnuCartao->addAction(QStringLiteral("Inclui Cartão")), "mnuIncluiCartao",
         &EventosJanela::mnuIncluiCartao_Click);
    liga(mnuExcluiCartao = mnuCartao->addAction(QStringLiteral("Exclui Cartão")), "mnuExcluiCartao",
         &EventosJanela::mnuExcluiCartao_Click);
    liga(mnuLerCartao = mnuCartao->addAction(QStringLiteral("Ler Cartão \"1234567890123456\"")), "mnuLerCartao",
         &EventosJanela::mnuLerCartao_Click);
    liga(mnuPesquisaPosicaoCartao = mnuCartao->addAction(QStringLiteral("Pesquisa Posição Cartao Específico")),
         "mnuPesquisaPosicaoCartao", &EventosJanela::mnuPesquisaPosicaoCartao_Click);
}

void FormMenuAutomacao::conecta(EventosJanela& eventos) { eventos_ = &eventos; }

void FormMenuAutomacao::defineEstado(EstadoJanela estado) {
    const Qt::WindowStates atual = windowState();
    setWindowState(estado == EstadoJanela::Minimizada ? (atual | Qt::WindowMinimized)
                                                      : (atual & ~Qt::WindowMinimized));
}

EstadoJanela FormMenuAutomacao::estado() const {
    return windowState().testFlag(Qt::WindowMinimized) ? EstadoJanela::Minimizada : EstadoJanela::Normal;
}

void FormMenuAutomacao::ativa() {
    raise();
    activateWindow();
}

void FormMenuAutomacao::descarrega() {
    if (descarregada_) return;
    descarregada_ = true;
    hide();
    if (aoDescarregar_) aoDescarregar_();
}

void FormMenuAutomacao::changeEvent(QEvent* evento) {
    QMainWindow::changeEvent(evento);
    if (evento->type() == QEvent::WindowStateChange && eventos_) eventos_->Form_Resize();
}

// The close request is never refused: the program runs its shutdown and then
// unloads the window itself.
void FormMenuAutomacao::closeEvent(QCloseEvent* evento) {
    if (descarregada_ || !eventos_) {
        evento->accept();
        return;
    }
    eventos_->Form_QueryUnload();
    evento->setAccepted(descarregada_);
}

void FormMenuAutomacao::mouseReleaseEvent(QMouseEvent* evento) {
    QMainWindow::mouseReleaseEvent(evento);
    if (evento->button() == Qt::LeftButton && eventos_) eventos_->Form_Click();
}

void FormMenuAutomacao::mouseDoubleClickEvent(QMouseEvent* evento) {
    QMainWindow::mouseDoubleClickEvent(evento);
    if (evento->button() == Qt::LeftButton && eventos_) eventos_->Form_DblClick();
}

void FormMenuAutomacao::mouseMoveEvent(QMouseEvent* evento) {
    QMainWindow::mouseMoveEvent(evento);
    if (evento->buttons() == Qt::LeftButton && eventos_) eventos_->Form_MouseMove(kBotaoEsquerdo);
}

} // namespace talvero
