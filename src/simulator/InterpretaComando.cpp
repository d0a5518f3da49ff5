#include "simulator/InterpretaComando.h"

#include "simulator/AritmeticaConcentrador.h"

namespace talvero::sim {

namespace {

bool soDigitos(QStringView s) {
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return !s.isEmpty();
}

Comando de(TipoComando tipo) {
    Comando c;
    c.tipo = tipo;
    return c;
}

// `corpo` is what follows "(" up to the checksum; `resto` is the checksum as received.
Comando comChecksum(TipoComando tipo, const QString& corpo, QStringView resto) {
    return de(resto == checksumDoCorpo(corpo) ? tipo : TipoComando::ChecksumErrado);
}

Comando relogio(QStringView campos) {
    Comando c;
    if (campos.size() != 6 || !soDigitos(campos)) return c;
    c.dia = campos.mid(0, 2).toInt();
    c.hora = campos.mid(2, 2).toInt();
    c.minuto = campos.mid(4, 2).toInt();
    if (c.dia >= 1 && c.dia <= 31 && c.hora <= 23 && c.minuto <= 59)
        c.tipo = TipoComando::AcertaRelogio;
    return c;
}

Comando gravaCartao(const QString& interno) {
    // "?F27G" + card (16) + 16 zeros, then the checksum.
    if (interno.size() < 37 + 2 || interno.mid(21, 16) != QString(16, QLatin1Char('0'))) return {};
    Comando c =
        comChecksum(TipoComando::GravaCartao, interno.left(37), QStringView(interno).mid(37));
    c.cartao = interno.mid(5, 16);
    return c;
}

Comando apagaCartao(const QString& interno) {
    // "?F27A" + card (16) + "00" + position (6) + "00000000", then the checksum.
    const QString posicao = interno.mid(23, 6);
    if (interno.size() < 37 + 2 || interno.mid(21, 2) != QLatin1String("00") ||
        !soDigitos(posicao) || interno.mid(29, 8) != QLatin1String("00000000"))
        return {};
    Comando c =
        comChecksum(TipoComando::ApagaCartao, interno.left(37), QStringView(interno).mid(37));
    c.cartao = interno.mid(5, 16);
    c.posicao = posicao.toInt();
    return c;
}

Comando leCartao(const QString& interno) {
    const QString posicao = interno.mid(3, 6);
    if (interno.size() < 9 + 2 || !soDigitos(posicao)) return {};
    Comando c = comChecksum(TipoComando::LeCartao, interno.left(9), QStringView(interno).mid(9));
    c.posicao = posicao.toInt();
    return c;
}

} // namespace

Comando interpretaComando(const QString& quadro) {
    if (quadro.size() < 3 || !quadro.startsWith(QLatin1Char('(')) ||
        !quadro.endsWith(QLatin1Char(')')))
        return {};
    const QString interno = quadro.mid(1, quadro.size() - 2);
    const QStringView v(interno);
    if (interno == QLatin1String("&I")) return de(TipoComando::Confirma);
    if (interno == QLatin1String("&V")) return de(TipoComando::Andamento);
    if (interno == QLatin1String("&S")) return de(TipoComando::Versao);
    if (interno == QLatin1String("&A")) return de(TipoComando::PedeAbastecimento);
    if (v.startsWith(u"&A"))
        return comChecksum(TipoComando::PedeAbastecimento, QStringLiteral("&A"), v.mid(2));
    if (v.startsWith(u"?V"))
        return comChecksum(TipoComando::CartaoAndamento, QStringLiteral("?V"), v.mid(2));
    if (v.startsWith(u"&H")) return relogio(v.mid(2));
    if (v.startsWith(u"?F27G")) return gravaCartao(interno);
    if (v.startsWith(u"?F27A")) return apagaCartao(interno);
    if (v.startsWith(u"?LF")) return leCartao(interno);
    return {};
}

} // namespace talvero::sim
