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
    ligaPainel(*ciclo_);
    return *ciclo_;
}

CartoesIdentFid& MenuAutomacao::cartoes() {
    if (!cartoes_)
        cartoes_ = std::make_unique<CartoesIdentFid>(CartoesIdentFid::Dependencias{
            plataforma.relogio, plataforma.agendador, registro, config, enlace, *TimerAutomacao, plataforma.operador,
            ciclo().lPassoDebugarErroAbastAndam});
    return *cartoes_;
}

RequisicoesAutomacao& MenuAutomacao::requisicoes() {
    if (!requisicoes_)
        requisicoes_ = std::make_unique<RequisicoesAutomacao>(RequisicoesAutomacao::Dependencias{
            plataforma.agendador, plataforma.arquivos, plataforma.processos, registro, config, enlace, FileList.Path,
            FileList.Pattern, *TimerArquivo, *TimerAutomacao, lAutomacaoPausada, [this]() -> CicloAutomacao& { return ciclo(); },
            [this]() -> CartoesIdentFid& { return cartoes(); }});
    return *requisicoes_;
}

} // namespace talvero
