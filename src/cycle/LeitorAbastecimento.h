#pragma once

#include "platform/Erro.h"
#include "store/AbastecimentoEmTrabalho.h"
#include "store/Cadastros.h"
#include "support/Configuracao.h"
#include "support/RegistroEventos.h"

#include <QDateTime>
#include <QString>
#include <optional>

namespace talvero {

// Reads one fueling answer of the concentrator into a working fueling and
// completes it from the station's registers: the agent for every answer it
// receives, talvero-dados for the answers kept in quarantine.
class LeitorAbastecimento {
public:
    struct Dependencias {
        RegistroEventos& registro;
        const Configuracao& configuracao;
        BicoAutomacao& bicoAutomacao;
        Bico& bico;
        Produto& produto;
        Estoque& estoque;
    };

    explicit LeitorAbastecimento(Dependencias dependencias);

    // The answer cannot be read (Ilegivel), or the registers could not be reached
    // (FalhaDoBanco), which says nothing about the answer.
    enum class Leitura { Completa, Ilegivel, FalhaDoBanco };

    // Fills `abastecimento` from the answer received at `recebido`, the date the
    // day of month belongs to. Otherwise `abastecimento` is left untouched and the
    // error logged and kept in ultimoErro().
    Leitura AutoAtualizaAbastecimento(const QString& pAbastecimento, const QDateTime& recebido,
                                      AbastecimentoEmTrabalho& abastecimento);

    QString lPassoDebugarErroAbast;
    const std::optional<Erro>& ultimoErro() const { return ultimoErro_; }

private:
    void registraErro(const Erro& e);
    void le(const QString& resposta, const QDateTime& recebido, AbastecimentoEmTrabalho& a);
    void leValores(const QString& resposta, AbastecimentoEmTrabalho& a);
    void leEncerranteECartao(const QString& resposta, AbastecimentoEmTrabalho& a);
    void completaDoCadastro(AbastecimentoEmTrabalho& a);

    void passo(const char* marcador) { lPassoDebugarErroAbast = QLatin1String(marcador); }
    const Configuracao& cfg() const { return d_.configuracao; }

    Dependencias d_;
    std::optional<Erro> ultimoErro_;
};

} // namespace talvero
