#include "shell/PainelEstado.h"

#include "support/RegistroEventos.h"

#include <tuple>
#include <utility>

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
    const QString nome = m.via.left(1).toUpper() + m.via.mid(1);
    if (nome.isEmpty() || m.porta.isEmpty()) return nome + m.porta;
    return nome + QLatin1Char(' ') + m.porta;
}

QString comandoDados(const QString& raiz, const char* comando) {
    const QString nome = QLatin1String(comando);
    if (raiz.isEmpty()) return QStringLiteral("talvero-dados ") + nome;
    const QString pasta =
        raiz.contains(QLatin1Char(' ')) ? QLatin1Char('"') + raiz + QLatin1Char('"') : raiz;
    return QStringLiteral("talvero-dados --root ") + pasta + QLatin1Char(' ') + nome;
}

using Enlace = Acompanhamento::Enlace;

QString estado(const PainelEstado::Momento& m, Enlace enlace) {
    if (!m.falhaPartida.isEmpty()) return QStringLiteral("Parada");
    if (m.bancoPerdido) return QStringLiteral("Sem banco de dados");
    if (m.pausada) return QStringLiteral("Pausada");
    switch (enlace) {
    case Enlace::Perdido:
        return QStringLiteral("Sem comunicação");
    case Enlace::SemResposta:
        return QStringLiteral("Sem resposta");
    case Enlace::Aguardando:
        return QStringLiteral("Aguardando resposta");
    case Enlace::Respondendo:
        break;
    }
    return QStringLiteral("OK");
}

// The header and the panel's line on the automation: "em funcionamento" only
// while the concentrator answers and nothing stops the agent.
std::pair<QString, QString> situacaoDaAutomacao(const PainelEstado::Momento& m, Enlace enlace) {
    const QString bombas = QStringLiteral("Automação das bombas ");
    if (!m.falhaPartida.isEmpty())
        return {bombas + QStringLiteral("parada: ") + m.falhaPartida, QStringLiteral("parada")};
    // Nothing is stored, so nothing is acknowledged: the fuelings wait at the concentrator.
    if (m.bancoPerdido)
        return {bombas + QStringLiteral("sem banco de dados: nada é gravado."),
                QStringLiteral("sem banco de dados")};
    if (m.pausada) return {bombas + QStringLiteral("em pausa."), QStringLiteral("pausada")};
    switch (enlace) {
    case Enlace::Perdido:
        return {bombas + QStringLiteral("sem comunicação com o concentrador."),
                QStringLiteral("sem comunicação com o concentrador")};
    case Enlace::SemResposta:
        return {bombas + QStringLiteral("sem resposta do concentrador."),
                QStringLiteral("sem resposta do concentrador")};
    case Enlace::Aguardando:
        return {bombas + QStringLiteral("aguardando o concentrador."),
                QStringLiteral("aguardando o concentrador")};
    case Enlace::Respondendo:
        break;
    }
    return {bombas + QStringLiteral("em funcionamento."), QStringLiteral("em funcionamento")};
}

} // namespace

void PainelEstado::leContagens(const QDate& dia, int gravadosNoDia,
                               const std::optional<Abastecido>& ultimo, int emQuarentena) {
    acertaDia(dia);
    gravadosHoje_ = gravadosNoDia;
    ultimo_ = ultimo;
    emQuarentena_ = emQuarentena;
}

void PainelEstado::gravou(const Abastecido& abastecido, const QDate& hoje) {
    acertaDia(hoje);
    ultimo_ = abastecido;
    if (abastecido.data != dia_) return;
    ++gravadosHoje_;
    encerrantes_.comEncerrantes = encerrantes_.comEncerrantes || abastecido.comEncerrante;
    if (!abastecido.lacuna) return;
    ++encerrantes_.lacunas;
    encerrantes_.litros = encerrantes_.litros + abastecido.lacuna->abs();
}

void PainelEstado::leEncerrantes(const QDate& dia, const Encerrantes& encerrantes) {
    acertaDia(dia);
    encerrantes_ = encerrantes;
}

void PainelEstado::acertaDia(const QDate& hoje) {
    if (hoje == dia_) return;
    dia_ = hoje;
    gravadosHoje_ = 0;
    encerrantes_ = {};
}

TextosPainel PainelEstado::textos(const Momento& m) {
    acertaDia(m.agora.date());
    if (inicio_.quando.isNull()) inicio_ = {m.agora, m.agoraMs};
    if (std::exchange(pausadaAntes_, m.pausada) && !m.pausada) retomada_ = {m.agora, m.agoraMs};
    const bool silencio = m.agoraMs - desde(m).ms >= kSilencioMs;
    TextosPainel t;
    t.comunicacao = transporte(m) + kTraco + comunicacao(m, silencio);
    // Paused, the cycle leaves the line alone: its silence is no fault.
    t.comunicacaoEmAlerta = silencio && !m.pausada;
    t.abastecimentos = abastecimentos();
    t.quarentena = quarentena(m.raiz);
    t.quarentenaEmAlerta = emQuarentena_ > 0;
    t.encerrantes = encerrantes(m.raiz);
    t.encerrantesEmAlerta = encerrantes_.lacunas > 0;
    t.pedidos = m.recusadosNaPasta == 0 ? QStringLiteral("nenhum arquivo recusado")
                                        : recusados(m.recusadosNaPasta);
    t.pedidosEmAlerta = m.recusadosNaPasta > 0;
    const Enlace e = enlace(m);
    std::tie(t.cabecalho, t.automacao) = situacaoDaAutomacao(m, e);
    t.banco = m.banco;
    t.resumo = resumo(m, e);
    return t;
}

QString PainelEstado::Iso(const QDateTime& momento) {
    return momento.isValid()
               ? momento.toOffsetFromUtc(momento.offsetFromUtc()).toString(Qt::ISODate)
               : QString();
}

Acompanhamento::Enlace PainelEstado::enlace(const Momento& m) const {
    if (m.enlacePerdido) return Enlace::Perdido;
    if (!inicio_.quando.isNull() && m.agoraMs - desde(m).ms >= kSilencioMs)
        return Enlace::SemResposta;
    return m.recepcao.quando.isNull() ? Enlace::Aguardando : Enlace::Respondendo;
}

QStringList PainelEstado::situacao(const Momento& m) const {
    static const char* const kEnlaces[] = {"aguardando", "respondendo", "sem_resposta", "perdido"};
    const auto sim = [](bool v) { return v ? QStringLiteral("sim") : QStringLiteral("nao"); };
    const Enlace e = enlace(m);
    QStringList central;
    if (walCentral_)
        central << QStringLiteral("central_wal_retido=") +
                       (walCentral_->retidoBytes ? QString::number(*walCentral_->retidoBytes)
                                                 : QStringLiteral("perdido"))
                << QStringLiteral("central_wal_limite=") +
                       QString::number(walCentral_->limiteBytes);
    return QStringList{
               QStringLiteral("transporte=") + transporte(m),
               QStringLiteral("esperas=") + m.esperas,
               QStringLiteral("descarga_rapida=") + sim(m.descargaRapida),
               QStringLiteral("banco=") + m.banco,
               QStringLiteral("banco_estado=") +
                   (m.bancoPerdido ? QStringLiteral("perdido") : QStringLiteral("conectado")),
               QStringLiteral("enlace=") + QLatin1String(kEnlaces[int(e)]),
               QStringLiteral("ultima_resposta=") + Iso(m.recepcao.quando),
               QStringLiteral("pausada=") + sim(m.pausada),
               QStringLiteral("abastecimentos_hoje=") + QString::number(gravadosHoje_),
               QStringLiteral("ultimo_abastecimento=") +
                   (ultimo_ ? Iso(QDateTime(ultimo_->data, ultimo_->hora)) : QString()),
               QStringLiteral("quarentena=") + QString::number(emQuarentena_),
               QStringLiteral("lacunas_encerrante_hoje=") + QString::number(encerrantes_.lacunas),
               QStringLiteral("litros_lacunas_hoje=") + encerrantes_.litros.textoPonto(3),
               QStringLiteral("recusados_na_pasta=") + QString::number(m.recusadosNaPasta)} +
           central +
           QStringList{QStringLiteral("resumo=") + resumo(m, e).join(QStringLiteral(" · "))};
}

// Before the first answer, silence counts from the panel's start.
const UltimaRecepcao& PainelEstado::desde(const Momento& m) const {
    const UltimaRecepcao& base = m.recepcao.quando.isNull() ? inicio_ : m.recepcao;
    return !retomada_.quando.isNull() && retomada_.ms > base.ms ? retomada_ : base;
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
    return quantas + kTraco + QStringLiteral("para listar: ") + comandoDados(raiz, "rejeitados");
}

QString PainelEstado::encerrantes(const QString& raiz) const {
    const Encerrantes& e = encerrantes_;
    if (e.lacunas == 0)
        return e.comEncerrantes || gravadosHoje_ == 0 ? QStringLiteral("conferem")
                                                      : QStringLiteral("sem encerrantes");
    const QString quantas = e.lacunas == 1
                                ? QStringLiteral("1 lacuna hoje")
                                : QString::number(e.lacunas) + QStringLiteral(" lacunas hoje");
    return quantas + QStringLiteral(", ") + e.litros.texto() + QStringLiteral(" L") + kTraco +
           QStringLiteral("para ver: ") + comandoDados(raiz, "encerrantes");
}

QString PainelEstado::recusados(int n) {
    return n == 1 ? QStringLiteral("1 arquivo recusado na pasta")
                  : QString::number(n) + QStringLiteral(" arquivos recusados na pasta");
}

QStringList PainelEstado::resumo(const Momento& m, Acompanhamento::Enlace enlace) const {
    QStringList itens{estado(m, enlace)};
    // Litres that left a pump unrecorded come before the day's count: the tip may
    // have room for only one of them.
    if (encerrantes_.lacunas > 0)
        itens << QString::number(encerrantes_.lacunas) +
                     (encerrantes_.lacunas == 1 ? QStringLiteral(" lacuna de encerrante")
                                                : QStringLiteral(" lacunas de encerrante"));
    itens << QString::number(gravadosHoje_) + QStringLiteral(" hoje");
    if (emQuarentena_ > 0)
        itens << QString::number(emQuarentena_) + QStringLiteral(" em quarentena");
    if (m.recusadosNaPasta > 0) itens << recusados(m.recusadosNaPasta);
    return itens;
}

} // namespace talvero
