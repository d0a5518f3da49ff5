#include "requests/RequisicoesAutomacao.h"

#include "platform/Erro.h"
#include "support/RotinasGerais.h"

#include <utility>
#include <vector>

namespace talvero {

namespace {

const QString kTiraPausa = QStringLiteral("TIRA PAUSA AUTOMACAO");

constexpr int kTentativasPorTick = 8;

enum class Acao {
    Ativada,
    LeituraEncerrante,
    Pausa,
    Fecha,
    NumeroCartao,
    IncluiCartao,
    ExcluiCartao,
    PesquisaCartao
};

} // namespace

struct RequisicoesAutomacao::Comando {
    const char* texto;
    Acao acao;
    // Needs the concentrator link (or takes it away): waits while the cycle is inside an exchange.
    bool usaEnlace;
};

const RequisicoesAutomacao::Comando* RequisicoesAutomacao::comando(const QString& texto) {
    static const Comando kComandos[] = {
        {"AUTOMACAO ATIVADA", Acao::Ativada, false},
        {"AUTOMACAO LEITURA ENCERRANTE", Acao::LeituraEncerrante, false},
        {"AUTOMACAO PAUSA", Acao::Pausa, true},
        {"AUTOMACAO FECHA", Acao::Fecha, false},
        {"AUTOMACAO NUMERO CARTAO", Acao::NumeroCartao, true},
        {"AUTOMACAO INCLUI CARTAO", Acao::IncluiCartao, true},
        {"AUTOMACAO EXCLUI CARTAO", Acao::ExcluiCartao, true},
        {"AUTOMACAO PESQUISA CARTAO", Acao::PesquisaCartao, true},
    };
    for (const Comando& c : kComandos)
        if (texto == QLatin1String(c.texto)) return &c;
    return nullptr;
}

RequisicoesAutomacao::RequisicoesAutomacao(Dependencias dependencias)
    : d_(std::move(dependencias)),
      pasta_({d_.ambiente.relogio, d_.ambiente.agendador, d_.arquivos, d_.ambiente.registro,
              d_.pastaPedidos, d_.padraoPedidos}),
      novaOlhada_(d_.ambiente.agendador.criaTemporizador(PastaPedidos::kEstavelMs,
                                                         [this] {
                                                             novaOlhada_->setHabilitado(false);
                                                             pastaMudou();
                                                         })),
      aviso_(d_.ambiente.agendador.criaTemporizador(kJuntaAvisosMs, [this] {
          aviso_->setHabilitado(false);
          pastaMudou();
      })) {}

RequisicoesAutomacao::~RequisicoesAutomacao() {
    d_.vigia.para();
}

QString RequisicoesAutomacao::pasta() const {
    const QString& p = d_.pastaPedidos;
    return p.endsWith(QLatin1Char('\\')) ? p : p + QLatin1Char('\\');
}

void RequisicoesAutomacao::TimerArquivo_Timer() {
    if (!vigiando_ && d_.ambiente.relogio.monotonicoMs() >= novaVigiaMs_) vigiaPasta();
    passagem();
}

void RequisicoesAutomacao::vigiaPasta() {
    novaVigiaMs_ = d_.ambiente.relogio.monotonicoMs() + kNovaVigiaMs;
    vigiando_ = true; // until told otherwise, maybe within the call
    d_.vigia.vigia(
        d_.pastaPedidos, [this] { avisado(); },
        [this](const QString& motivo) { semVigia(motivo); });
    if (vigiando_ && std::exchange(semVigiaAvisado_, false))
        registra(QStringLiteral(" - VigiaPasta: a pasta de pedidos ") + d_.pastaPedidos +
                 QStringLiteral(" volta a ser vigiada."));
}

// Told once while it lasts; the ticks carry on alone meanwhile.
void RequisicoesAutomacao::semVigia(const QString& motivo) {
    vigiando_ = false;
    if (std::exchange(semVigiaAvisado_, true)) return;
    registra(QStringLiteral(" - VigiaPasta: a pasta de pedidos ") + d_.pastaPedidos +
             QStringLiteral(" não pode ser vigiada (") + motivo +
             QStringLiteral("); os pedidos são atendidos a cada %1 ms.")
                 .arg(d_.timerArquivo.intervaloMs()));
}

// A burst of changes (a request written, then renamed) makes one pass, and a
// folder that never stops changing costs a pass per kJuntaAvisosMs at most. A
// change while the cycle holds the link may be a request for it: the cycle's
// wait may end with its answer.
void RequisicoesAutomacao::avisado() {
    d_.enlace.aguardaVez();
    aviso_->setHabilitado(true);
}

// A change is looked at now, under the tick's own rules. While a request is
// handled it waits for the pass to end; while TimerArquivo is off (a card box
// with the operator, the end) no request may be handled: the tick finds it later.
void RequisicoesAutomacao::pastaMudou() {
    if (emPassagem_) {
        outraPassagem_ = true;
        return;
    }
    if (d_.timerArquivo.habilitado()) passagem();
}

// Never two passes at once: a change or a tick during one (its waits let events
// run) brings another one right after it.
void RequisicoesAutomacao::passagem() {
    if (emPassagem_) {
        outraPassagem_ = true;
        return;
    }
    emPassagem_ = true;
    struct Fim {
        bool& emPassagem;
        ~Fim() { emPassagem = false; }
    } fim{emPassagem_};
    bool atendeu = false;
    do {
        outraPassagem_ = false;
        atendeu = passa();
    } while (outraPassagem_ && d_.timerArquivo.habilitado());
    // A request still being written gets its next look soon, as do the next one
    // waiting and one waiting for the link.
    if (vigiando_ && (atendeu || pasta_.mudou() || d_.enlace.alguemAguarda()))
        novaOlhada_->setHabilitado(true);
}

// One look at the folder and at most one request handled; true when one was.
bool RequisicoesAutomacao::passa() {
    d_.ambiente.agendador.processaEventos();
    const std::vector<PastaPedidos::Pedido> prontos = pasta_.prontos();
    std::erase_if(respondidosNaPausa_, [&](const QString& nome) { return !pasta_.conhece(nome); });
    bool atendeu = false;
    if (!prontos.empty()) {
        d_.timerArquivo.setHabilitado(false);
        atendeu = d_.ciclo.pausada() ? atendeEmPausa(prontos) : atende(prontos);
        d_.timerArquivo.setHabilitado(true);
    }
    d_.ambiente.agendador.processaEventos();
    return atendeu;
}

// One request per pass; one that cannot be taken out of the folder holds none
// back, and a few such in a row are all a pass tries.
bool RequisicoesAutomacao::atende(const std::vector<PastaPedidos::Pedido>& prontos) {
    int tentativas = 0;
    for (const PastaPedidos::Pedido& p : prontos) {
        const Tomada t = LeRequisicaoAutomacao(p);
        if (t != Tomada::Seguinte) return t == Tomada::Atendida;
        if (++tentativas >= kTentativasPorTick) return false;
    }
    return false;
}

void RequisicoesAutomacao::leCampos(const PastaPedidos::Pedido& p) {
    escolhe(p.nome);
    lComandoReq = p.comando;
    lOrigemReq = p.origem;
    lParametroReq = p.parametro;
}

RequisicoesAutomacao::Tomada
RequisicoesAutomacao::LeRequisicaoAutomacao(const PastaPedidos::Pedido& pedido) {
    leCampos(pedido);
    const Comando* c = comando(lComandoReq);
    // The link is busy: the request stays in the folder for a later tick.
    if (c && c->usaEnlace && d_.enlace.emTroca()) {
        d_.enlace.aguardaVez();
        return Tomada::Fica;
    }
    if (!retira(pedido.nome)) return Tomada::Seguinte;
    try {
        if (c) {
            despacha(*c);
        } else {
            registra(QStringLiteral(" - LeRequisicaoAutomacao: Comando:") + lComandoReq +
                     QStringLiteral(", não reconhecido pela versão atual."));
            AutomacaoComandoNaoReconhecido();
        }
    } catch (const Erro& e) {
        falhaRequisicao(e);
    }
    return Tomada::Atendida;
}

// The file is gone before the command runs. One that cannot be deleted now is
// tried again a little later and handled then; one its requester withdrew is
// answered to nobody.
bool RequisicoesAutomacao::retira(const QString& nome) {
    try {
        d_.arquivos.apaga(lNomeArquivoReq, false);
    } catch (const Erro& e) {
        if (!d_.arquivos.entrada(lNomeArquivoReq)) {
            pasta_.retirado(nome);
        } else if (pasta_.naoApagado(nome)) {
            falhaRequisicao(e);
        }
        return false;
    }
    pasta_.retirado(nome);
    return true;
}

void RequisicoesAutomacao::falhaRequisicao(const Erro& e) {
    registra(QStringLiteral(" - Erro LeRequisicaoAutomacao: Erro ao acessar o arquivo ") +
             lNomeArquivoReq + QStringLiteral(". - ") + e.descricao());
}

QString RequisicoesAutomacao::despacha(const Comando& c) {
    switch (c.acao) {
    case Acao::Ativada:
        return AutomacaoAtivada();
    case Acao::LeituraEncerrante:
        return AutomacaoLeituraEncerrante();
    case Acao::Pausa:
        return AutomacaoPausa();
    case Acao::Fecha:
        return AutomacaoFecha();
    default:
        break;
    }
    const QString resultado = comandoCartao(c);
    CriaArquivoRespAutomacao(QStringLiteral("OK"), resultado);
    return resultado;
}

QString RequisicoesAutomacao::comandoCartao(const Comando& c) {
    const QString cartao = SeparaCampo(lParametroReq, 1);
    switch (c.acao) {
    case Acao::NumeroCartao:
        return d_.ciclo.AutoPedeAbastecimentoEmAndamentoIdentFid();
    case Acao::IncluiCartao:
        return d_.cartoes.AutoIncluiCartaoIdentFid(cartao);
    case Acao::ExcluiCartao:
        return d_.cartoes.AutoExcluiCartaoIdentFid(cartao, SeparaCampo(lParametroReq, 2));
    default:
        return d_.cartoes.AutoPesquisaPosicaoCartaoIdentFid(cartao, false);
    }
}

// During a pause a resume is looked for first, whatever its place in the
// folder; every other request is told of the pause once and kept for after it.
bool RequisicoesAutomacao::atendeEmPausa(const std::vector<PastaPedidos::Pedido>& prontos) {
    const auto retomada = [](const PastaPedidos::Pedido& p) { return p.comando == kTiraPausa; };
    for (const PastaPedidos::Pedido& p : prontos)
        if (retomada(p) && retomaAutomacao(p)) return true;
    for (const PastaPedidos::Pedido& p : prontos) {
        if (retomada(p) || !respondidosNaPausa_.insert(p.nome).second) continue;
        respondeEmPausa(p);
        return true;
    }
    return false;
}

void RequisicoesAutomacao::respondeEmPausa(const PastaPedidos::Pedido& p) {
    leCampos(p);
    CriaArquivoRespAutomacao(QStringLiteral("AUTOMACAO EM PAUSA"), {});
}

// A device that cannot be opened now is opened again by the cycle's ticks.
// False when the resume could not be taken out of the folder: the pause holds.
bool RequisicoesAutomacao::retomaAutomacao(const PastaPedidos::Pedido& p) {
    leCampos(p);
    lComandoReq = kTiraPausa;
    if (!retira(p.nome)) return false;
    try {
        d_.ciclo.retoma();
        respondidosNaPausa_.clear();
        d_.timerAutomacao.setHabilitado(true);
        CriaArquivoRespAutomacao(QStringLiteral("OK"), {});
    } catch (const Erro& e) {
        falhaRequisicao(e);
    }
    return true;
}

} // namespace talvero
