#include "store/GravacaoAbastecimento.h"

#include "platform/Conversoes.h"
#include "platform/Erro.h"

#include <limits>

namespace talvero {

namespace {

constexpr std::int16_t kNumeroParametro = 2;
constexpr int kPassoSegundos = 5;
constexpr int kUltimoSegundo = 55;
constexpr std::int64_t kMilhao = 1000000;
constexpr int kMaximoMilhoes = 9;

QString numero(qint64 n) {
    return QString::number(n);
}

// The duration field counts as missing when it holds only blanks.
bool emBranco(const QString& texto) {
    for (QChar c : texto)
        if (c != QLatin1Char(' ')) return false;
    return true;
}

bool ocupado(const QList<Abastecimento::NoMinuto>& noMinuto, const QTime& hora) {
    for (const auto& r : noMinuto)
        if (r.Hora == hora) return true;
    return false;
}

} // namespace

GravacaoAbastecimento::GravacaoAbastecimento(Dependencias dependencias)
    : d_(std::move(dependencias)) {}

GravacaoAbastecimento::Resultado
GravacaoAbastecimento::AutoAtualTabeAbastecimento(AbastecimentoEmTrabalho& a,
                                                  const QString& lTimerAutoString) {
    semHorarioLivre_ = false;
    repeticao_ = false;
    ultimoErro_.reset();
    lacuna_.reset();
    try {
        if (grava(a, lTimerAutoString.left(kTamanhoRegistroAutomacao)))
            return repeticao_ ? Resultado::JaGravado : Resultado::Gravado;
    } catch (const Erro& e) {
        ultimoErro_ = e;
        registra(QStringLiteral(" - ERRO AutoAtualTabeAbastecimento: ") + e.comNumero());
        if (d_.habilitaTimerAutomacao) d_.habilitaTimerAutomacao();
        if (dynamic_cast<const ErroBanco*>(&e)) return Resultado::FalhaDoBanco;
    }
    if (semHorarioLivre_) return Resultado::SemHorarioLivre;
    return ultimoErro_ ? Resultado::Recusado : Resultado::FalhaDoBanco;
}

// A delivery whose raw answer is already stored in that minute is the same
// fueling again (an acknowledgement lost, the agent stopped before it), wherever a
// taken minute had put it; any other fueling in a taken minute gets the next
// free time instead of being dropped. Blank duration and equal total only tell a
// repeat of a record stored without its raw answer (by another program): two
// different fuelings can share them.
bool GravacaoAbastecimento::grava(AbastecimentoEmTrabalho& a, const QString& registroAutomacao) {
    valorParametro_ = valorParametro();
    const std::int16_t empresa = d_.configuracao.lCodigoEmpresa;
    Abastecimento& r = d_.abastecimento;
    const auto noMinuto =
        r.RegistrosNoMinuto(empresa, a.lDataAbastecimento, a.lHoraAbastecimento, a.lBico);
    for (const auto& gravado : noMinuto)
        if (gravado.RegistroAutomacao == registroAutomacao)
            return confirmaRepeticao(a, gravado.Hora);

    if (!r.Localiza(empresa, a.lDataAbastecimento, a.lHoraAbastecimento, a.lBico)) {
        if (inclui(a, registroAutomacao) == Inclusao::Incluido) return true;
        registra(descreve(QStringLiteral(" - Abastecimento Não Foi Incluído: Data="),
                          a.lDataAbastecimento, a.lHoraAbastecimento, a.lBico, a));
        return false;
    }
    if (r.RegistroAutomacao.trimmed().isEmpty() && emBranco(a.lTempoAbastecimento) &&
        r.ValorTotal == a.lValorTotal)
        return confirmaRepeticao(a, a.lHoraAbastecimento);
    return incluiEmHorarioLivre(a, registroAutomacao, noMinuto);
}

bool GravacaoAbastecimento::confirmaRepeticao(const AbastecimentoEmTrabalho& a, const QTime& hora) {
    Abastecimento& r = d_.abastecimento;
    const std::int16_t empresa = d_.configuracao.lCodigoEmpresa;
    if (r.Localiza(empresa, a.lDataAbastecimento, hora, a.lBico)) {
        registra(descreve(QStringLiteral(" - (Abastecimento Não Foi Gravado): Data="), r.Data,
                          r.Hora, r.Bico, a));
        repeticao_ = r.Altera(empresa, r.Data, r.Hora, r.Bico);
        if (repeticao_) return true;
    }
    registra(
        QStringLiteral(" AutoAtualTabeAbastecimento: - Não foi possível alterar o abastecimento!"));
    return false;
}

bool GravacaoAbastecimento::incluiEmHorarioLivre(AbastecimentoEmTrabalho& a,
                                                 const QString& registroAutomacao,
                                                 const QList<Abastecimento::NoMinuto>& noMinuto) {
    const QTime minuto = a.lHoraAbastecimento;
    for (int segundo = kPassoSegundos; segundo <= kUltimoSegundo; segundo += kPassoSegundos) {
        const QTime hora(minuto.hour(), minuto.minute(), segundo);
        if (ocupado(noMinuto, hora)) continue;
        a.lHoraAbastecimento = hora;
        if (inclui(a, registroAutomacao) == Inclusao::Incluido) {
            registra(
                QStringLiteral(
                    " - AutoAtualTabeAbastecimento: horário já ocupado por outro abastecimento, "
                    "gravado em Hora=") +
                RegistroEventos::HoraDoDia(hora) + QStringLiteral(" - Bico=") + numero(a.lBico));
            return true;
        }
        registra(QStringLiteral(
            " AutoAtualTabeAbastecimento: - Não foi possível incluir o abastecimento!"));
    }
    registra(
        descreve(QStringLiteral(" AutoAtualTabeAbastecimento: - Nenhum horário livre no minuto, "
                                "abastecimento não gravado: Data="),
                 a.lDataAbastecimento, minuto, a.lBico, a));
    semHorarioLivre_ = true;
    ultimoErro_ =
        Erro(QStringLiteral("Nenhum horário livre no minuto para o bico ") + numero(a.lBico),
             erros::ChaveDuplicada);
    return false;
}

// The fueling and its totalizer go in together, so that a stop between them
// cannot leave one without the other; but a totalizer that cannot be updated
// never holds the fueling back.
GravacaoAbastecimento::Inclusao GravacaoAbastecimento::inclui(const AbastecimentoEmTrabalho& a,
                                                              const QString& registroAutomacao) {
    preenche(a, registroAutomacao);
    bool incluido = false;
    {
        Transacao transacao(d_.conexao);
        if (!d_.abastecimento.Inclui()) return Inclusao::ChaveTomada;
        if (atualizaEncerrante(a)) {
            transacao.confirma();
            incluido = true;
        }
    }
    if (!incluido && !d_.abastecimento.Inclui()) return Inclusao::ChaveTomada;
    confereEncerrante(a);
    return Inclusao::Incluido;
}

// Said the moment the fueling after the gap is stored. One stored late, out of
// quarantine, fills a gap instead: the report sees it from the stored fuelings.
// A failing check never holds back a fueling that is stored.
void GravacaoAbastecimento::confereEncerrante(const AbastecimentoEmTrabalho& a) {
    if (a.lEncerranteSuperado) return;
    const Abastecimento& r = d_.abastecimento;
    try {
        lacuna_ = encerrantes::lacunaAoGravar(
            d_.conexao, r.Empresa, r.Bico,
            {r.Data, r.Hora, r.Produto, r.Quantidade, r.Encerrante, r.EncerranteInicial});
    } catch (const Erro& e) {
        registra(QStringLiteral(" - ERRO ao conferir o encerrante do bico ") + numero(r.Bico) +
                 QStringLiteral(": ") + e.comNumero());
        return;
    }
    if (!lacuna_) return;
    const encerrantes::Lacuna& l = *lacuna_;
    const bool mesmoDia = l.anterior.data == l.posterior.data;
    const auto quando = [mesmoDia](const encerrantes::Leitura& x) {
        const QString hora = x.hora.toString(QStringLiteral("HH:mm"));
        return mesmoDia ? hora : x.data.toString(QStringLiteral("dd/MM ")) + hora;
    };
    registra(QStringLiteral(" - Lacuna de encerrante no bico %1: %2 L entre %3 e %4")
                 .arg(numero(l.bico), l.litros.texto(), quando(l.anterior), quando(l.posterior)));
}

void GravacaoAbastecimento::preenche(const AbastecimentoEmTrabalho& a,
                                     const QString& registroAutomacao) {
    const Configuracao& c = d_.configuracao;
    Abastecimento& r = d_.abastecimento;
    r.Empresa = c.lCodigoEmpresa;
    r.Data = a.lDataAbastecimento;
    r.Hora = a.lHoraAbastecimento;
    r.TempoAbastecimento = a.lTempoAbastecimento;
    r.Bico = a.lBico;
    r.Produto = a.lProduto;
    r.PrecoUnitario = a.lPrecoUnitario;
    r.Quantidade = a.lQuantidadeLitros;
    r.ValorTotal = a.lValorTotal;
    r.Funcionario = 0;
    r.Turno = 0;
    r.NumeroCupom = 0;
    r.PlacaVeiculo.clear();
    r.Encerrante = a.lAutomacaoEncerrante;
    r.RegistroAutomacao = registroAutomacao;
    r.Observacao.clear();
    r.Motorista.clear();
    r.ValorDesconto = Moeda();
    r.EncerranteInicial = a.lAutomacaoEncerrante - a.lQuantidadeLitros;
    r.Complemento = a.lComplementoBico;
    r.Cartao = 0;
    r.ValorParametro = valorParametro_;
    // A card the register does not hold leaves the fueling without one; it is stored all the same.
    if (c.lUsarIdentFid && !a.lCartaoIdentFid.isEmpty() &&
        d_.cartaoIdentFid.Localiza(c.lCodigoEmpresa, a.lCartaoIdentFid))
        r.Cartao = d_.cartaoIdentFid.Codigo;
}

std::int16_t GravacaoAbastecimento::valorParametro() {
    if (!d_.parametroEmpresa.Localiza(d_.configuracao.gCodigoEmpresa, kNumeroParametro)) return 1;
    const std::int32_t v = ConverteNumeroEstrito(d_.parametroEmpresa.Valor);
    if (v < std::numeric_limits<std::int16_t>::min() ||
        v > std::numeric_limits<std::int16_t>::max())
        throw Erro(QStringLiteral("Estouro"), erros::Estouro);
    return static_cast<std::int16_t>(v);
}

// False only when a data-library call failed.
bool GravacaoAbastecimento::atualizaEncerrante(const AbastecimentoEmTrabalho& a) {
    const std::int16_t empresa = d_.configuracao.lCodigoEmpresa;
    EncerranteAtual& atual = d_.encerranteAtual;
    try {
        if (a.lSemEncerrante || a.lEncerranteSuperado) {
            registra((a.lSemEncerrante
                          ? QStringLiteral(
                                " - AutoAtualTabeEncerranteAtual: abastecimento sem encerrante")
                          : QStringLiteral(
                                " - AutoAtualTabeEncerranteAtual: abastecimento anterior a outro "
                                "já gravado no bico")) +
                     QStringLiteral(", Encerrante Atual não alterado. Bico=") + numero(a.lBico));
            return true;
        }
        if (!atual.Localiza(empresa, a.lBico)) {
            registra(QStringLiteral(" - ERRO AutoAtualTabeEncerranteAtual: bico não cadastrado=") +
                     numero(a.lBico));
            return true;
        }
        registra(QStringLiteral(" - AutoAtualTabeEncerranteAtual: Teste 1 lAutomacaoEncerrante=") +
                 a.lAutomacaoEncerrante.texto() + QStringLiteral(" EncerranteAtual.Encerrante=") +
                 atual.Encerrante.texto());
        Moeda lDiferencaMilhao = a.lAutomacaoEncerrante - atual.Encerrante;
        registra(QStringLiteral(" - AutoAtualTabeEncerranteAtual: Teste 2 lDiferencaMilhao=") +
                 lDiferencaMilhao.texto());
        lDiferencaMilhao = AjusteMilhao(lDiferencaMilhao);
        atual.Encerrante = a.lAutomacaoEncerrante + lDiferencaMilhao;
        if (!atual.Altera(empresa, a.lBico))
            registra(QStringLiteral(" - ERRO AutoAtualTabeEncerranteAtual: Não foi possível "
                                    "alterar Encerrante Atual do bico=") +
                     numero(a.lBico));
        return true;
    } catch (const Erro& e) {
        registra(QStringLiteral(" - ERRO AutoAtualTabeEncerranteAtual: ") + e.comNumero());
        if (d_.habilitaTimerAutomacao) d_.habilitaTimerAutomacao();
        return false;
    }
}

// Every drop is taken for a rollover; a drop beyond nine millions is no rollover
// that can be told apart, and the adjustment then leaves the stored value as it was.
Moeda GravacaoAbastecimento::AjusteMilhao(Moeda diferenca) {
    if (diferenca >= Moeda()) return Moeda();
    const Moeda queda = diferenca.abs();
    for (int milhoes = 1; milhoes <= kMaximoMilhoes; ++milhoes) {
        const Moeda ajuste = Moeda::deInteiro(milhoes * kMilhao);
        if (ajuste >= queda) return ajuste;
    }
    return queda;
}

QString GravacaoAbastecimento::descreve(const QString& rotulo, const QDate& data, const QTime& hora,
                                        std::int16_t bico, const AbastecimentoEmTrabalho& a) const {
    return rotulo + RegistroEventos::DataPadrao(data) + QStringLiteral(" - Hora=") +
           RegistroEventos::HoraDoDia(hora) + QStringLiteral(" - Bico=") + numero(bico) +
           QStringLiteral(" - Valor Total=") + a.lValorTotal.texto() +
           QStringLiteral(" - Tempo de Abastecimento=") + a.lTempoAbastecimento;
}

} // namespace talvero
