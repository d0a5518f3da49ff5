#include "link/TransportesConcentrador.h"

#include "link/BibliotecaPropria.h"

namespace talvero {

namespace {
CarregadorBiblioteca carregadorProprio(FabricaCanais& canais, const Relogio& relogio) {
    return [&canais, &relogio]() -> std::unique_ptr<BibliotecaConcentrador> {
        return std::make_unique<BibliotecaPropria>(canais, relogio);
    };
}
} // namespace

TransportesConcentrador::TransportesConcentrador(FabricaCanais& canais, const Relogio& relogio,
                                                 CarregadorBiblioteca carrega)
    : canais_(canais, relogio), serial_(canais_),
      biblioteca_(carrega ? std::move(carrega) : carregadorProprio(canais_, relogio)) {}

} // namespace talvero
