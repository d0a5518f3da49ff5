#include "platform/OperadorRoteirizado.h"

namespace talvero {

void OperadorRoteirizado::exibe(Exibicao e) {
    exibidas.push_back(e);
    if (aoExibir) aoExibir(e);
}

void OperadorRoteirizado::mensagem(const QString& texto, const QString& titulo, Icone icone) {
    exibe({Tipo::Mensagem, texto, titulo, icone, {}});
}

QString OperadorRoteirizado::entrada(const QString& pergunta, const QString& titulo, const QString& padrao) {
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

std::vector<QString> OperadorRoteirizado::textos() const {
    std::vector<QString> t;
    for (const auto& e : exibidas) t.push_back(e.texto);
    return t;
}

} // namespace talvero
