#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace talvero::sim {

// The IdentFid identifier's card table: one card per numbered record.
class TabelaCartoes {
public:
    explicit TabelaCartoes(int tamanho);

    int tamanho() const { return int(registros_.size()); }
    bool existe(int posicao) const { return posicao >= 0 && posicao < tamanho(); }

    // The record already holding the card, or the first free one; nothing when the table is full.
    std::optional<int> grava(const QString& cartao);
    // Frees the record when it holds exactly that card.
    bool apaga(int posicao, const QString& cartao);
    const QString& le(int posicao) const { return registros_.at(std::size_t(posicao)); }
    void defineRegistro(int posicao, const QString& cartao) {
        registros_.at(std::size_t(posicao)) = cartao;
    }
    std::optional<int> posicaoDe(const QString& cartao) const;
    std::vector<QString> gravados() const;

    // What a free record holds.
    static QString vazio() { return QString(16, QLatin1Char('0')); }

private:
    std::vector<QString> registros_;
};

} // namespace talvero::sim
