#pragma once

#include "store/Abastecimento.h"
#include "store/AbastecimentoRejeitado.h"
#include "store/Cadastros.h"
#include "store/Conexao.h"

#include <functional>
#include <memory>
#include <vector>

namespace talvero {

// The window's long-lived objects of the data library: each is created on first
// use and all are released together at shutdown. A released object is only let go
// by the window: it lives on until this holder goes, because a handler that was
// waiting when the window closed may still finish its step with it.
class ObjetosDados {
public:
    explicit ObjetosDados(std::function<OpcoesBanco()> opcoes);
    ~ObjetosDados();

    Conexao& conexao();
    BicoAutomacao& bicoAutomacao();
    Bico& bico();
    CartaoIdentFid& cartaoIdentFid();
    EncerranteAtual& encerranteAtual();
    Estoque& estoque();
    ParametroEmpresa& parametroEmpresa();
    Abastecimento& abastecimento();
    Produto& produto();
    AbastecimentoRejeitado& abastecimentoRejeitado();

    // Releases them in the shutdown's order: Conexao, BicoAutomacao, Bico,
    // CartaoIdentFid, EncerranteAtual, Estoque, ParametroEmpresa, Abastecimento, Produto;
    // the quarantine of unreadable answers last.
    void Libera();
    // Called with each class name as its object is released (for the shutdown's checks).
    std::function<void(const char*)> aoLiberar;

    bool algumCriado() const;

private:
    template <typename T> T& obtem(std::unique_ptr<T>& objeto);
    template <typename T> void libera(std::unique_ptr<T>& objeto, const char* nome);

    std::function<OpcoesBanco()> opcoes_;
    std::vector<std::shared_ptr<void>> liberados_;
    std::unique_ptr<Conexao> conexao_;
    std::unique_ptr<BicoAutomacao> bicoAutomacao_;
    std::unique_ptr<Bico> bico_;
    std::unique_ptr<CartaoIdentFid> cartaoIdentFid_;
    std::unique_ptr<EncerranteAtual> encerranteAtual_;
    std::unique_ptr<Estoque> estoque_;
    std::unique_ptr<ParametroEmpresa> parametroEmpresa_;
    std::unique_ptr<Abastecimento> abastecimento_;
    std::unique_ptr<Produto> produto_;
    std::unique_ptr<AbastecimentoRejeitado> abastecimentoRejeitado_;
};

} // namespace talvero
