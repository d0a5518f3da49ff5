#include "support/Acompanhamento.h"

#include "support/CodigosSaida.h"
#include "support/Entradas.h"

#include <cstdio>
#include <utility>

namespace talvero {

namespace {

void escreveNaSaidaErro(const QString& linha) {
    std::fputs(
        (QStringLiteral("autotalvero: ") + linha + QLatin1Char('\n')).toLocal8Bit().constData(),
        stderr);
    std::fflush(stderr);
}

QString hora(const QDateTime& momento) {
    return momento.time().toString(QStringLiteral("HH:mm:ss"));
}

QString causaDoFim(int codigo) {
    switch (codigo) {
    case saida::Normal:
        return QStringLiteral("encerrado");
    case saida::Fecha:
        return QStringLiteral("encerrado a pedido (AUTOMACAO FECHA)");
    case saida::LeituraEncerrante:
        return QStringLiteral(
            "encerrado para a leitura dos encerrantes (AUTOMACAO LEITURA ENCERRANTE)");
    default:
        return QStringLiteral("encerrado sem poder funcionar");
    }
}

} // namespace

Acompanhamento::Acompanhamento() : saida_(escreveNaSaidaErro) {}

void Acompanhamento::defineSaida(std::function<void(const QString&)> saida) {
    saida_ = saida ? std::move(saida) : escreveNaSaidaErro;
}

void Acompanhamento::diz(const QString& linha) {
    saida_(entradas::SemControle(linha));
}

void Acompanhamento::inicio(const QString& descricao) {
    diz(QStringLiteral("iniciado: ") + descricao);
}

void Acompanhamento::falha(const QString& causa) {
    QString umaLinha = causa;
    umaLinha.replace(QLatin1String("\r\n"), QLatin1String(" "))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    diz(QStringLiteral("não pode funcionar: ") + umaLinha);
}

void Acompanhamento::fim(int codigo) {
    if (std::exchange(terminado_, true)) return;
    diz(causaDoFim(codigo) + QStringLiteral(" (código %1)").arg(codigo));
}

void Acompanhamento::observa(const Estado& e) {
    const Estado antes = dito_.value_or(Estado{});
    const bool primeira = !dito_;
    dito_ = e;
    if (e.pausada != antes.pausada)
        diz(e.pausada ? QStringLiteral("automação em pausa")
                      : QStringLiteral("automação retomada"));
    if (!e.pausada && (primeira || e.enlace != antes.enlace || antes.pausada)) {
        switch (e.enlace) {
        case Enlace::Aguardando:
            break;
        case Enlace::Respondendo:
            diz(primeira || antes.enlace == Enlace::Aguardando
                    ? QStringLiteral("concentrador respondendo")
                    : QStringLiteral("concentrador respondendo de novo"));
            break;
        case Enlace::SemResposta:
            diz(e.ultimaResposta.isValid()
                    ? QStringLiteral("concentrador sem resposta desde ") + hora(e.ultimaResposta)
                    : QStringLiteral("concentrador sem resposta desde o início"));
            break;
        case Enlace::Perdido:
            diz(QStringLiteral("comunicação com o concentrador perdida: ") + e.motivoPerda);
            break;
        }
    }
    if (e.bancoPerdido != antes.bancoPerdido)
        diz(e.bancoPerdido ? QStringLiteral("banco de dados perdido: ") + e.motivoBanco
                           : QStringLiteral("banco de dados de volta"));
    if (e.quarentena > antes.quarentena && !primeira)
        diz(QStringLiteral("%1 resposta(s) do concentrador posta(s) em quarentena (%2 ao todo)")
                .arg(e.quarentena - antes.quarentena)
                .arg(e.quarentena));
    // A new day starts from none; the gaps already there are told at start too.
    if (e.lacunas > antes.lacunas)
        diz(QStringLiteral(
                "%1 lacuna(s) de encerrante hoje, %2 L (para ver: talvero-dados encerrantes)")
                .arg(e.lacunas)
                .arg(e.litrosLacunas.texto()));
}

} // namespace talvero
