#pragma once

#include "cards/CartoesIdentFid.h"
#include "cycle/CicloAutomacao.h"
#include "link/EnlaceConcentrador.h"
#include "platform/Agendador.h"
#include "platform/Processos.h"
#include "platform/SistemaArquivos.h"
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
// One request per tick of TimerArquivo, in name order.
class RequisicoesAutomacao {
public:
    struct Dependencias {
        Agendador& agendador;
        SistemaArquivos& arquivos;
        Processos& processos;
        RegistroEventos& registro;
        const Configuracao& configuracao;
        EnlaceConcentrador& enlace;
        const QString& pastaPedidos;   // FileList.Path
        const QString& padraoPedidos;  // FileList.Pattern
        Temporizador& timerArquivo;
        Temporizador& timerAutomacao;
        bool& lAutomacaoPausada;
        std::function<CicloAutomacao&()> ciclo;
        std::function<CartoesIdentFid&()> cartoes;
    };

    explicit RequisicoesAutomacao(Dependencias dependencias) : d_(std::move(dependencias)) {}

    QString lNomeArquivoReq;
    QString lComandoReq;
    QString lOrigemReq;
    QString lParametroReq;

    void TimerArquivo_Timer();
    QString LeRequisicaoAutomacao();

    // The answer to the request in the fields above; true once it stands under its final name.
    bool CriaArquivoRespAutomacao(const QString& retorno, const QString& parametro);

    QString AutomacaoAtivada();
    QString AutomacaoFecha();
    QString AutomacaoLeituraEncerrante();
    QString AutomacaoPausa();
    QString AutomacaoComandoNaoReconhecido();

private:
    struct Comando;
    static const Comando* comando(const QString& texto);

    QStringList listaPedidos();
    void atendeEmPausa(const QStringList& pedidos);
    void retomaAutomacao();
    void respondeEmPausa(const QString& comando);
    QString despacha(const Comando& c);
    QString comandoCartao(const Comando& c);
    void apagaPedido();
    QString le(const QString& chave) const;
    QString caminhoResposta(const QString& extensao) const;
    void escolhe(const QString& nome) { lNomeArquivoReq = pasta() + nome; }
    QString pasta() const;
    void falhaRequisicao(const Erro& e);
    void falhaHandler(const Erro& e, const char* rotina);
    void falhaResposta(const QString& resposta, const Erro& e, const char* rotina);
    void registra(const QString& mensagem) { d_.registro.registra(mensagem); }

    Dependencias d_;
    // Requests whose file could not be deleted: logged once, passed over while they stay.
    std::set<QString> naoApagaveis_;
    // Requests already answered "in pause" during the current pause.
    std::set<QString> respondidosNaPausa_;
    // A listing failure is logged when it starts, not at every tick.
    bool listagemFalhou_ = false;
};

} // namespace talvero
