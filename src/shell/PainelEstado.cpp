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
    TextosPainel t;
    bool emSilencio = false;
    t.comunicacao = comunicacao(m, emSilencio);
    // Paused, the cycle leaves the line alone: its silence is no fault.
    t.comunicacaoEmAlerta = emSilencio && !m.pausada;
    t.abastecimentos = abastecimentos();
    t.quarentena = quarentena(m.raiz);
    t.quarentenaEmAlerta = emQuarentena_ > 0;
    t.automacao = m.pausada ? QStringLiteral("pausada") : QStringLiteral("em funcionamento");
    t.banco = m.banco;
    t.resumo = resumo(m, emSilencio);
    return t;
}

QString PainelEstado::comunicacao(const Momento& m, bool& emSilencio) const {
    const bool respondeu = !m.recepcao.quando.isNull();
    const UltimaRecepcao& desde = respondeu ? m.recepcao : inicio_;
    emSilencio = m.agoraMs - desde.ms >= kSilencioMs;
    const QString quando = horario(desde.quando.date(), desde.quando.time(), dia_);
    if (emSilencio) return transporte(m) + kTraco + QStringLiteral("sem resposta desde ") + quando;
    if (!respondeu)
        return transporte(m) + kTraco + QStringLiteral("aguardando a primeira resposta");
    return transporte(m) + kTraco + QStringLiteral("respondendo, última resposta ") + quando;
}

QString PainelEstado::abastecimentos() const {
    QString texto = gravadosHoje_ == 0 ? QStringLiteral("nenhum gravado hoje")
                    : gravadosHoje_ == 1
                        ? QStringLiteral("1 gravado hoje")
                        : QString::number(gravadosHoje_) + QStringLiteral(" gravados hoje");
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

QStringList PainelEstado::resumo(const Momento& m, bool emSilencio) const {
    QStringList partes{m.pausada                    ? QStringLiteral("Pausada")
                       : emSilencio                 ? QStringLiteral("Sem resposta")
                       : m.recepcao.quando.isNull() ? QStringLiteral("Aguardando resposta")
                                                    : QStringLiteral("OK"),
                       QString::number(gravadosHoje_) + QStringLiteral(" hoje")};
    if (emQuarentena_ > 0)
        partes << QString::number(emQuarentena_) + QStringLiteral(" em quarentena");
    return partes;
}

} // namespace talvero
