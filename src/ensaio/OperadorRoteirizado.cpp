#include "ensaio/OperadorRoteirizado.h"

namespace talvero {

void OperadorRoteirizado::exibe(Exibicao e) {
    exibidas.push_back(e);
    if (aoExibir) aoExibir(e);
}

void OperadorRoteirizado::mensagem(const QString& texto, const QString& titulo, Icone icone) {
    exibe({Tipo::Mensagem, texto, titulo, icone, {}});
}

QString OperadorRoteirizado::entrada(const QString& pergunta, const QString& titulo,
                                     const QString& padrao) {
    exibe({Tipo::Entrada, pergunta, titulo, Icone::Nenhum, padrao});
    if (respostasEntrada.empty()) return {};
    QString resposta = respostasEntrada.front();
    respostasEntrada.pop_front();
    return resposta;
}

bool OperadorRoteirizado::pergunta(const QString& texto, const QString& titulo) {
    exibe({Tipo::Pergunta, texto, titulo, Icone::Pergunta, {}});
    if (respostasPergunta.empty()) return false;
    const bool resposta = respostasPergunta.front();
    respostasPergunta.pop_front();
    return resposta;
}

namespace {

// Each step is shown as a box of its own, with the progress's title.
class ProgressoRoteirizado : public Progresso {
public:
    ProgressoRoteirizado(OperadorRoteirizado& o, QString titulo)
        : o_(o), titulo_(std::move(titulo)) {}
    void avanca(int, const QString& texto) override {
        o_.exibidas.push_back(
            {OperadorRoteirizado::Tipo::Progresso, texto, titulo_, Icone::Nenhum, {}});
        ++passos_;
    }
    bool cancelado() const override {
        return o_.cancelaProgressoApos >= 0 && passos_ >= o_.cancelaProgressoApos;
    }

private:
    OperadorRoteirizado& o_;
    QString titulo_;
    int passos_ = 0;
};

} // namespace

std::unique_ptr<Progresso> OperadorRoteirizado::progresso(const QString& titulo, int) {
    return std::make_unique<ProgressoRoteirizado>(*this, titulo);
}

std::vector<QString> OperadorRoteirizado::textos() const {
    std::vector<QString> t;
    for (const auto& e : exibidas)
        t.push_back(e.texto);
    return t;
}

} // namespace talvero
