#include "link/BibliotecaPropria.h"

#include "platform/CodecAnsi.h"
#include "platform/Erro.h"

#include <algorithm>

namespace talvero {

BibliotecaPropria::BibliotecaPropria(FabricaCanais& canais, const Relogio& relogio)
    : canais_(canais), relogio_(relogio) {}

BibliotecaPropria::~BibliotecaPropria() {
    if (canal_) canal_->fecha();
}

std::int16_t BibliotecaPropria::VB_OpenSerial(std::int16_t porta) {
    if (porta < 1) return kEnderecoInvalido;
    return abre(canais_.serial(nomePortaSerial(porta)), Tipo::Serial);
}

// A device path is never split at its ':'.
std::int16_t BibliotecaPropria::VB_OpenSocket(const QString& endereco) {
    if (portaPorCaminho(endereco)) return abre(canais_.serial(endereco), Tipo::Socket);
    QString host;
    quint16 porta = 0;
    if (!SeparaEndereco(endereco, host, porta)) return kEnderecoInvalido;
    return abre(canais_.tcp(host, porta), Tipo::Socket);
}

std::int16_t BibliotecaPropria::abre(std::unique_ptr<CanalBytes> canal, Tipo tipo) {
    if (canal_) canal_->fecha();
    canal_.reset();
    tipo_ = Tipo::Nenhum;
    try {
        canal->abre();
    } catch (const Erro&) {
        return kFalhaAbertura;
    }
    canal_ = std::move(canal);
    tipo_ = tipo;
    return kSucesso;
}

std::int16_t BibliotecaPropria::VB_CloseSerial() {
    return fecha(Tipo::Serial);
}
std::int16_t BibliotecaPropria::VB_CloseSocket() {
    return fecha(Tipo::Socket);
}

std::int16_t BibliotecaPropria::fecha(Tipo tipo) {
    if (!canal_ || tipo_ != tipo) return kNaoAberta;
    canal_->fecha();
    canal_.reset();
    tipo_ = Tipo::Nenhum;
    return kSucesso;
}

// Counting first lets the stream notice a connection closed by the other side.
bool BibliotecaPropria::garanteLigacao() {
    canal_->disponiveis();
    if (canal_->aberto()) return true;
    try {
        canal_->abre();
        return true;
    } catch (const Erro&) {
        return false;
    }
}

bool BibliotecaPropria::envia(const QString& texto) {
    if (!garanteLigacao()) return false;
    try {
        canal_->escreve(ansi::codifica(texto));
        return true;
    } catch (const Erro&) {
        return false;
    }
}

std::int16_t BibliotecaPropria::VB_SendText(const QString& texto) {
    if (!canal_) return kNaoAberta;
    return envia(texto) ? kSucesso : kFalhaEnvio;
}

std::int16_t BibliotecaPropria::VB_ReceiveText(QString& texto) {
    if (!canal_) return kNaoAberta;
    texto = ansi::decodifica(canal_->le());
    return kSucesso;
}

std::int16_t BibliotecaPropria::VB_SendReceiveText(QString& texto, std::int32_t esperaMs) {
    if (!canal_) {
        texto.clear();
        return kNaoAberta;
    }
    canal_->descarta();
    if (!envia(texto)) {
        texto.clear();
        return kFalhaEnvio;
    }
    texto = ansi::decodifica(coletaResposta(esperaMs));
    return kSucesso;
}

// A complete answer may still go on ("(0)" then "(&H)"): what follows it without
// a pause belongs to it.
QByteArray BibliotecaPropria::coletaResposta(std::int32_t esperaMs) {
    const std::int64_t limite = relogio_.monotonicoMs() + esperaMs;
    QByteArray resposta = canal_->le();
    for (;;) {
        const std::int64_t restante = limite - relogio_.monotonicoMs();
        if (restante <= 0) break;
        const std::int64_t espera =
            RespostaCompleta(resposta) ? std::min<std::int64_t>(kPausaFimMs, restante) : restante;
        if (!canal_->aguardaDados(static_cast<int>(espera))) break;
        resposta += canal_->le();
    }
    return resposta;
}

bool RespostaCompleta(const QByteArray& resposta) {
    int abertos = 0;
    bool algum = false;
    for (const char c : resposta) {
        if (c == '(') {
            ++abertos;
            algum = true;
        } else if (c == ')' && abertos > 0) {
            --abertos;
        }
    }
    return algum && abertos == 0 && resposta.endsWith(')');
}

bool SeparaEndereco(const QString& endereco, QString& host, quint16& porta) {
    const QString texto = endereco.trimmed();
    QString portaTexto;
    if (texto.startsWith(QLatin1Char('['))) {
        const qsizetype fim = texto.indexOf(QLatin1Char(']'));
        if (fim < 0) return false;
        host = texto.mid(1, fim - 1);
        const QString resto = texto.mid(fim + 1);
        if (!resto.isEmpty() && !resto.startsWith(QLatin1Char(':'))) return false;
        portaTexto = resto.mid(1);
        if (!resto.isEmpty() && portaTexto.isEmpty()) return false;
    } else if (texto.count(QLatin1Char(':')) == 1) {
        host = texto.section(QLatin1Char(':'), 0, 0);
        portaTexto = texto.section(QLatin1Char(':'), 1);
        if (portaTexto.isEmpty()) return false;
    } else {
        host = texto; // a name, an IPv4 text or a bare IPv6 literal
    }
    if (host.isEmpty()) return false;
    if (portaTexto.isEmpty()) {
        porta = BibliotecaPropria::kPortaTcpPadrao;
        return true;
    }
    bool ok = false;
    const uint valor = portaTexto.toUInt(&ok);
    if (!ok || valor < 1 || valor > 65535) return false;
    porta = static_cast<quint16>(valor);
    return true;
}

} // namespace talvero
