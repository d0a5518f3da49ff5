#include "RoteiroCanal.h"

namespace talvero::fuzz {

class RoteiroCanal::Canal : public CanalBytes {
public:
    explicit Canal(RoteiroCanal& roteiro) : r_(roteiro) {}
    void abre() override { aberto_ = true; }
    void fecha() override { aberto_ = false; }
    bool aberto() const override { return aberto_; }
    void escreve(const QByteArray& bytes) override {
        r_.escrito(bytes);
        entrega();
    }
    qsizetype disponiveis() override { return chegados_.size(); }
    QByteArray le() override {
        QByteArray bytes = std::exchange(chegados_, {});
        if (r_.observador_) r_.observador_->lido(bytes);
        return bytes;
    }
    void descarta() override {
        chegados_.clear();
        if (r_.observador_) r_.observador_->descartado();
    }
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
        const Trecho& t = r_.trechos_.front();
        chegados_ += t.bytes;
        if (t.falhaBanco >= 0 && r_.falhaBanco) {
            r_.falhaBanco(t.falhaBanco);
            r_.bancoFalhando_ = true;
        }
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
        if (!continua && linha.startsWith('!'))
            trechos_.push_back({linha.mid(2), false, linha.size() > 1 ? linha[1] & 7 : 0});
        else
            trechos_.push_back({continua ? linha.mid(1) : linha, continua, -1});
    }
    restabeleceBanco();
}

// The oracles judge a write before the database comes back for it.
void RoteiroCanal::escrito(const QByteArray& bytes) {
    if (observador_) observador_->escrito(bytes);
    restabeleceBanco();
}

void RoteiroCanal::restabeleceBanco() {
    if (std::exchange(bancoFalhando_, false) && falhaBanco) falhaBanco(-1);
}

std::unique_ptr<CanalBytes> RoteiroCanal::serial(const QString&) {
    return std::make_unique<Canal>(*this);
}
std::unique_ptr<CanalBytes> RoteiroCanal::tcp(const QString&, quint16) {
    return std::make_unique<Canal>(*this);
}

} // namespace talvero::fuzz
