#include "link/TextosCartao.h"

namespace talvero {

namespace {

TextosCartao textos(const char* antes, const char* quadro, const char* apos,
                    const char* resultado) {
    const QString depois = QStringLiteral(" - Apos comando de ") + QString::fromUtf8(apos);
    return {QStringLiteral(" - Antes do comando de ") + QString::fromUtf8(antes) +
                QStringLiteral(": - lTimerAutoString->"),
            QStringLiteral(" - ") + QString::fromUtf8(quadro) +
                QStringLiteral(": - lTimerAutoString="),
            depois + QStringLiteral(": - Len(lTimerAutoString)="),
            depois + QStringLiteral(": - lAutoQuant="),
            QStringLiteral(" - Resultado da possível ") + QString::fromUtf8(resultado) +
                QStringLiteral(": - lTimerAutoString=")};
}

} // namespace

const TextosCartao& textosCartao(ComandoCartao comando) {
    static const TextosCartao grava =
        textos("Gravar Cartao", "Grava Cartao", "Gravar Cartao", "Gravação de Cartão");
    static const TextosCartao apaga =
        textos("Excluir Cartao", "Apaga Cartao", "Apagar Cartao", "Exclusão de Cartão");
    static const TextosCartao le =
        textos("Ler Cartao", "Ler Cartao", "Ler Cartao", "da Leitura de Cartão");
    switch (comando) {
    case ComandoCartao::Grava:
        return grava;
    case ComandoCartao::Apaga:
        return apaga;
    case ComandoCartao::Le:
        break;
    }
    return le;
}

} // namespace talvero
