// The INI reader on any file contents: a few keys of the agent's own files.
#include "platform/LeitorIni.h"

#include <cstdlib>

using namespace talvero;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    const QByteArray conteudo =
        QByteArray::fromRawData(reinterpret_cast<const char*>(dados), qsizetype(tamanho));
    static const char* const kChaves[][2] = {{"PEDIDO AUTOMACAO", "Comando"},
                                             {"PEDIDO AUTOMACAO", "Parametro"},
                                             {"AUTOMACAO", "Casas decimais do valor"},
                                             {"BANCO DE DADOS", "Arquivo"},
                                             {"TEMPORARIO", "Arquivo"}};
    for (const auto& [secao, chave] : kChaves)
        if (LeIniDeTexto(conteudo, QLatin1String(secao), QLatin1String(chave)).size() > 254)
            std::abort();
    return 0;
}
