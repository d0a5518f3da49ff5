#include "ensaio/FabricaCanaisSimulador.h"

#include "platform/Erro.h"

#include <algorithm>

namespace talvero::sim {

struct FabricaCanaisSimulador::Estado {
    std::optional<std::set<QString>> seriais;
    std::optional<std::set<QString>> enderecos;
    std::set<QString> emUso;
    std::vector<LinhaVirtual*> linhas;
    int aberturas = 0;
};

namespace {

QString endereco(const QString& host, quint16 porta) {
    return host + QLatin1Char(':') + QString::number(porta);
}

} // namespace

FabricaCanaisSimulador::FabricaCanaisSimulador() : estado_(std::make_shared<Estado>()) {}

FabricaCanaisSimulador::FabricaCanaisSimulador(NucleoConcentrador& nucleo, RelogioVirtual& relogio)
    : FabricaCanaisSimulador() {
    liga(nucleo, relogio);
}

void FabricaCanaisSimulador::liga(NucleoConcentrador& nucleo, RelogioVirtual& relogio) {
    nucleo_ = &nucleo;
    relogio_ = &relogio;
}

// Lines that outlive the factory keep working; they only stop reporting to it
// (their hooks hold the state weakly).
FabricaCanaisSimulador::~FabricaCanaisSimulador() = default;

std::unique_ptr<LinhaVirtual> FabricaCanaisSimulador::novaLinha(const QString& nome,
                                                                std::function<void()> verifica,
                                                                std::function<void()> libera) {
    if (!nucleo_ || !relogio_)
        throw Erro(QStringLiteral("Simulador do concentrador não ligado: ") + nome,
                   erros::PortaInvalida);
    auto linha = std::make_unique<LinhaVirtual>(*nucleo_, *relogio_, nome);
    linha->msPorCaractere = msPorCaractere;
    std::weak_ptr<Estado> fraco = estado_;
    linha->aoAbrir = [fraco, verifica = std::move(verifica)] {
        auto e = fraco.lock();
        if (!e) return;
        verifica();
        ++e->aberturas;
    };
    linha->aoFechar = std::move(libera);
    linha->aoDestruir = [fraco](LinhaVirtual* l) {
        if (auto e = fraco.lock())
            e->linhas.erase(std::remove(e->linhas.begin(), e->linhas.end(), l), e->linhas.end());
    };
    estado_->linhas.push_back(linha.get());
    return linha;
}

std::unique_ptr<CanalBytes> FabricaCanaisSimulador::serial(const QString& porta) {
    Estado* e = estado_.get();
    auto verifica = [e, porta] {
        const bool nome = numeroPortaSerial(porta) > 0 || portaPorCaminho(porta);
        if (!nome || (e->seriais && !e->seriais->count(porta)))
            throw Erro(QStringLiteral("Número de porta inválido: ") + porta, erros::PortaInvalida);
        if (!e->emUso.insert(porta).second)
            throw Erro(QStringLiteral("Porta em uso: ") + porta, erros::PortaEmUso);
    };
    std::weak_ptr<Estado> fraco = estado_;
    auto libera = [fraco, porta] {
        if (auto s = fraco.lock()) s->emUso.erase(porta);
    };
    return novaLinha(porta, verifica, libera);
}

std::unique_ptr<CanalBytes> FabricaCanaisSimulador::tcp(const QString& host, quint16 porta) {
    Estado* e = estado_.get();
    const QString nome = endereco(host, porta);
    auto verifica = [e, nome] {
        if (e->enderecos && !e->enderecos->count(nome))
            throw Erro(
                QStringLiteral("Não foi possível conectar ao concentrador em %1: conexão recusada")
                    .arg(nome),
                erros::CaminhoNaoEncontrado);
    };
    return novaLinha(nome, verifica, [] {});
}

void FabricaCanaisSimulador::permiteSerial(int porta) {
    permiteSerial(nomePortaSerial(porta));
}

void FabricaCanaisSimulador::permiteSerial(const QString& porta) {
    if (!estado_->seriais) estado_->seriais.emplace();
    estado_->seriais->insert(porta);
}

void FabricaCanaisSimulador::permiteTcp(const QString& host, quint16 porta) {
    if (!estado_->enderecos) estado_->enderecos.emplace();
    estado_->enderecos->insert(endereco(host, porta));
}

void FabricaCanaisSimulador::desconectaTodas() {
    const std::vector<LinhaVirtual*> linhas = estado_->linhas;
    for (LinhaVirtual* l : linhas)
        l->desconecta();
}

int FabricaCanaisSimulador::aberturas() const {
    return estado_->aberturas;
}

std::vector<LinhaVirtual*> FabricaCanaisSimulador::linhas() const {
    return estado_->linhas;
}

} // namespace talvero::sim
