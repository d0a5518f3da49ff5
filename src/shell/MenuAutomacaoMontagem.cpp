#include "shell/MenuAutomacao.h"

#include "link/PortaBiblioteca.h"
#include "link/PortaSerial.h"

namespace talvero {

// The transport is chosen here, once: nothing else asks which one it is.
std::unique_ptr<PortaConcentrador> MenuAutomacao::criaPorta() {
    const MeiosPorta meios{ambiente, enlace.perda(), [this] { return enlace.alguemAguarda(); }};
    if (config.lUsarDllCompany)
        return std::make_unique<PortaBiblioteca>(transportes.biblioteca(), meios);
    return std::make_unique<PortaSerial>(transportes.serial(), meios,
                                         [this] { ciclo_->recomeca(); });
}

void MenuAutomacao::monta() {
    if (ciclo_) return;
    porta_ = criaPorta();
    enlace.usa(*porta_);
    gravacao_ = std::make_unique<GravacaoAbastecimento>(GravacaoAbastecimento::Dependencias{
        config, registro, dados.conexao(), dados.abastecimento(), dados.encerranteAtual(),
        dados.parametroEmpresa(), dados.cartaoIdentFid(),
        [this] { TimerAutomacao->setHabilitado(true); }});
    ciclo_ = std::make_unique<CicloAutomacao>(CicloAutomacao::Dependencias{
        ambiente, enlace, dados.bicoAutomacao(), dados.bico(), dados.produto(), dados.estoque(),
        dados.abastecimentoRejeitado(), *gravacao_,
        [this](const AbastecimentoEmTrabalho& a) { registraGravado(a); },
        [this] { registraQuarentena(); }});
    cartoes_ = std::make_unique<CartoesIdentFid>(
        CartoesIdentFid::Dependencias{registro, enlace, plataforma.operador,
                                      ciclo_->lPassoDebugarErroAbastAndam(), descarregada_});
    requisicoes_ = std::make_unique<RequisicoesAutomacao>(RequisicoesAutomacao::Dependencias{
        ambiente, plataforma.arquivos, plataforma.processos, enlace, FileList.Path,
        FileList.Pattern, *TimerArquivo, *TimerAutomacao, *ciclo_, *cartoes_,
        plataforma.vigiaPasta});
    dialogos_ = std::make_unique<DialogosCartao>(DialogosCartao::Dependencias{
        *cartoes_, registro, enlace, plataforma.operador, *TimerArquivo});
    ferramentas_ = std::make_unique<FerramentasOperador>(
        FerramentasOperador::Dependencias{plataforma, registro, enlace, *ciclo_});
}

} // namespace talvero
