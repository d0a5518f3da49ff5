#include "platform/OperadorJanela.h"

#include "platform/TituloPadrao.h"

#include <QInputDialog>
#include <QMessageBox>

namespace talvero {

namespace {

QMessageBox::Icon iconeQt(Icone icone) {
    switch (icone) {
    case Icone::Critico: return QMessageBox::Critical;
    case Icone::Informacao: return QMessageBox::Information;
    case Icone::Pergunta: return QMessageBox::Question;
    case Icone::Nenhum: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void OperadorJanela::mensagem(const QString& texto, const QString& titulo, Icone icone) {
    QMessageBox caixa(iconeQt(icone), TituloOuPadrao(titulo), texto, QMessageBox::Ok);
    caixa.exec();
}

QString OperadorJanela::entrada(const QString& pergunta, const QString& titulo, const QString& padrao) {
    bool confirmado = false;
    const QString texto = QInputDialog::getText(nullptr, TituloOuPadrao(titulo), pergunta, QLineEdit::Normal,
                                                padrao, &confirmado);
    return confirmado ? texto : QString();
}

bool OperadorJanela::pergunta(const QString& texto, const QString& titulo) {
    QMessageBox caixa(QMessageBox::Question, TituloOuPadrao(titulo), texto, QMessageBox::Yes | QMessageBox::No);
    return caixa.exec() == QMessageBox::Yes;
}

} // namespace talvero
