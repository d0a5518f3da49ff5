#include "shell/MenuAutomacao.h"

#include "shell/MensagensEmailBanco.h"

#include <utility>

namespace talvero {

namespace {

// A timer of the window: once the window is unloaded, a routine that was still
// waiting when it went cannot switch it on again.
class TimerDaJanela : public Temporizador {
public:
    TimerDaJanela(std::unique_ptr<Temporizador> real, const bool& descarregada)
        : real_(std::move(real)), descarregada_(descarregada) {}
    void setHabilitado(bool habilitado) override {
        real_->setHabilitado(habilitado && !descarregada_);
    }
    bool habilitado() const override { return real_->habilitado(); }
    int intervaloMs() const override { return real_->intervaloMs(); }

private:
    std::unique_ptr<Temporizador> real_;
    const bool& descarregada_;
};

constexpr int kIntervaloTimersMs = 500;
constexpr int kBotaoEsquerdo = 1;
enum AcaoIcone { Adiciona = 0, Remove = 2 };
} // namespace

MenuAutomacao::MenuAutomacao(const Plataforma& p, JanelaPrincipal& j,
                             CarregadorBiblioteca carregaBiblioteca)
    : processos_(p.processos, [this](int codigo) { termina(codigo); }),
      plataforma{p.relogio, p.agendador, p.arquivos, p.operador, processos_,  p.host,
                 p.icone,   p.canais,    p.caminhos, p.servico,  p.vigiaPasta},
      janela(j), registro(p.relogio, p.arquivos, p.operador), socket(p.host, p.operador),
      dados([&arquivos = p.arquivos, &caminhos = p.caminhos] {
          return OpcoesBanco::doIni(arquivos, caminhos);
      }),
      pedidoEmail(p.relogio, p.arquivos, p.operador, socket, config,
                  [this] { return std::make_unique<MensagensEmailBanco>(dados.conexao()); }),
      transportes(p.canais, p.relogio, std::move(carregaBiblioteca)),
      enlace({config, registro, p.arquivos,
              [this](bool habilitado) { TimerAutomacao->setHabilitado(habilitado); }}) {
    TimerArquivo = std::make_unique<TimerDaJanela>(
        p.agendador.criaTemporizador(kIntervaloTimersMs,
                                     [this] { executa(acoes.TimerArquivo_Timer); }),
        descarregada_);
    TimerAutomacao = std::make_unique<TimerDaJanela>(
        p.agendador.criaTemporizador(kIntervaloTimersMs,
                                     [this] { executa(acoes.TimerAutomacao_Timer); }),
        descarregada_);
    if (const int intervalo = p.servico.intervaloVigiaMs(); intervalo > 0)
        vigia_ = std::make_unique<TimerDaJanela>(
            p.agendador.criaTemporizador(intervalo,
                                         [this] { plataforma.servico.avisa("WATCHDOG=1"); }),
            descarregada_);
    acoes.TimerAutomacao_Timer = [this] { ciclo().TimerAutomacao_Timer(); };
    acoes.TimerArquivo_Timer = [this] { requisicoes().TimerArquivo_Timer(); };
    ligaAcoesDoOperador();
    janela.conecta(*this);
    plataforma.icone.aoClicarDuasVezes([this] { restauraDaBandeja(); });
}

MenuAutomacao::~MenuAutomacao() {
    TimerArquivo->setHabilitado(false);
    TimerAutomacao->setHabilitado(false);
    if (vigia_) vigia_->setHabilitado(false);
    plataforma.icone.aoClicarDuasVezes(nullptr);
}

void MenuAutomacao::executa(const std::function<void()>& acao) {
    if (acao) acao();
}

// A failing icon call changes nothing for the program.
void MenuAutomacao::IconeBandeja(int acao) {
    try {
        plataforma.icone.executa(acao, dicaIcone());
    } catch (...) {
    }
}

void MenuAutomacao::cmdMinimizar_Click() {
    janela.defineEstado(EstadoJanela::Minimizada);
}

// Without a notification area the window stays minimised in the task bar instead.
void MenuAutomacao::Form_Resize() {
    if (janela.estado() != EstadoJanela::Minimizada || !plataforma.icone.disponivel()) return;
    IconeBandeja(Adiciona);
    janela.esconde();
}

void MenuAutomacao::restauraDaBandeja() {
    janela.defineEstado(EstadoJanela::Normal);
    IconeBandeja(Remove);
    janela.mostra();
    janela.ativa();
}

// Dragging over the window brings it back but leaves the icon where it is.
void MenuAutomacao::Form_MouseMove(int botao) {
    if (botao != kBotaoEsquerdo) return;
    janela.defineEstado(EstadoJanela::Normal);
    janela.mostra();
    janela.ativa();
}

// Only a start-up that finished is told ready: the service manager then keeps
// a failing one restarting instead of taking it for running.
void MenuAutomacao::avisaPronto() {
    plataforma.servico.avisa("READY=1");
    if (vigia_) vigia_->setHabilitado(true);
}

void MenuAutomacao::termina(int codigo) {
    acompanhamento.fim(codigo);
    if (std::exchange(terminado_, true)) return;
    if (vigia_) vigia_->setHabilitado(false);
    plataforma.servico.avisa("STOPPING=1");
}

void MenuAutomacao::FechaJanela() {
    if (descarregada_) return;
    descarregada_ = true;
    IconeBandeja(Remove);
    Form_Unload();
}

void MenuAutomacao::Form_Unload() {
    registro.registra(QStringLiteral(" - Finalizando AutoTalvero"));
    dados.Libera();
    if (enlace.Fecha()) {
        plataforma.processos.encerraImediatamente(codigoSaida_);
        return;
    }
    termina(codigoSaida_);
    // The timers go with the window, and the clicks waiting for the link.
    TimerArquivo->setHabilitado(false);
    TimerAutomacao->setHabilitado(false);
    if (esperaEnlace_) esperaEnlace_->setHabilitado(false);
    aEsperaDoEnlace_.clear();
    janela.descarrega();
}

} // namespace talvero
