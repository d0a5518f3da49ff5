#pragma once

#include "platform/Erro.h"
#include "platform/OperadorRoteirizado.h"
#include "platform/Relogio.h"
#include "platform/SistemaArquivos.h"
#include "support/RegistroEventos.h"

#include <QStringList>

namespace talvero::teste {

// The event log of a test, kept in memory: the lines without their time of day.
class ArquivosMemoria : public SistemaArquivos {
public:
    bool existe(const QString&) const override { return false; }
    void acrescentaLinha(const QString&, const QString& linha) override { linhas << linha.mid(8); }
    void criaTexto(const QString&, const QStringList&) override {}
    QByteArray le(const QString&) const override {
        throw Erro(QStringLiteral("Arquivo não encontrado"), erros::ArquivoNaoEncontrado);
    }
    void apaga(const QString&, bool) override {}
    void move(const QString&, const QString&) override {}
    QStringList lista(const QString&, const QString&) const override { return {}; }

    QStringList linhas;
};

struct LogMemoria {
    explicit LogMemoria(const Relogio& relogio) : registro(relogio, arquivos, operador) {}

    QStringList& linhas() { return arquivos.linhas; }
    int conta(const QString& trecho) const {
        int n = 0;
        for (const QString& l : arquivos.linhas) n += l.contains(trecho) ? 1 : 0;
        return n;
    }
    QStringList com(const QString& trecho) const { return arquivos.linhas.filter(trecho); }

    ArquivosMemoria arquivos;
    OperadorRoteirizado operador;
    RegistroEventos registro;
};

} // namespace talvero::teste
