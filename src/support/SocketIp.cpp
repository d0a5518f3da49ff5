#include "support/SocketIp.h"

#include "platform/CodecAnsi.h"

#include <QByteArray>

namespace talvero {

namespace {

constexpr std::uint16_t kVersaoPedida = 0x0101;
constexpr int kMinimoSockets = 1;
constexpr qsizetype kBytesIpv4 = 4;

// The name is what precedes the first NUL of the buffer.
QByteArray ateNul(const QByteArray& buffer) {
    const qsizetype nul = buffer.indexOf('\0');
    return nul < 0 ? buffer : buffer.left(nul);
}

// Only blanks, as the classic trim does.
QByteArray semBrancos(QByteArray texto) {
    while (texto.startsWith(' '))
        texto.remove(0, 1);
    while (texto.endsWith(' '))
        texto.chop(1);
    return texto;
}

QString pontuado(const QByteArray& endereco) {
    QString texto;
    for (const char byte : endereco)
        texto += QString::number(static_cast<unsigned char>(byte)) + QLatin1Char('.');
    texto.chop(1);
    return texto;
}

} // namespace

SocketIp::SocketIp(IdentidadeHost& host, Operador& operador) : host_(host), operador_(operador) {}

void SocketIp::avisa(const QString& texto) {
    operador_.mensagem(texto, QString(), Icone::Nenhum);
}

bool SocketIp::IniciaSockets() {
    const IdentidadeHost::Inicio inicio = host_.inicia(kVersaoPedida);
    if (inicio.resultado != 0) {
        avisa(QStringLiteral("32-bit Windows Socket não esta respondendo."));
        return false;
    }
    if (inicio.maxSockets < kMinimoSockets) {
        avisa(QStringLiteral(" Esta aplicação requer um minimo de ") +
              QString::number(kMinimoSockets) + QStringLiteral(" sockets suportados."));
        return false;
    }
    const int maior = ByteBaixo(inicio.versao);
    const int menor = ByteAlto(inicio.versao);
    if (maior == 0 || (maior == 1 && menor == 0)) {
        avisa(QStringLiteral("A versao Sockets ") + QString::number(maior) + QLatin1Char('.') +
              QString::number(menor) +
              QStringLiteral(" não é suportada por 32-bit Windows Sockets."));
        return false;
    }
    return true;
}

void SocketIp::EncerraSockets() {
    if (host_.encerra() != 0) avisa(QStringLiteral(" Erro de Socket."));
}

QString SocketIp::NomeDoHost() {
    if (!IniciaSockets()) return {};
    QString nome;
    if (const auto buffer = host_.nomeDoHost())
        nome = ansi::decodifica(ateNul(*buffer));
    else
        avisa(QStringLiteral("Windows Sockets error ") + QString::number(host_.ultimoErro()) +
              QStringLiteral(" não é possivel obter nome do Host."));
    EncerraSockets();
    return nome;
}

QString SocketIp::IpDoHost() {
    if (!IniciaSockets()) return {};
    const auto buffer = host_.nomeDoHost();
    if (!buffer) {
        avisa(QStringLiteral("Ocorre um erro de Socket : ") + QString::number(host_.ultimoErro()) +
              QStringLiteral(" , não é possivel obter nome do Host."));
        EncerraSockets();
        return {};
    }
    QByteArray primeiro;
    if (const auto enderecos = host_.enderecos(semBrancos(ateNul(*buffer)))) {
        for (const QByteArray& e : *enderecos) {
            if (e.size() == kBytesIpv4) {
                primeiro = e;
                break;
            }
        }
    }
    // An entry without any IPv4 address is as useless as no entry at all.
    if (primeiro.isEmpty()) {
        avisa(QStringLiteral("Windows Sockets não esta respondendo. ") +
              QStringLiteral("não é possivel obter nome do Host"));
        EncerraSockets();
        return {};
    }
    EncerraSockets();
    return pontuado(primeiro);
}

} // namespace talvero
