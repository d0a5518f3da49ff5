#include "shell/PainelEstado.h"

#include "support/RegistroEventos.h"

namespace talvero {

namespace {

const QString kTraco = QStringLiteral(" — ");

// The time alone on the day it happened; with its date on any other.
QString horario(const QDate& data, const QTime& hora, const QDate& hoje) {
    const QString texto = RegistroEventos::HoraDoDia(hora);
    return data == hoje ? texto : RegistroEventos::DataPadrao(data) + QLatin1Char(' ') + texto;
}

QString comVirgula(Moeda valor, int casas) {
    return valor.textoPonto(casas).replace(QLatin1Char('.'), QLatin1Char(','));
}

QString transporte(const PainelEstado::Momento& m) {
    const QString nome = m.biblioteca ? QStringLiteral("Biblioteca do fabricante")
                                      : QStringLiteral("Controle serial");
    return m.porta.isEmpty() ? nome : nome + QLatin1Char(' ') + m.porta;
}

QString comandoRejeitados(const QString& raiz) {
    if (raiz.isEmpty()) return QStringLiteral("talvero-dados rejeitados");
    const QString pasta =
        raiz.contains(QLatin1Char(' ')) ? QLatin1Char('"') + raiz + QLatin1Char('"') : raiz;
    return QStringLiteral("talvero-dados --root ") + pasta + QStringLiteral(" rejeitados");
}

QString estado(const PainelEstado::Momento& m, bool silencio) {
    if (m.pausada) return QStringLiteral("Pausada");
    if (silencio) return QStringLiteral("Sem resposta");
    if (m.recepcao.quando.isNull()) return QStringLiteral("Aguardando resposta");
    return QStringLiteral("OK");
}

} // namespace

void PainelEstado::leContagens(const QDate& dia, int gravadosNoDia,
                               const std::optional<Abastecido>& ultimo, int emQuarentena) {
    dia_ = dia;
    gravadosHoje_ = gravadosNoDia;
    ultimo_ = ultimo;
    emQuarentena_ = emQuarentena;
}

void PainelEstado::gravou(const Abastecido& abastecido, const QDate& hoje) {
    acertaDia(hoje);
    if (abastecido.data == dia_) ++gravadosHoje_;
    ultimo_ = abastecido;
}

void PainelEstado::acertaDia(const QDate& hoje) {
    if (hoje == dia_) return;
    dia_ = hoje;
    gravadosHoje_ = 0;
}

TextosPainel PainelEstado::textos(const Momento& m) {
    acertaDia(m.agora.date());
    if (inicio_.quando.isNull()) inicio_ = {m.agora, m.agoraMs};
    const bool silencio = m.agoraMs - desde(m).ms >= kSilencioMs;
    TextosPainel t;
    t.comunicacao = transporte(m) + kTraco + comunicacao(m, silencio);
    // Paused, the cycle leaves the line alone: its silence is no fault.
    t.comunicacaoEmAlerta = silencio && !m.pausada;
    t.abastecimentos = abastecimentos();
    t.quarentena = quarentena(m.raiz);
    t.quarentenaEmAlerta = emQuarentena_ > 0;
    t.pedidos = m.recusadosNaPasta == 0 ? QStringLiteral("nenhum arquivo recusado") : recusados(m.recusadosNaPasta);
    t.pedidosEmAlerta = m.recusadosNaPasta > 0;
    t.automacao = m.pausada ? QStringLiteral("pausada") : QStringLiteral("em funcionamento");
    t.banco = m.banco;
    t.resumo = resumo(m, silencio);
    return t;
}

// Before the first answer, silence counts from the panel's start.
const UltimaRecepcao& PainelEstado::desde(const Momento& m) const {
    return m.recepcao.quando.isNull() ? inicio_ : m.recepcao;
}

QString PainelEstado::comunicacao(const Momento& m, bool silencio) const {
    const QString quando = horario(desde(m).quando.date(), desde(m).quando.time(), dia_);
    if (silencio) return QStringLiteral("sem resposta desde ") + quando;
    if (m.recepcao.quando.isNull()) return QStringLiteral("aguardando a primeira resposta");
    return QStringLiteral("respondendo, última resposta ") + quando;
}

QString PainelEstado::abastecimentos() const {
    QString texto = gravadosHoje_ == 0
                        ? QStringLiteral("nenhum gravado hoje")
                        : QString::number(gravadosHoje_) + (gravadosHoje_ == 1
                                                                ? QStringLiteral(" gravado hoje")
                                                                : QStringLiteral(" gravados hoje"));
    if (!ultimo_) return texto;
    const Abastecido& a = *ultimo_;
    return texto + kTraco + QStringLiteral("último: ") + horario(a.data, a.hora, dia_) +
           QStringLiteral(", bico ") + QString::number(a.bico) + QStringLiteral(", ") +
           comVirgula(a.litros, 3) + QStringLiteral(" L, R$ ") + comVirgula(a.valor, 2);
}

QString PainelEstado::quarentena(const QString& raiz) const {
    if (emQuarentena_ == 0) return QStringLiteral("nenhuma resposta");
    const QString quantas = emQuarentena_ == 1
                                ? QStringLiteral("1 resposta")
                                : QString::number(emQuarentena_) + QStringLiteral(" respostas");
    return quantas + kTraco + QStringLiteral("para listar: ") + comandoRejeitados(raiz);
}

QString PainelEstado::recusados(int n) {
    return n == 1 ? QStringLiteral("1 arquivo recusado na pasta")
                  : QString::number(n) + QStringLiteral(" arquivos recusados na pasta");
}

QStringList PainelEstado::resumo(const Momento& m, bool silencio) const {
    QStringList itens{estado(m, silencio),
                      QString::number(gravadosHoje_) + QStringLiteral(" hoje")};
    if (emQuarentena_ > 0)
        itens << QString::number(emQuarentena_) + QStringLiteral(" em quarentena");
    if (m.recusadosNaPasta > 0) itens << recusados(m.recusadosNaPasta);
    return itens;
}

} // namespace talvero
