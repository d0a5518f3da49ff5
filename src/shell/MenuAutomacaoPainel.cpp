// The status panel: fed by the cycle and the link, shown once a second.
#include "shell/MenuAutomacao.h"

#include "platform/DicaIcone.h"
#include "platform/Erro.h"
#include "store/Abastecimento.h"
#include "store/AbastecimentoRejeitado.h"
#include "store/ConferenciaEncerrantes.h"
#include "store/ReplicacaoCentral.h"
#include "support/Instalacao.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <utility>

namespace talvero {

namespace {

// Other programs change the same tables (talvero-dados reprocessar empties the
// quarantine): the counts are read again now and then, never at every refresh.
constexpr std::int64_t kReleituraMs = 5 * 60'000;
constexpr std::int64_t kNovaTentativaMs = 60'000;
constexpr std::int64_t kSituacaoMs = 30'000;

PainelEstado::Abastecido abastecido(const AbastecimentoEmTrabalho& a) {
    return {a.lDataAbastecimento, a.lHoraAbastecimento, a.lBico,     a.lQuantidadeLitros,
            a.lValorTotal,        !a.lSemEncerrante,    std::nullopt};
}

PainelEstado::Abastecido abastecido(const Abastecimento& a) {
    return {a.Data,      a.Hora, a.Bico, a.Quantidade, a.ValorTotal, a.Encerrante != Moeda(),
            std::nullopt};
}

// Read from the stored fuelings, so a fueling stored late out of quarantine
// closes its gap here too.
PainelEstado::Encerrantes encerrantesDoDia(Conexao& conexao, std::int16_t empresa,
                                           const QDate& dia) {
    const encerrantes::Relatorio r = encerrantes::calcula(conexao, empresa, dia, dia);
    PainelEstado::Encerrantes e;
    e.lacunas = int(r.lacunas.size());
    e.litros = r.litrosLacunas();
    for (const encerrantes::LinhaBico& b : r.bicos)
        e.comEncerrantes = e.comEncerrantes || b.comEncerrantes;
    return e;
}

std::optional<PainelEstado::WalCentral> walCentral(Conexao& conexao) {
    const auto slot = central::slotMaisCheio(conexao);
    if (!slot) return std::nullopt;
    return PainelEstado::WalCentral{slot->retidoBytes, slot->limiteBytes};
}

std::int64_t horaDoCalendario(const QDateTime& momento) {
    return momento.date().toJulianDay() * 24 + momento.time().hour();
}

} // namespace

void MenuAutomacao::registraGravado(const AbastecimentoEmTrabalho& a) {
    PainelEstado::Abastecido gravado = abastecido(a);
    if (const auto& lacuna = gravacao_->lacuna()) gravado.lacuna = lacuna->litros;
    painel_.gravou(gravado, plataforma.relogio.agora().date());
}

void MenuAutomacao::registraQuarentena() {
    painel_.ficouEmQuarentena();
}

void MenuAutomacao::atualizaPainel() {
    // Released at shutdown, the database objects must not come back for the panel.
    if (descarregada_) {
        TimerPainel->setHabilitado(false);
        return;
    }
    const QDateTime agora = plataforma.relogio.agora();
    const std::int64_t agoraMs = plataforma.relogio.monotonicoMs();
    const bool funcionando = falhaPartida_.isEmpty();
    if (funcionando && agoraMs >= proximaLeituraPainelMs_) leContagensPainel(agora.date(), agoraMs);
    const PainelEstado::Momento m = momentoDoPainel(agora, agoraMs);
    TextosPainel textos = painel_.textos(m);
    const bool naTela = janela.mostraPainel(textos);
    const bool outroResumo = textos.resumo != textosPainel_.resumo;
    textosPainel_ = std::move(textos);
    if (outroResumo) IconeBandeja(1);
    if (!funcionando) return;
    if (!naTela) registraPainelNaHora(agora);
    acompanha(m);
    gravaSituacao(m);
}

// A start-up that failed shows its cause and touches no database.
PainelEstado::Momento MenuAutomacao::momentoDoPainel(const QDateTime& agora, std::int64_t agoraMs) {
    PainelEstado::Momento m;
    m.agora = agora;
    m.agoraMs = agoraMs;
    m.recepcao = transportes.ultimaRecepcao();
    m.via = porta_ ? porta_->nome() : QString();
    m.porta = config.lPortaComunicacao;
    m.esperas = ModoDasEsperas(config);
    m.descargaRapida = config.lDescargaRapida;
    m.pausada = ciclo_ && ciclo_->pausada();
    m.raiz = plataforma.caminhos.raiz();
    m.recusadosNaPasta = requisicoes_ ? requisicoes_->recusadosNaPasta() : 0;
    m.enlacePerdido = enlace.perdida();
    m.falhaPartida = falhaPartida_;
    if (!falhaPartida_.isEmpty()) return m;
    Conexao& conexao = dados.conexao();
    m.banco = conexao.opcoes().destino();
    m.bancoPerdido = conexao.perdida();
    return m;
}

void MenuAutomacao::acompanha(const PainelEstado::Momento& m) {
    Acompanhamento::Estado e;
    e.enlace = painel_.enlace(m);
    e.ultimaResposta = m.recepcao.quando;
    e.motivoPerda = enlace.motivoPerda();
    e.bancoPerdido = m.bancoPerdido;
    e.motivoBanco = m.bancoPerdido ? dados.conexao().ultimoErro() : QString();
    e.pausada = m.pausada;
    e.quarentena = painel_.emQuarentena();
    e.lacunas = painel_.encerrantesHoje().lacunas;
    e.litrosLacunas = painel_.encerrantesHoje().litros;
    acompanhamento.observa(e);
}

// Rewritten at once when the state changes, else every 30 s with the heartbeat:
// a monitoring system reads it, and a heartbeat that stops means the agent did.
void MenuAutomacao::gravaSituacao(const PainelEstado::Momento& m) {
    const QStringList estado = painel_.situacao(m);
    QStringList semHorario =
        estado.filter(QRegularExpression(QStringLiteral("^(?!ultima_resposta=)")));
    const QByteArray comparavel = semHorario.join(QLatin1Char('\n')).toUtf8();
    if (comparavel == situacaoGravada_ && m.agoraMs < proximaSituacaoMs_) return;
    const QStringList cabeca{QStringLiteral("versao=") + instalacao::kVersao,
                             QStringLiteral("pid=") +
                                 QString::number(QCoreApplication::applicationPid()),
                             QStringLiteral("inicio=") + PainelEstado::Iso(inicio_),
                             QStringLiteral("batimento=") + PainelEstado::Iso(m.agora),
                             QStringLiteral("raiz=") + m.raiz};
    try {
        plataforma.arquivos.substitui(
            instalacao::kArquivoSituacao,
            ((cabeca + estado).join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
        situacaoGravada_ = comparavel;
        proximaSituacaoMs_ = m.agoraMs + kSituacaoMs;
        falhaSituacao_ = false;
    } catch (const Erro& e) {
        if (!std::exchange(falhaSituacao_, true))
            registro.registra(QStringLiteral(" - Erro ao gravar a situação em ") +
                              instalacao::kArquivoSituacao + QStringLiteral(": ") + e.descricao());
    }
}

// Within a storing the connection is the cycle's: the counts wait for the next refresh.
void MenuAutomacao::leContagensPainel(const QDate& hoje, std::int64_t agoraMs) {
    Conexao& conexao = dados.conexao();
    // A reconnection may wait seconds for the server: the cycle's to try, not the panel's.
    if (conexao.emTransacao() || conexao.perdida()) return;
    const std::int16_t empresa = config.lCodigoEmpresa;
    try {
        Abastecimento ultimo(conexao);
        std::optional<PainelEstado::Abastecido> lido;
        if (ultimo.LocalizaUltimo(empresa)) lido = abastecido(ultimo);
        painel_.leContagens(hoje, Abastecimento::ContaNoDia(conexao, empresa, hoje), lido,
                            AbastecimentoRejeitado::ContaAguardando(conexao, empresa));
        painel_.leEncerrantes(hoje, encerrantesDoDia(conexao, empresa, hoje));
        if (conexao.postgres()) painel_.leWalCentral(walCentral(conexao));
        proximaLeituraPainelMs_ = agoraMs + kReleituraMs;
    } catch (const Erro&) {
        proximaLeituraPainelMs_ = agoraMs + kNovaTentativaMs;
    }
}

// Each hour's log file begins its own story with the panel's line; the first
// hour has the start-up's lines.
void MenuAutomacao::registraPainelNaHora(const QDateTime& agora) {
    const std::int64_t hora = horaDoCalendario(agora);
    if (horaPainelRegistrada_ < 0) horaPainelRegistrada_ = hora;
    if (hora == horaPainelRegistrada_) return;
    horaPainelRegistrada_ = hora;
    registro.registra(QStringLiteral(" - Situação: ") + textosPainel_.linhaResumo());
}

// The title first, then as many of the summary's items as the platform's tip shows whole.
QString MenuAutomacao::dicaIcone() const {
    QString dica = janela.titulo();
    TextosPainel cabe;
    for (const QString& item : textosPainel_.resumo) {
        cabe.resumo << item;
        const QString maior = janela.titulo() + QLatin1Char('\n') + cabe.linhaResumo();
        if (DicaIcone(maior) != maior) break;
        dica = maior;
    }
    return dica;
}

} // namespace talvero
