#include "ensaio/HostFixo.h"

namespace talvero {

IdentidadeHost::Inicio HostFixo::inicia(std::uint16_t versao) {
    ++chamadasInicia;
    versaoPedida = versao;
    return inicio;
}

int HostFixo::encerra() {
    ++chamadasEncerra;
    return resultadoEncerra;
}

std::optional<QList<QByteArray>> HostFixo::enderecos(const QByteArray& nomeConsultado) {
    ultimoNomeConsultado = nomeConsultado;
    return enderecosDoHost;
}

QByteArray HostFixo::ipv4(int a, int b, int c, int d) {
    QByteArray bytes;
    for (int v : {a, b, c, d})
        bytes.append(static_cast<char>(v));
    return bytes;
}

} // namespace talvero
