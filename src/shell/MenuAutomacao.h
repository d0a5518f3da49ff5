#pragma once

#include "cards/CartoesIdentFid.h"
#include "cards/DialogosCartao.h"
#include "cycle/CicloAutomacao.h"
#include "link/EnlaceConcentrador.h"
#include "link/PortaConcentrador.h"
#include "link/TransportesConcentrador.h"
#include "platform/Plataforma.h"
#include "requests/RequisicoesAutomacao.h"
#include "shell/EventosJanela.h"
#include "shell/FerramentasOperador.h"
#include "shell/JanelaPrincipal.h"
#include "shell/ObjetosDados.h"
#include "shell/PainelEstado.h"
#include "shell/ProcessosDoAgente.h"
#include "store/GravacaoAbastecimento.h"
#include "support/Acompanhamento.h"
#include "support/Ambiente.h"
#include "support/Configuracao.h"
#include "support/PedidoEmail.h"
#include "support/RegistroEventos.h"
#include "support/SocketIp.h"

#include <QString>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

namespace talvero {

// The request-folder listing the request timer reads: a folder and a pattern.
struct ListaArquivos {
    QString Path;
    QString Pattern = QStringLiteral("*.ECF");
};

// The work behind the timers, buttons and menus, plugged in by the parts that
// own it. An empty action does nothing.
struct AcoesMenu {
    std::function<void()> TimerAutomacao_Timer;
    std::function<void()> TimerArquivo_Timer;
    std::function<void()> cmdLeituraIdentificador_Click;
    std::function<void()> cmdBlocoNotas_Click;
    std::function<void()> cmdExplorer_Click;
    std::function<void()> mnuVersaoEquipamento_Click;
    std::function<void()> mnuIncluiCartao_Click;
    std::function<void()> mnuExcluiCartao_Click;
    std::function<void()> mnuLerCartao_Click;
    std::function<void()> mnuPesquisaPosicaoCartao_Click;
};

// The program's main window as state and behaviour: start-up, hiding to the
// notification area and back, shutdown. It holds everything that lives for the
// whole run; the window on the screen (or none) only shows it.
class MenuAutomacao : public EventosJanela {
public:
    MenuAutomacao(const Plataforma& plataforma, JanelaPrincipal& janela,
                  CarregadorBiblioteca carregaBiblioteca = {});
    ~MenuAutomacao() override;
    MenuAutomacao(const MenuAutomacao&) = delete;
    MenuAutomacao& operator=(const MenuAutomacao&) = delete;

    // The window's load: runs once, before any timer can tick.
    void Form_Load();

    // Closes the main window: the close request, then the unload. Runs once.
    void FechaJanela();
    bool descarregada() const { return descarregada_; }

    // IconeBandeja: 0 adds, 1 modifies, 2 deletes, with the window's current title
    // and the status panel's summary.
    void IconeBandeja(int acao);

    void Form_Resize() override;
    void Form_Click() override { restauraDaBandeja(); }
    void Form_DblClick() override { restauraDaBandeja(); }
    void Form_MouseMove(int botao) override;
    void Form_QueryUnload() override { FechaJanela(); }
    void cmdMinimizar_Click() override;
    void cmdFechar_Click() override { FechaJanela(); }
    void cmdLeituraIdentificador_Click() override { executa(acoes.cmdLeituraIdentificador_Click); }
    void cmdBlocoNotas_Click() override { executa(acoes.cmdBlocoNotas_Click); }
    void cmdExplorer_Click() override { executa(acoes.cmdExplorer_Click); }
    void mnuVersaoEquipamento_Click() override { executa(acoes.mnuVersaoEquipamento_Click); }
    void mnuIncluiCartao_Click() override { executa(acoes.mnuIncluiCartao_Click); }
    void mnuExcluiCartao_Click() override { executa(acoes.mnuExcluiCartao_Click); }
    void mnuLerCartao_Click() override { executa(acoes.mnuLerCartao_Click); }
    void mnuPesquisaPosicaoCartao_Click() override {
        executa(acoes.mnuPesquisaPosicaoCartao_Click);
    }

    // The status the process ends with (CodigosSaida.h).
    int codigoSaida() const { return codigoSaida_; }

    // Told on standard error: the start, the end, each change of state.
    Acompanhamento acompanhamento;

private:
    ProcessosDoAgente processos_;

public:
    Plataforma plataforma;
    JanelaPrincipal& janela;
    Configuracao config;
    RegistroEventos registro;
    // The clock, the event loop, the log and the settings, handed to the parts as one.
    Ambiente ambiente{plataforma.relogio, plataforma.agendador, registro, config};
    SocketIp socket;
    ObjetosDados dados;
    PedidoEmail pedidoEmail;
    TransportesConcentrador transportes;
    EnlaceConcentrador enlace;
    ListaArquivos FileList;
    std::unique_ptr<Temporizador> TimerArquivo;
    std::unique_ptr<Temporizador> TimerAutomacao;
    AcoesMenu acoes;

    // What the load builds once the database is connected (MenuAutomacaoMontagem.cpp):
    // the data-library objects are created on first use, after the connection.
    CicloAutomacao& ciclo() { return *ciclo_; }
    CartoesIdentFid& cartoes() { return *cartoes_; }
    RequisicoesAutomacao& requisicoes() { return *requisicoes_; }
    DialogosCartao& dialogos() { return *dialogos_; }
    FerramentasOperador& ferramentas() { return *ferramentas_; }

private:
    void carrega();
    void leConfiguracao();
    bool conectaBanco();
    bool verificaComputadorEAbreEnlace();
    void erroFatal(const QString& texto, const QString& titulo, int codigo);
    void encerraNaPartida(const QString& causa, int codigo);
    void avisaPronto();
    // The end told on standard error and to the service manager, once.
    void termina(int codigo);
    QString descricaoDoInicio();
    QString le(const QString& secao, const QString& chave) const;
    void restauraDaBandeja();
    void Form_Unload();
    static void executa(const std::function<void()>& acao);
    void quandoEnlaceLivre(std::function<void()> acao);
    void ligaAcoesDoOperador();

    bool descarregada_ = false;
    bool terminado_ = false;
    std::unique_ptr<Temporizador> vigia_; // feeds the service manager's watchdog
    int codigoSaida_ = 0;
    QString falhaPartida_;   // why the start-up could not finish: the window says so
    QString chaveEmLeitura_; // the INI key being converted, for the message when it fails
    // Builds the agent's parts, each once, in the order they need each other.
    void monta();
    std::unique_ptr<PortaConcentrador> criaPorta();

    std::unique_ptr<PortaConcentrador> porta_;
    std::unique_ptr<GravacaoAbastecimento> gravacao_;
    std::unique_ptr<CicloAutomacao> ciclo_;
    std::unique_ptr<CartoesIdentFid> cartoes_;
    std::unique_ptr<RequisicoesAutomacao> requisicoes_;
    std::unique_ptr<DialogosCartao> dialogos_;
    std::unique_ptr<FerramentasOperador> ferramentas_;
    // An operator action that needs the link while the cycle is inside an exchange.
    std::deque<std::function<void()>> aEsperaDoEnlace_;
    std::unique_ptr<Temporizador> esperaEnlace_;

    // The status panel (MenuAutomacaoPainel.cpp).
    void registraGravado(const AbastecimentoEmTrabalho& a);
    void registraQuarentena();
    void atualizaPainel();
    void leContagensPainel(const QDate& hoje, std::int64_t agoraMs);
    void registraPainelNaHora(const QDateTime& agora);
    QString dicaIcone() const;
    PainelEstado::Momento momentoDoPainel(const QDateTime& agora, std::int64_t agoraMs);
    void acompanha(const PainelEstado::Momento& m);
    void gravaSituacao(const PainelEstado::Momento& m);
    std::int64_t proximaSituacaoMs_ = 0;
    QByteArray situacaoGravada_;
    bool falhaSituacao_ = false;
    QDateTime inicio_;
    PainelEstado painel_;
    TextosPainel textosPainel_;
    std::int64_t proximaLeituraPainelMs_ = 0;
    std::int64_t horaPainelRegistrada_ = -1;
    std::unique_ptr<Temporizador> TimerPainel =
        plataforma.agendador.criaTemporizador(1000, [this] { atualizaPainel(); });
};

} // namespace talvero
