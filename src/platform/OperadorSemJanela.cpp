#include "platform/OperadorSemJanela.h"

#include "platform/TituloPadrao.h"

#include <cstdio>

namespace talvero {

namespace {

QString linha(const QString& titulo, const QString& texto) {
    return QLatin1Char('[') + TituloOuPadrao(titulo) + QStringLiteral("] ") + texto;
}

} // namespace

OperadorSemJanela::OperadorSemJanela(std::function<void(const QString&)> registra)
    : registra_(std::move(registra)) {}

void OperadorSemJanela::escreve(const QString& texto) {
    std::fprintf(stderr, "%s\n", texto.toLocal8Bit().constData());
    std::fflush(stderr);
    if (registra_) registra_(texto);
}

void OperadorSemJanela::mensagem(const QString& texto, const QString& titulo, Icone) {
    escreve(linha(titulo, texto));
}

QString OperadorSemJanela::entrada(const QString& pergunta, const QString& titulo, const QString&) {
    escreve(linha(titulo, pergunta) + QStringLiteral(" (sem operador: entrada cancelada)"));
    return {};
}

bool OperadorSemJanela::pergunta(const QString& texto, const QString& titulo) {
    escreve(linha(titulo, texto) + QStringLiteral(" (sem operador: resposta Não)"));
    return false;
}

namespace {
class ProgressoSemJanela : public Progresso {
public:
    void avanca(int, const QString&) override {}
    bool cancelado() const override { return false; }
};
} // namespace

std::unique_ptr<Progresso> OperadorSemJanela::progresso(const QString&, int) {
    return std::make_unique<ProgressoSemJanela>();
}

} // namespace talvero
