#pragma once

#include "cards/CartoesIdentFid.h"
#include "cycle/CicloAutomacao.h"
#include "link/EnlaceConcentrador.h"
#include "platform/Agendador.h"
#include "platform/Processos.h"
#include "platform/Relogio.h"
#include "platform/SistemaArquivos.h"
#include "platform/VigiaPasta.h"
#include "requests/PastaPedidos.h"
#include "support/Ambiente.h"
#include "support/Configuracao.h"
#include "support/RegistroEventos.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>

namespace talvero {

// The other station programs drive the agent through request files dropped in
// its automation folder ("Pedido_<id>.AUT", INI form) and get their answer as a
// file in a share of their own computer ("\\<Origem>\<pasta>\Retorno_<id>.AUT").
// One request per pass over the folder, in name order, once it is complete: a
// pass at each tick of TimerArquivo, and one as soon as the folder's watch tells
// of a change.
class RequisicoesAutomacao {
public:
    struct Dependencias {
        Ambiente ambiente;
        SistemaArquivos& arquivos;
        Processos& processos;
        EnlaceConcentrador& enlace;
        const QString& pastaPedidos;  // FileList.Path
        const QString& padraoPedidos; // FileList.Pattern
        Temporizador& timerArquivo;
        Temporizador& timerAutomacao;
        CicloAutomacao& ciclo;
        CartoesIdentFid& cartoes;
        VigiaPasta& vigia;
    };

    explicit RequisicoesAutomacao(Dependencias dependencias);
    ~RequisicoesAutomacao();
    RequisicoesAutomacao(const RequisicoesAutomacao&) = delete;
    RequisicoesAutomacao& operator=(const RequisicoesAutomacao&) = delete;

    void TimerArquivo_Timer();

    // Watches the request folder so that a request is handled as it arrives. The
    // ticks go on: they find what a share never tells of, and what the watch missed.
    void vigiaPasta();
    // A watch that cannot start, or is lost, is tried again after this.
    static constexpr std::int64_t kNovaVigiaMs = 60'000;
    static constexpr int kJuntaAvisosMs = 10;

    // What became of a request offered by the folder.
    enum class Tomada { Atendida, Fica, Seguinte };
    // Takes the request out of the folder and runs its command. Fica: the link is
    // busy and it waits for a later tick; Seguinte: it could not be taken (its
    // file could not be deleted, or is gone) and the next one may be.
    Tomada LeRequisicaoAutomacao(const PastaPedidos::Pedido& pedido);

    // Entries of the request folder passed over because they are no requests.
    int recusadosNaPasta() const { return pasta_.recusados(); }

    // The answer to the request in the fields above; true once it stands under its final name.
    bool CriaArquivoRespAutomacao(const QString& retorno, const QString& parametro);

    QString AutomacaoAtivada();
    QString AutomacaoFecha();
    QString AutomacaoLeituraEncerrante();
    QString AutomacaoPausa();
    QString AutomacaoComandoNaoReconhecido();

private:
    // The request being answered.
    QString lNomeArquivoReq;
    QString lComandoReq;
    QString lOrigemReq;
    QString lParametroReq;

    struct Comando;
    static const Comando* comando(const QString& texto);

    void passagem();
    bool passa();
    void avisado();
    void pastaMudou();
    void semVigia(const QString& motivo);
    bool atende(const std::vector<PastaPedidos::Pedido>& prontos);
    bool atendeEmPausa(const std::vector<PastaPedidos::Pedido>& prontos);
    bool retomaAutomacao(const PastaPedidos::Pedido& pedido);
    void respondeEmPausa(const PastaPedidos::Pedido& pedido);
    void leCampos(const PastaPedidos::Pedido& pedido);
    bool retira(const QString& nome);
    QString despacha(const Comando& c);
    QString comandoCartao(const Comando& c);
    QString caminhoResposta(const QString& extensao) const;
    void escolhe(const QString& nome) { lNomeArquivoReq = pasta() + nome; }
    QString pasta() const;
    void falhaRequisicao(const Erro& e);
    void falhaDoComando(const Erro& e, const char* rotina);
    void falhaResposta(const QString& resposta, const Erro& e, const char* rotina);
    void registra(const QString& mensagem) { d_.ambiente.registro.registra(mensagem); }

    Dependencias d_;
    PastaPedidos pasta_;
    // Requests already answered "in pause" during the current pause.
    std::set<QString> respondidosNaPausa_;

    // The folder's watch: while it works, a pass follows every change at once.
    bool vigiando_ = false;
    bool semVigiaAvisado_ = false;
    std::int64_t novaVigiaMs_ = 0;
    bool emPassagem_ = false;
    bool outraPassagem_ = false; // asked for while a pass was on
    // The second look at a request still being written, or at the next one waiting.
    std::unique_ptr<Temporizador> novaOlhada_;
    std::unique_ptr<Temporizador> aviso_;
};

} // namespace talvero
