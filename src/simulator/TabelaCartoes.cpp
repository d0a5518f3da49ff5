#include "simulator/TabelaCartoes.h"

namespace talvero::sim {

TabelaCartoes::TabelaCartoes(int tamanho) : registros_(std::size_t(tamanho), vazio()) {}

std::optional<int> TabelaCartoes::posicaoDe(const QString& cartao) const {
    for (int i = 0; i < tamanho(); ++i)
        if (registros_[std::size_t(i)] == cartao) return i;
    return std::nullopt;
}

std::optional<int> TabelaCartoes::grava(const QString& cartao) {
    if (cartao == vazio()) return std::nullopt;
    if (auto ja = posicaoDe(cartao)) return ja;
    auto livre = posicaoDe(vazio());
    if (livre) defineRegistro(*livre, cartao);
    return livre;
}

bool TabelaCartoes::apaga(int posicao, const QString& cartao) {
    if (!existe(posicao) || cartao == vazio() || le(posicao) != cartao) return false;
    defineRegistro(posicao, vazio());
    return true;
}

std::vector<QString> TabelaCartoes::gravados() const {
    std::vector<QString> v;
    for (const QString& c : registros_)
        if (c != vazio()) v.push_back(c);
    return v;
}

} // namespace talvero::sim
