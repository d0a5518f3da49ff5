#include "link/CanaisObservados.h"

namespace talvero {

namespace {

class CanalObservado : public CanalBytes {
public:
    CanalObservado(std::unique_ptr<CanalBytes> canal, CanaisObservados& canais)
        : canal_(std::move(canal)), canais_(canais) {}

    void abre() override { canal_->abre(); }
    void fecha() override { canal_->fecha(); }
    bool aberto() const override { return canal_->aberto(); }
    void escreve(const QByteArray& bytes) override { canal_->escreve(bytes); }
    qsizetype disponiveis() override { return nota(canal_->disponiveis()); }
    QByteArray le() override {
        QByteArray bytes = canal_->le();
        nota(bytes.size());
        return bytes;
    }
    void descarta() override { canal_->descarta(); }
    bool aguardaDados(int maxMs) override { return nota(canal_->aguardaDados(maxMs)); }

private:
    template <typename T> T nota(T chegou) {
        if (chegou) canais_.recebeu();
        return chegou;
    }

    std::unique_ptr<CanalBytes> canal_;
    CanaisObservados& canais_;
};

} // namespace

std::unique_ptr<CanalBytes> CanaisObservados::serial(const QString& porta) {
    return std::make_unique<CanalObservado>(canais_.serial(porta), *this);
}

std::unique_ptr<CanalBytes> CanaisObservados::tcp(const QString& host, quint16 porta) {
    return std::make_unique<CanalObservado>(canais_.tcp(host, porta), *this);
}

void CanaisObservados::recebeu() {
    ultima_ = {relogio_.agora(), relogio_.monotonicoMs()};
}

} // namespace talvero
