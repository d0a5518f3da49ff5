#include "ensaio/LinhaVirtual.h"

#include "platform/Erro.h"

#include <algorithm>
#include <utility>

namespace talvero::sim {

LinhaVirtual::LinhaVirtual(NucleoConcentrador& nucleo, RelogioVirtual& relogio, QString nome)
    : nucleo_(nucleo), relogio_(relogio), nome_(std::move(nome)) {}

LinhaVirtual::~LinhaVirtual() {
    if (aberto_ && aoFechar) aoFechar();
    if (aoDestruir) aoDestruir(this);
}

void LinhaVirtual::abre() {
    if (aberto_) return;
    if (aoAbrir) aoAbrir();
    montador_.limpa();
    pendentes_.clear();
    chegados_.clear();
    cronograma_ = CronogramaSaida(ritmo());
    cronograma_.esvazia(relogio_.ms());
    aberto_ = true;
}

void LinhaVirtual::fecha() {
    if (!aberto_) return;
    aberto_ = false;
    pendentes_.clear();
    chegados_.clear();
    if (aoFechar) aoFechar();
}

void LinhaVirtual::desconecta() {
    if (!aberto_) return;
    aberto_ = false;
    pendentes_.clear();
    if (aoFechar) aoFechar();
}

RitmoLinha LinhaVirtual::ritmo() const {
    const int baud = nucleo_.configuracao().baud;
    return baud > 0 ? RitmoLinha::daVelocidade(baud) : RitmoLinha{msPorCaractere, 0};
}

void LinhaVirtual::escreve(const QByteArray& bytes) {
    entregaVencidos();
    if (!aberto_)
        throw Erro(
            nome_.startsWith(QLatin1String("COM"))
                ? QStringLiteral("A porta %1 não está aberta").arg(nome_)
                : QStringLiteral("Conexão com o concentrador em %1 não está aberta").arg(nome_),
            erros::PortaFechada);
    escrito_.append(bytes);
    const std::int64_t chegouMs = relogio_.ms() + cronograma_.ritmo().duracaoMs(bytes.size());
    for (const QString& quadro : montador_.adiciona(bytes))
        for (Parcela& p : cronograma_.agenda(chegouMs, nucleo_.respondeQuadro(quadro)))
            pendentes_.push_back(std::move(p));
}

void LinhaVirtual::entregaVencidos() {
    while (aberto_ && !pendentes_.empty() && pendentes_.front().quandoMs <= relogio_.ms()) {
        Parcela p = std::move(pendentes_.front());
        pendentes_.pop_front();
        if (p.desconecta) {
            desconecta();
            return;
        }
        chegados_.append(p.bytes);
    }
}

qsizetype LinhaVirtual::disponiveis() {
    entregaVencidos();
    return chegados_.size();
}

QByteArray LinhaVirtual::le() {
    entregaVencidos();
    return std::exchange(chegados_, QByteArray());
}

void LinhaVirtual::descarta() {
    entregaVencidos();
    chegados_.clear();
}

bool LinhaVirtual::aguardaDados(int maxMs) {
    entregaVencidos();
    const std::int64_t limite = relogio_.ms() + std::max(0, maxMs);
    const qsizetype antes = chegados_.size();
    if (aberto_ && !pendentes_.empty() && pendentes_.front().quandoMs <= limite) {
        relogio_.defineMs(std::max(relogio_.ms(), pendentes_.front().quandoMs));
        entregaVencidos();
        return chegados_.size() > antes;
    }
    relogio_.defineMs(limite);
    return false;
}

} // namespace talvero::sim
