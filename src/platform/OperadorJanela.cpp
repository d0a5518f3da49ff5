#include "platform/OperadorJanela.h"

#include "platform/TituloPadrao.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

namespace talvero {

namespace {

QMessageBox::Icon iconeQt(Icone icone) {
    switch (icone) {
    case Icone::Critico:
        return QMessageBox::Critical;
    case Icone::Informacao:
        return QMessageBox::Information;
    case Icone::Pergunta:
        return QMessageBox::Question;
    case Icone::Nenhum:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void OperadorJanela::mensagem(const QString& texto, const QString& titulo, Icone icone) {
    QMessageBox caixa(iconeQt(icone), TituloOuPadrao(titulo), texto, QMessageBox::Ok);
    caixa.exec();
}

// The buttons in Portuguese whatever translations the machine has.
QString OperadorJanela::entrada(const QString& pergunta, const QString& titulo,
                                const QString& padrao) {
    QInputDialog caixa;
    caixa.setWindowTitle(TituloOuPadrao(titulo));
    caixa.setLabelText(pergunta);
    caixa.setTextValue(padrao);
    caixa.setOkButtonText(QStringLiteral("OK"));
    caixa.setCancelButtonText(QStringLiteral("Cancelar"));
    return caixa.exec() == QDialog::Accepted ? caixa.textValue() : QString();
}

namespace {

class ProgressoJanela : public Progresso {
public:
    ProgressoJanela(const QString& titulo, int maximo)
        : dialogo_(QString(), QStringLiteral("Cancelar"), 0, maximo) {
        dialogo_.setWindowTitle(TituloOuPadrao(titulo));
        dialogo_.setWindowModality(Qt::ApplicationModal);
        dialogo_.setMinimumDuration(0);
        dialogo_.setAutoClose(false);
        dialogo_.setAutoReset(false);
        dialogo_.show();
    }
    void avanca(int valor, const QString& texto) override {
        dialogo_.setLabelText(texto);
        dialogo_.setValue(valor);
    }
    bool cancelado() const override { return dialogo_.wasCanceled(); }

private:
    QProgressDialog dialogo_;
};

} // namespace

std::unique_ptr<Progresso> OperadorJanela::progresso(const QString& titulo, int maximo) {
    return std::make_unique<ProgressoJanela>(titulo, maximo);
}

bool OperadorJanela::pergunta(const QString& texto, const QString& titulo) {
    QMessageBox caixa(QMessageBox::Question, TituloOuPadrao(titulo), texto,
                      QMessageBox::Yes | QMessageBox::No);
    caixa.button(QMessageBox::Yes)->setText(QStringLiteral("Sim"));
    caixa.button(QMessageBox::No)->setText(QStringLiteral("Não"));
    return caixa.exec() == QMessageBox::Yes;
}

} // namespace talvero
