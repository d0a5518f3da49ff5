#include "shell/FormMenuAutomacao.h"

#include "support/Instalacao.h"

#include <QAction>
#include <QCloseEvent>
#include <QFormLayout>
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
constexpr int kLarguraMinima = 560;

QLabel* valor(const char* nome, QWidget* pai) {
    auto* rotulo = new QLabel(pai);
    rotulo->setObjectName(QString::fromLatin1(nome));
    rotulo->setWordWrap(true);
    return rotulo;
}

void escreve(QLabel* rotulo, const QString& texto, bool alerta = false) {
    rotulo->setText(texto);
    const QString estilo =
        alerta ? QStringLiteral("color: #b00000; font-weight: bold;") : QString();
    if (rotulo->styleSheet() != estilo) rotulo->setStyleSheet(estilo);
}
} // namespace

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

namespace {
const QString kNaoFeche = QStringLiteral("\nNão feche este programa durante o expediente.");
}

void FormMenuAutomacao::montaControles() {
    auto* centro = new QWidget(this);
    auto* coluna = new QVBoxLayout(centro);
    // Wide enough for a panel line on one row; the window grows when a text wraps.
    centro->setMinimumWidth(kLarguraMinima);
    coluna->setSizeConstraint(QLayout::SetMinimumSize);
    lblMensagem = new QLabel(TextosPainel().cabecalho + kNaoFeche, centro);
    lblMensagem->setObjectName(QStringLiteral("lblMensagem"));
    lblMensagem->setAlignment(Qt::AlignCenter);
    lblMensagem->setAttribute(Qt::WA_TransparentForMouseEvents);
    Frame1 = new QGroupBox(centro);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    cmdLeituraIdentificador = new QPushButton(QStringLiteral("Ler Identificadores"), Frame1);
    cmdLeituraIdentificador->setObjectName(QStringLiteral("cmdLeituraIdentificador"));
    cmdMinimizar =
        botaoFigura("cmdMinimizar", QStyle::SP_TitleBarMinButton, QStringLiteral("Minimizar"));
    cmdFechar = botaoFigura("cmdFechar", QStyle::SP_DialogCloseButton, QStringLiteral("Fechar"));
    cmdBlocoNotas = botaoFigura("cmdBlocoNotas", QStyle::SP_FileDialogDetailedView,
                                QStringLiteral("Bloco de Notas"));
    cmdExplorer =
        botaoFigura("cmdExplorer", QStyle::SP_DirOpenIcon, QStringLiteral("Windows Explorer."));
    auto* linha = new QHBoxLayout(Frame1);
    linha->addWidget(cmdLeituraIdentificador);
    linha->addStretch();
    for (QToolButton* b : {cmdBlocoNotas, cmdExplorer, cmdMinimizar, cmdFechar})
        linha->addWidget(b);
    coluna->addWidget(lblMensagem);
    coluna->addWidget(montaSituacao(centro));
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

QGroupBox* FormMenuAutomacao::montaSituacao(QWidget* pai) {
    fraSituacao = new QGroupBox(QStringLiteral("Situação"), pai);
    fraSituacao->setObjectName(QStringLiteral("fraSituacao"));
    auto* linhas = new QFormLayout(fraSituacao);
    linhas->addRow(QStringLiteral("Comunicação:"),
                   lblComunicacao = valor("lblComunicacao", fraSituacao));
    linhas->addRow(QStringLiteral("Abastecimentos:"),
                   lblAbastecimentos = valor("lblAbastecimentos", fraSituacao));
    linhas->addRow(QStringLiteral("Em quarentena:"),
                   lblQuarentena = valor("lblQuarentena", fraSituacao));
    linhas->addRow(QStringLiteral("Encerrantes:"),
                   lblEncerrantes = valor("lblEncerrantes", fraSituacao));
    linhas->addRow(QStringLiteral("Pasta de pedidos:"),
                   lblPedidos = valor("lblPedidos", fraSituacao));
    linhas->addRow(QStringLiteral("Automação:"), lblAutomacao = valor("lblAutomacao", fraSituacao));
    linhas->addRow(QStringLiteral("Banco de dados:"), lblBanco = valor("lblBanco", fraSituacao));
    // The technician copies the command that lists the quarantine from here.
    lblQuarentena->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblEncerrantes->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return fraSituacao;
}

bool FormMenuAutomacao::mostraPainel(const TextosPainel& textos) {
    lblMensagem->setText(textos.cabecalho + kNaoFeche);
    escreve(lblComunicacao, textos.comunicacao, textos.comunicacaoEmAlerta);
    escreve(lblAbastecimentos, textos.abastecimentos);
    escreve(lblQuarentena, textos.quarentena, textos.quarentenaEmAlerta);
    escreve(lblEncerrantes, textos.encerrantes, textos.encerrantesEmAlerta);
    escreve(lblPedidos, textos.pedidos, textos.pedidosEmAlerta);
    escreve(lblAutomacao, textos.automacao);
    escreve(lblBanco, textos.banco);
    ajustaAltura();
    return true;
}

// A minimum-size layout knows nothing of wrapped text: the height a wrapped line
// needs at the window's width is asked for here, or its second row is cut away.
void FormMenuAutomacao::ajustaAltura() {
    QWidget* centro = centralWidget();
    if (!centro || !centro->layout()) return;
    centro->layout()->invalidate(); // its cached heights are those of the old texts
    const int falta = centro->heightForWidth(centro->width()) - centro->height();
    if (falta > 0) resize(width(), height() + falta);
}

void FormMenuAutomacao::resizeEvent(QResizeEvent* evento) {
    QMainWindow::resizeEvent(evento);
    ajustaAltura();
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
    liga(mnuLerCartao = mnuCartao->addAction(QStringLiteral("Ler Cartão \"1234567890123456\"")),
         "mnuLerCartao", &EventosJanela::mnuLerCartao_Click);
    liga(mnuPesquisaPosicaoCartao =
             mnuCartao->addAction(QStringLiteral("Pesquisa Posição Cartao Específico")),
         "mnuPesquisaPosicaoCartao", &EventosJanela::mnuPesquisaPosicaoCartao_Click);
}

void FormMenuAutomacao::conecta(EventosJanela& eventos) {
    eventos_ = &eventos;
}

void FormMenuAutomacao::defineEstado(EstadoJanela estado) {
    const Qt::WindowStates atual = windowState();
    setWindowState(estado == EstadoJanela::Minimizada ? (atual | Qt::WindowMinimized)
                                                      : (atual & ~Qt::WindowMinimized));
}

EstadoJanela FormMenuAutomacao::estado() const {
    return windowState().testFlag(Qt::WindowMinimized) ? EstadoJanela::Minimizada
                                                       : EstadoJanela::Normal;
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
