#include "shell/MenuAutomacao.h"

namespace talvero {

CicloAutomacao& MenuAutomacao::ciclo() {
    if (ciclo_) return *ciclo_;
    gravacao_ = std::make_unique<GravacaoAbastecimento>(GravacaoAbastecimento::Dependencias{
        config, registro, dados.conexao(), dados.abastecimento(), dados.encerranteAtual(),
        dados.parametroEmpresa(), dados.cartaoIdentFid(), [this] { TimerAutomacao->setHabilitado(true); }});
    ciclo_ = std::make_unique<CicloAutomacao>(CicloAutomacao::Dependencias{
        plataforma.relogio, plataforma.agendador, registro, config, enlace, *TimerAutomacao, lAutomacaoPausada,
        dados.bicoAutomacao(), dados.bico(), dados.produto(), dados.estoque(), dados.abastecimentoRejeitado(),
        *gravacao_});
    return *ciclo_;
}

} // namespace talvero
