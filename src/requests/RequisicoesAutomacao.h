#pragma once

#include "cards/CartoesIdentFid.h"
#include "cycle/CicloAutomacao.h"
#include "link/EnlaceConcentrador.h"
#include "platform/Agendador.h"
#include "platform/Processos.h"
#include "platform/Relogio.h"
#include "platform/SistemaArquivos.h"
#include "requests/PastaPedidos.h"
#include "support/Ambiente.h"
#include "support/Configuracao.h"
#include "support/RegistroEventos.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <set>

namespace talvero {

// The other station programs drive the agent through request files dropped in
// its automation folder ("Pedido_<id>.AUT", INI form) and get their answer as a
// file in a share of their own computer ("\\<Origem>\<pasta>\Retorno_<id>.AUT").
// One request per tick of TimerArquivo, in name order, once it is complete.
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
    };

    explicit RequisicoesAutomacao(Dependencias dependencias);

    void TimerArquivo_Timer();

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

    void atende(const std::vector<PastaPedidos::Pedido>& prontos);
    void atendeEmPausa(const std::vector<PastaPedidos::Pedido>& prontos);
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
};

} // namespace talvero
