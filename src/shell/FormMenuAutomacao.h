#pragma once

#include "shell/JanelaPrincipal.h"

#include <QMainWindow>
#include <functional>

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QToolButton;

namespace talvero {

// The window MenuAutomacao on the station's screen. It only reports what the
// operator does; the program decides (MenuAutomacao).
class FormMenuAutomacao : public QMainWindow, public JanelaPrincipal {
    Q_OBJECT
public:
    // `aoDescarregar` ends the program once the window is gone.
    explicit FormMenuAutomacao(std::function<void()> aoDescarregar = {});

    void conecta(EventosJanela& eventos) override;
    void defineTitulo(const QString& titulo) override { setWindowTitle(titulo); }
    QString titulo() const override { return windowTitle(); }
    void defineEstado(EstadoJanela estado) override;
    EstadoJanela estado() const override;
    void esconde() override { hide(); }
    void mostra() override { show(); }
    void ativa() override;
    void descarrega() override;
    bool mostraPainel(const TextosPainel& textos) override;

    QPushButton* cmdLeituraIdentificador;
    QToolButton* cmdMinimizar;
    QToolButton* cmdFechar;
    QToolButton* cmdBlocoNotas;
    QToolButton* cmdExplorer;
    QLabel* lblMensagem;
    QGroupBox* Frame1;
    QGroupBox* fraSituacao;
    QLabel* lblComunicacao;
    QLabel* lblAbastecimentos;
    QLabel* lblQuarentena;
    QLabel* lblEncerrantes;
    QLabel* lblPedidos;
    QLabel* lblAutomacao;
    QLabel* lblBanco;
    QAction* mnuVersaoEquipamento;
    QMenu* mnuCartao;
    QAction* mnuIncluiCartao;
    QAction* mnuExcluiCartao;
    QAction* mnuLerCartao;
    QAction* mnuPesquisaPosicaoCartao;

protected:
    void changeEvent(QEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;
    void mouseReleaseEvent(QMouseEvent* evento) override;
    void mouseDoubleClickEvent(QMouseEvent* evento) override;
    void mouseMoveEvent(QMouseEvent* evento) override;
    void resizeEvent(QResizeEvent* evento) override;

private:
    void montaControles();
    void montaMenus();
    QGroupBox* montaSituacao(QWidget* pai);
    QToolButton* botaoFigura(const char* nome, int figura, const QString& dica);
    void ajustaAltura();

    std::function<void()> aoDescarregar_;
    EventosJanela* eventos_ = nullptr;
    bool descarregada_ = false;
};

} // namespace talvero
