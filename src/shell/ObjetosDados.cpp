#include "shell/ObjetosDados.h"

namespace talvero {

ObjetosDados::ObjetosDados(std::function<OpcoesBanco()> opcoes) : opcoes_(std::move(opcoes)) {}

// Records before the connection they work on.
ObjetosDados::~ObjetosDados() {
    aoLiberar = nullptr;
    Libera();
    while (!liberados_.empty())
        liberados_.pop_back();
}

Conexao& ObjetosDados::conexao() {
    if (!conexao_) conexao_ = std::make_unique<Conexao>(opcoes_());
    return *conexao_;
}

template <typename T> T& ObjetosDados::obtem(std::unique_ptr<T>& objeto) {
    if (!objeto) objeto = std::make_unique<T>(conexao());
    return *objeto;
}

BicoAutomacao& ObjetosDados::bicoAutomacao() {
    return obtem(bicoAutomacao_);
}
Bico& ObjetosDados::bico() {
    return obtem(bico_);
}
CartaoIdentFid& ObjetosDados::cartaoIdentFid() {
    return obtem(cartaoIdentFid_);
}
EncerranteAtual& ObjetosDados::encerranteAtual() {
    return obtem(encerranteAtual_);
}
Estoque& ObjetosDados::estoque() {
    return obtem(estoque_);
}
ParametroEmpresa& ObjetosDados::parametroEmpresa() {
    return obtem(parametroEmpresa_);
}
Abastecimento& ObjetosDados::abastecimento() {
    return obtem(abastecimento_);
}
Produto& ObjetosDados::produto() {
    return obtem(produto_);
}
AbastecimentoRejeitado& ObjetosDados::abastecimentoRejeitado() {
    return obtem(abastecimentoRejeitado_);
}

template <typename T> void ObjetosDados::libera(std::unique_ptr<T>& objeto, const char* nome) {
    if (!objeto) return;
    liberados_.push_back(std::shared_ptr<T>(std::move(objeto)));
    if (aoLiberar) aoLiberar(nome);
}

void ObjetosDados::Libera() {
    libera(conexao_, "Conexao");
    libera(bicoAutomacao_, "BicoAutomacao");
    libera(bico_, "Bico");
    libera(cartaoIdentFid_, "CartaoIdentFid");
    libera(encerranteAtual_, "EncerranteAtual");
    libera(estoque_, "Estoque");
    libera(parametroEmpresa_, "ParametroEmpresa");
    libera(abastecimento_, "Abastecimento");
    libera(produto_, "Produto");
    libera(abastecimentoRejeitado_, "AbastecimentoRejeitado");
}

bool ObjetosDados::algumCriado() const {
    return conexao_ || bicoAutomacao_ || bico_ || cartaoIdentFid_ || encerranteAtual_ || estoque_ ||
           parametroEmpresa_ || abastecimento_ || produto_ || abastecimentoRejeitado_;
}

} // namespace talvero
