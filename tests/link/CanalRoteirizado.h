#pragma once

#include "platform/CanalBytes.h"
#include "platform/Erro.h"
#include "platform/TempoVirtual.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace talvero::teste {

// A byte stream on the virtual clock: bytes arrive at given moments, waits move
// the clock (and nothing else, as inside a library call), and whatever is written
// is recorded and may trigger a scripted answer.
class CanalRoteirizado : public CanalBytes {
public:
    explicit CanalRoteirizado(RelogioVirtual& relogio) : relogio_(relogio) {}

    void abre() override {
        if (falhaAoAbrir) throw Erro(QStringLiteral("Porta inexistente"), erros::PortaInvalida);
        aberto_ = true;
        ++aberturas;
    }
    void fecha() override { aberto_ = false; }
    bool aberto() const override { return aberto_; }
    void escreve(const QByteArray& bytes) override {
        if (!aberto_) throw Erro(QStringLiteral("Fechado"), erros::PortaFechada);
        escrito += bytes;
        if (aoEscrever) aoEscrever(bytes);
    }
    qsizetype disponiveis() override {
        entrega();
        return chegado.size();
    }
    QByteArray le() override {
        entrega();
        return std::exchange(chegado, {});
    }
    void descarta() override { le(); }
    bool aguardaDados(int maxMs) override {
        const std::int64_t limite = relogio_.ms() + maxMs;
        if (programadas.empty() || programadas.front().momento > limite) {
            relogio_.defineMs(limite);
            return false;
        }
        relogio_.defineMs(std::max(relogio_.ms(), programadas.front().momento));
        entrega();
        return true;
    }

    // Bytes arriving `emMs` from now.
    void chega(std::int64_t emMs, const QByteArray& bytes) {
        programadas.push_back({relogio_.ms() + emMs, bytes});
        std::stable_sort(programadas.begin(), programadas.end(),
                         [](const auto& a, const auto& b) { return a.momento < b.momento; });
    }
    // The other side closes: the stream is no longer open.
    void cai() { aberto_ = false; }

    struct Chegada {
        std::int64_t momento;
        QByteArray bytes;
    };
    std::deque<Chegada> programadas;
    QByteArray chegado;
    QByteArray escrito;
    std::function<void(const QByteArray&)> aoEscrever;
    bool falhaAoAbrir = false;
    int aberturas = 0;

private:
    void entrega() {
        while (!programadas.empty() && programadas.front().momento <= relogio_.ms()) {
            chegado += programadas.front().bytes;
            programadas.pop_front();
        }
    }

    RelogioVirtual& relogio_;
    bool aberto_ = false;
};

// What the factory hands out: the owner's end of a stream the factory keeps, so
// that a test can still look at a stream its owner has already let go.
class PontaCanal : public CanalBytes {
public:
    explicit PontaCanal(std::shared_ptr<CanalRoteirizado> canal) : canal_(std::move(canal)) {}
    void abre() override { canal_->abre(); }
    void fecha() override { canal_->fecha(); }
    bool aberto() const override { return canal_->aberto(); }
    void escreve(const QByteArray& bytes) override { canal_->escreve(bytes); }
    qsizetype disponiveis() override { return canal_->disponiveis(); }
    QByteArray le() override { return canal_->le(); }
    void descarta() override { canal_->descarta(); }
    bool aguardaDados(int maxMs) override { return canal_->aguardaDados(maxMs); }

private:
    std::shared_ptr<CanalRoteirizado> canal_;
};

// Hands out scripted streams and remembers what was asked for.
class FabricaRoteirizada : public FabricaCanais {
public:
    explicit FabricaRoteirizada(RelogioVirtual& relogio) : relogio_(relogio) {}

    std::unique_ptr<CanalBytes> serial(int porta) override {
        portasSeriais.push_back(porta);
        return cria();
    }
    std::unique_ptr<CanalBytes> tcp(const QString& host, quint16 porta) override {
        enderecos.push_back(host + QLatin1Char(':') + QString::number(porta));
        return cria();
    }
    CanalRoteirizado& ultimo() { return *criados.back(); }

    std::vector<int> portasSeriais;
    std::vector<QString> enderecos;
    std::vector<std::shared_ptr<CanalRoteirizado>> criados;
    bool falhaAoAbrir = false;

private:
    std::unique_ptr<CanalBytes> cria() {
        auto canal = std::make_shared<CanalRoteirizado>(relogio_);
        canal->falhaAoAbrir = falhaAoAbrir;
        criados.push_back(canal);
        return std::make_unique<PontaCanal>(canal);
    }

    RelogioVirtual& relogio_;
};

} // namespace talvero::teste
