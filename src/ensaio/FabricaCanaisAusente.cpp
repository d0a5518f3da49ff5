#include "ensaio/FabricaCanaisAusente.h"

#include "platform/Erro.h"

namespace talvero {

namespace {
[[noreturn]] void semConcentrador() {
    throw Erro(QStringLiteral("Número de porta inválido"), erros::PortaInvalida);
}
} // namespace

std::unique_ptr<CanalBytes> FabricaCanaisAusente::serial(const QString&) {
    semConcentrador();
}

std::unique_ptr<CanalBytes> FabricaCanaisAusente::tcp(const QString&, quint16) {
    semConcentrador();
}

} // namespace talvero
