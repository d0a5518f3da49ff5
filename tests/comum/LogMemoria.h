#pragma once

#include "ensaio/OperadorRoteirizado.h"
#include "platform/Erro.h"
#include "platform/Relogio.h"
#include "platform/SistemaArquivos.h"
#include "support/Instalacao.h"
#include "support/RegistroEventos.h"

#include <QStringList>

namespace talvero::teste {

// The one reader of the event log in tests: the lines written to the hourly log
// files, without their time of day. With a real file system behind it, every
// call goes on to it; without one, the log lives in memory only.
class ArquivosComLog : public SistemaArquivos {
public:
    explicit ArquivosComLog(SistemaArquivos* real = nullptr) : real_(real) {}

    bool existe(const QString& c) const override { return real_ && real_->existe(c); }
    void acrescentaLinha(const QString& c, const QString& linha) override {
        if (real_) real_->acrescentaLinha(c, linha);
        if (c.startsWith(instalacao::kPastaPrograma + QStringLiteral("AUTOMACAO_")))
            linhas << linha.mid(8);
    }
    using SistemaArquivos::criaTexto;
    void criaTexto(const QString& c, const QStringList& l,
                   const std::function<void()>& antes) override {
        if (real_) real_->criaTexto(c, l, antes);
    }
    void substitui(const QString& c, const QByteArray& bytes) override {
        if (real_) real_->substitui(c, bytes);
    }
    QByteArray le(const QString& c) const override {
        if (!real_)
            throw Erro(QStringLiteral("Arquivo não encontrado"), erros::ArquivoNaoEncontrado);
        return real_->le(c);
    }
    void apaga(const QString& c, bool f) override {
        if (real_) real_->apaga(c, f);
    }
    void move(const QString& o, const QString& d) override {
        if (real_) real_->move(o, d);
    }
    QList<EntradaPasta> entradas(const QString& p, const QString& padrao,
                                 int maximo) const override {
        return real_ ? real_->entradas(p, padrao, maximo) : QList<EntradaPasta>();
    }
    std::optional<EntradaPasta> entrada(const QString& c) const override {
        return real_ ? real_->entrada(c) : std::nullopt;
    }
    QByteArray leRegular(const QString& c, qint64 limite) const override {
        if (!real_)
            throw Erro(QStringLiteral("Arquivo não encontrado"), erros::ArquivoNaoEncontrado);
        return real_->leRegular(c, limite);
    }

    int conta(const QString& trecho) const {
        int n = 0;
        for (const QString& l : linhas)
            n += l.contains(trecho) ? 1 : 0;
        return n;
    }

    QStringList linhas;

private:
    SistemaArquivos* real_;
};

// An event log of its own for a routine tested alone.
struct LogMemoria {
    explicit LogMemoria(const Relogio& relogio) : registro(relogio, arquivos, operador) {}

    QStringList& linhas() { return arquivos.linhas; }
    int conta(const QString& trecho) const { return arquivos.conta(trecho); }
    QStringList com(const QString& trecho) const { return arquivos.linhas.filter(trecho); }

    ArquivosComLog arquivos;
    OperadorRoteirizado operador;
    RegistroEventos registro;
};

} // namespace talvero::teste
