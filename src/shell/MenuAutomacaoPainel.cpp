// The status panel: fed by the cycle and the link, shown once a second.
#include "shell/MenuAutomacao.h"

#include "platform/DicaIcone.h"
#include "platform/Erro.h"
#include "store/Abastecimento.h"
#include "store/AbastecimentoRejeitado.h"

namespace talvero {

namespace {

// Other programs change the same tables (talvero-dados reprocessar empties the
// quarantine): the counts are read again now and then, never at every refresh.
constexpr std::int64_t kReleituraMs = 5 * 60'000;
constexpr std::int64_t kNovaTentativaMs = 60'000;

PainelEstado::Abastecido abastecido(const AbastecimentoEmTrabalho& a) {
    return {a.lDataAbastecimento, a.lHoraAbastecimento, a.lBico, a.lQuantidadeLitros,
            a.lValorTotal};
}

PainelEstado::Abastecido abastecido(const Abastecimento& a) {
    return {a.Data, a.Hora, a.Bico, a.Quantidade, a.ValorTotal};
}

std::int64_t horaDoCalendario(const QDateTime& momento) {
    return momento.date().toJulianDay() * 24 + momento.time().hour();
}

} // namespace

void MenuAutomacao::ligaPainel(CicloAutomacao& c) {
    c.aoGravar = [this](const AbastecimentoEmTrabalho& a) {
        painel_.gravou(abastecido(a), plataforma.relogio.agora().date());
    };
    c.aoPorEmQuarentena = [this] { painel_.ficouEmQuarentena(); };
}

void MenuAutomacao::atualizaPainel() {
    // Released at shutdown, the database objects must not come back for the panel.
    if (descarregada_) {
        TimerPainel->setHabilitado(false);
        return;
    }
    const QDateTime agora = plataforma.relogio.agora();
    const std::int64_t agoraMs = plataforma.relogio.monotonicoMs();
    if (agoraMs >= proximaLeituraPainelMs_) leContagensPainel(agora.date(), agoraMs);
    TextosPainel textos =
        painel_.textos({agora, agoraMs, transportes.ultimaRecepcao(), config.lUsarDllCompany,
                        config.lPortaComunicacao, lAutomacaoPausada,
                        dados.conexao().opcoes().destino(), plataforma.caminhos.raiz(),
                        requisicoes_ ? requisicoes_->recusadosNaPasta() : 0});
    const bool naTela = janela.mostraPainel(textos);
    const bool outroResumo = textos.resumo != textosPainel_.resumo;
    textosPainel_ = std::move(textos);
    if (outroResumo) IconeBandeja(1);
    if (!naTela) registraPainelNaHora(agora);
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
