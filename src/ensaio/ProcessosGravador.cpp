#include "ensaio/ProcessosGravador.h"

#include "platform/Erro.h"

namespace talvero {

std::int64_t ProcessosGravador::iniciaSemEsperar(const QString& programa,
                                                 const QStringList& argumentos) {
    iniciados.push_back({programa, argumentos});
    if (falhaAoIniciar)
        throw Erro(QStringLiteral("Arquivo não encontrado"), erros::ArquivoNaoEncontrado);
    return proximoPid++;
}

} // namespace talvero
