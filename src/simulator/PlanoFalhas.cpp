#include "simulator/PlanoFalhas.h"

#include <algorithm>

namespace talvero::sim {

bool InjetorFalhas::atinge(Falha& f, bool carregaAbastecimento) {
    if (f.soAbastecimentos && !carregaAbastecimento) return false;
    if (f.proximas > 0) {
        --f.proximas;
        return true;
    }
    if (f.probabilidade <= 0) return false;
    const double u = double(sorteio_() >> 11) * 0x1.0p-53;
    return u < f.probabilidade;
}

int InjetorFalhas::sorteia(int limite) {
    return int(sorteio_() % std::uint64_t(limite));
}

QString InjetorFalhas::adultera(const QString& resposta) {
    // Any digit before the checksum: the answer keeps its length and its checksum
    // no longer adds up, since one character changed by 1 to 9.
    std::vector<qsizetype> digitos;
    for (qsizetype i = 1; i + 3 < resposta.size(); ++i)
        if (resposta.at(i).isDigit()) digitos.push_back(i);
    if (digitos.empty()) return resposta;
    const qsizetype i = digitos[std::size_t(sorteia(int(digitos.size())))];
    QString r = resposta;
    const int d = r.at(i).digitValue();
    r[i] = QChar(u'0' + (d + 1 + sorteia(9)) % 10);
    return r;
}

QString InjetorFalhas::conteudo(const QString& resposta, bool carregaAbastecimento) {
    QString r = resposta;
    if (carregaAbastecimento && atinge(plano_.adulterada, true)) r = adultera(r);
    if (atinge(plano_.truncada, carregaAbastecimento)) {
        const qsizetype n = plano_.tamanhoTruncado > 0 ? plano_.tamanhoTruncado : r.size() / 2;
        r.truncate(std::min(n, r.size() - 1));
    }
    return r;
}

std::vector<Trecho> InjetorFalhas::entrega(const QByteArray& bytes, std::int64_t latenciaMs,
                                           bool carregaAbastecimento) {
    QByteArray tudo = bytes;
    if (atinge(plano_.ruido, carregaAbastecimento)) {
        QByteArray ruido;
        while (ruido.size() < plano_.bytesRuido) {
            const char b = char(sorteia(256));
            if (b != '(' && b != ')') ruido.append(b);
        }
        tudo.prepend(ruido);
    }
    std::int64_t atraso = latenciaMs;
    if (atinge(plano_.atraso, carregaAbastecimento)) atraso += plano_.atrasoMs;
    if (!atinge(plano_.partida, carregaAbastecimento) || tudo.size() < 2)
        return {{tudo, atraso, false}};

    const qsizetype pedacos = std::clamp<qsizetype>(plano_.pedacos, 2, tudo.size());
    std::vector<Trecho> trechos;
    qsizetype inicio = 0;
    for (qsizetype i = 0; i < pedacos; ++i) {
        const qsizetype fim = tudo.size() * (i + 1) / pedacos;
        trechos.push_back(
            {tudo.mid(inicio, fim - inicio), i == 0 ? atraso : plano_.intervaloPedacosMs, false});
        inicio = fim;
    }
    return trechos;
}

} // namespace talvero::sim
