#include "RoteiroCanal.h"

namespace talvero::fuzz {

class RoteiroCanal::Canal : public CanalBytes {
public:
    explicit Canal(RoteiroCanal& roteiro) : r_(roteiro) {}
    void abre() override { aberto_ = true; }
    void fecha() override { aberto_ = false; }
    bool aberto() const override { return aberto_; }
    void escreve(const QByteArray&) override { entrega(); }
    qsizetype disponiveis() override { return chegados_.size(); }
    QByteArray le() override { return std::exchange(chegados_, {}); }
    void descarta() override { chegados_.clear(); }
    bool aguardaDados(int maxMs) override {
        if (!r_.trechos_.empty() && r_.trechos_.front().continua) {
            r_.relogio_->avancaMs(1);
            return entrega();
        }
        r_.relogio_->avancaMs(std::max(0, maxMs));
        return false;
    }

private:
    bool entrega() {
        if (r_.trechos_.empty()) return false;
        chegados_ += r_.trechos_.front().bytes;
        r_.trechos_.pop_front();
        return true;
    }
    RoteiroCanal& r_;
    bool aberto_ = false;
    QByteArray chegados_;
};

void RoteiroCanal::define(const QByteArray& roteiro) {
    trechos_.clear();
    for (const QByteArray& linha : roteiro.split('\n')) {
        const bool continua = linha.startsWith('\t');
        trechos_.push_back({continua ? linha.mid(1) : linha, continua});
    }
}

std::unique_ptr<CanalBytes> RoteiroCanal::serial(int) { return std::make_unique<Canal>(*this); }
std::unique_ptr<CanalBytes> RoteiroCanal::tcp(const QString&, quint16) { return std::make_unique<Canal>(*this); }

} // namespace talvero::fuzz
