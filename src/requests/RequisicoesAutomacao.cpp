#include "requests/RequisicoesAutomacao.h"

#include "platform/Erro.h"
#include "platform/LeitorIni.h"
#include "support/RotinasGerais.h"

#include <utility>

namespace talvero {

namespace {

const QString kSecaoPedido = QStringLiteral("PEDIDO AUTOMACAO");
const QString kTiraPausa = QStringLiteral("TIRA PAUSA AUTOMACAO");

enum class Acao { Ativada, LeituraEncerrante, Pausa, Fecha, NumeroCartao, IncluiCartao, ExcluiCartao, PesquisaCartao };

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

QString RequisicoesAutomacao::pasta() const {
    const QString& p = d_.pastaPedidos;
    return p.endsWith(QLatin1Char('\\')) ? p : p + QLatin1Char('\\');
}

QString RequisicoesAutomacao::le(const QString& chave) const {
    return LeIni(d_.arquivos, kSecaoPedido, chave, lNomeArquivoReq);
}

void RequisicoesAutomacao::TimerArquivo_Timer() {
    d_.agendador.processaEventos();
    const QStringList pedidos = listaPedidos();
    if (!pedidos.isEmpty()) {
        d_.timerArquivo.setHabilitado(false);
        if (d_.lAutomacaoPausada) {
            atendeEmPausa(pedidos);
        } else {
            escolhe(pedidos.first());
            LeRequisicaoAutomacao();
        }
        d_.timerArquivo.setHabilitado(true);
    }
    d_.agendador.processaEventos();
}

// The waiting requests in name order, without those that cannot be deleted.
QStringList RequisicoesAutomacao::listaPedidos() {
    QStringList nomes;
    try {
        nomes = d_.arquivos.lista(d_.pastaPedidos, d_.padraoPedidos);
        listagemFalhou_ = false;
    } catch (const Erro& e) {
        if (!std::exchange(listagemFalhou_, true))
            registra(QStringLiteral(" - ERRO TimerArquivo_Timer: ") + e.descricao() + QStringLiteral(" - Err: ") +
                     QString::number(e.numero()));
        return {};
    }
    std::erase_if(naoApagaveis_, [&](const QString& n) { return !nomes.contains(n); });
    std::erase_if(respondidosNaPausa_, [&](const QString& n) { return !nomes.contains(n); });
    nomes.removeIf([&](const QString& n) { return naoApagaveis_.count(n) > 0; });
    return nomes;
}

QString RequisicoesAutomacao::LeRequisicaoAutomacao() {
    QString resultado;
    try {
        lComandoReq = le(QStringLiteral("Comando"));
        const Comando* c = comando(lComandoReq);
        // The link is busy: the request stays in the folder for a later tick.
        if (c && c->usaEnlace && d_.enlace.emTroca()) return resultado;
        lOrigemReq = le(QStringLiteral("Origem"));
        lParametroReq = le(QStringLiteral("Parametro"));
        // Gone meanwhile: its requester withdrew it and waits for nothing.
        if (!d_.arquivos.existe(lNomeArquivoReq)) return resultado;
        apagaPedido();
        if (c) return despacha(*c);
        registra(QStringLiteral(" - LeRequisicaoAutomacao: Comando:") + lComandoReq +
                 QStringLiteral(", não reconhecido pela versão atual."));
        resultado = AutomacaoComandoNaoReconhecido();
    } catch (const Erro& e) {
        falhaRequisicao(e);
    }
    return resultado;
}

void RequisicoesAutomacao::apagaPedido() {
    try {
        d_.arquivos.apaga(lNomeArquivoReq, false);
    } catch (const Erro&) {
        naoApagaveis_.insert(lNomeArquivoReq.mid(pasta().size()));
        throw;
    }
}

void RequisicoesAutomacao::falhaRequisicao(const Erro& e) {
    registra(QStringLiteral(" - Erro LeRequisicaoAutomacao: Erro ao acessar o arquivo ") + lNomeArquivoReq +
             QStringLiteral(". - ") + e.descricao());
}

QString RequisicoesAutomacao::despacha(const Comando& c) {
    switch (c.acao) {
    case Acao::Ativada: return AutomacaoAtivada();
    case Acao::LeituraEncerrante: return AutomacaoLeituraEncerrante();
    case Acao::Pausa: return AutomacaoPausa();
    case Acao::Fecha: return AutomacaoFecha();
    default: break;
    }
    const QString resultado = comandoCartao(c);
    CriaArquivoRespAutomacao(QStringLiteral("OK"), resultado);
    return resultado;
}

QString RequisicoesAutomacao::comandoCartao(const Comando& c) {
    const QString cartao = SeparaCampo(lParametroReq, 1);
    switch (c.acao) {
    case Acao::NumeroCartao: return d_.ciclo().AutoPedeAbastecimentoEmAndamentoIdentFid();
    case Acao::IncluiCartao: return d_.cartoes().AutoIncluiCartaoIdentFid(cartao);
    case Acao::ExcluiCartao: return d_.cartoes().AutoExcluiCartaoIdentFid(cartao, SeparaCampo(lParametroReq, 2));
    default: return d_.cartoes().AutoPesquisaPosicaoCartaoIdentFid(cartao, false);
    }
}

// During a pause a resume is looked for first, whatever its place in the
// folder; every other request is told of the pause once and kept for after it.
void RequisicoesAutomacao::atendeEmPausa(const QStringList& pedidos) {
    QString aResponder, comandoAResponder;
    for (const QString& nome : pedidos) {
        escolhe(nome);
        const QString comando = le(QStringLiteral("Comando"));
        if (comando == kTiraPausa) return retomaAutomacao();
        if (aResponder.isEmpty() && respondidosNaPausa_.count(nome) == 0) aResponder = nome, comandoAResponder = comando;
    }
    if (aResponder.isEmpty()) return;
    escolhe(aResponder);
    respondidosNaPausa_.insert(aResponder);
    respondeEmPausa(comandoAResponder);
}

void RequisicoesAutomacao::respondeEmPausa(const QString& comando) {
    lComandoReq = comando;
    lOrigemReq = le(QStringLiteral("Origem"));
    lParametroReq = le(QStringLiteral("Parametro"));
    CriaArquivoRespAutomacao(QStringLiteral("AUTOMACAO EM PAUSA"), {});
}

// A resume that cannot be deleted still resumes (it is passed over from then
// on); a device that cannot be opened now is opened again by the cycle's ticks.
void RequisicoesAutomacao::retomaAutomacao() {
    try {
        lComandoReq = kTiraPausa;
        lOrigemReq = le(QStringLiteral("Origem"));
        lParametroReq = le(QStringLiteral("Parametro"));
        try {
            apagaPedido();
        } catch (const Erro& e) {
            falhaRequisicao(e);
        }
        d_.ciclo().lAutomacaoFlag = 1;
        // Over the vendor library the serial control is not the link.
        if (!d_.configuracao.lUsarDllCompany && d_.enlace.ReabreSerialPerdida()) d_.enlace.serial().descartaEntrada();
        d_.lAutomacaoPausada = false;
        respondidosNaPausa_.clear();
        d_.timerAutomacao.setHabilitado(true);
        CriaArquivoRespAutomacao(QStringLiteral("OK"), {});
    } catch (const Erro& e) {
        falhaRequisicao(e);
    }
}

} // namespace talvero
