#include "ensaio/LinhaVirtual.h"

#include "platform/Erro.h"

#include <algorithm>
#include <cmath>
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
    livreEmMs_ = relogio_.ms();
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

std::int64_t LinhaVirtual::transmissaoMs(qsizetype caracteres) const {
    return std::int64_t(std::ceil(double(caracteres) * msPorCaractere));
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
    const std::int64_t chegouMs = relogio_.ms() + transmissaoMs(bytes.size());
    for (const QString& quadro : montador_.adiciona(bytes)) {
        for (const Trecho& t : nucleo_.respondeQuadro(quadro)) {
            const std::int64_t inicio = std::max(chegouMs + t.atrasoMs, livreEmMs_);
            livreEmMs_ = inicio + transmissaoMs(t.bytes.size());
            pendentes_.push_back({t.bytes, livreEmMs_, t.desconecta});
        }
    }
}

void LinhaVirtual::entregaVencidos() {
    while (aberto_ && !pendentes_.empty() && pendentes_.front().quandoMs <= relogio_.ms()) {
        Pendente p = std::move(pendentes_.front());
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
