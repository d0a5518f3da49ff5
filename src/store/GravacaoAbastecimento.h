#pragma once

#include "platform/Erro.h"
#include "platform/Moeda.h"
#include "store/Abastecimento.h"
#include "store/AbastecimentoEmTrabalho.h"
#include "store/Cadastros.h"
#include "store/Conexao.h"
#include "store/ConferenciaEncerrantes.h"
#include "support/Configuracao.h"
#include "support/RegistroEventos.h"

#include <QString>
#include <QTime>
#include <functional>
#include <optional>

namespace talvero {

// Storage of the working fueling and of its nozzle's current totalizer. Only a
// fueling that is in the database (Gravado, JaGravado) may be acknowledged.
class GravacaoAbastecimento {
public:
    struct Dependencias {
        const Configuracao& configuracao;
        RegistroEventos& registro;
        Conexao& conexao;
        Abastecimento& abastecimento;
        EncerranteAtual& encerranteAtual;
        ParametroEmpresa& parametroEmpresa;
        CartaoIdentFid& cartaoIdentFid;
        std::function<void()> habilitaTimerAutomacao;
    };

    explicit GravacaoAbastecimento(Dependencias dependencias);

    enum class Resultado {
        Gravado,         // inserted now
        JaGravado,       // found stored already (a repeated delivery)
        SemHorarioLivre, // every 5-second time of its minute on that nozzle is taken
        Recusado,        // a value the database cannot take; ultimoErro says which
        FalhaDoBanco,    // the database itself failed; ultimoErro says how
    };
    static bool noBanco(Resultado r) {
        return r == Resultado::Gravado || r == Resultado::JaGravado;
    }

    // When the fueling is in the database, the Abastecimento object holds the
    // stored record. `lTimerAutoString` is the raw answer.
    Resultado AutoAtualTabeAbastecimento(AbastecimentoEmTrabalho& a,
                                         const QString& lTimerAutoString);

    // The whole number of millions that lets a counter that started again from
    // zero continue the stored count; 0 when the reading did not go down.
    static Moeda AjusteMilhao(Moeda diferenca);

    static constexpr int kTamanhoRegistroAutomacao = 100;

    // The error that ended the last call, if one did.
    const std::optional<Erro>& ultimoErro() const { return ultimoErro_; }
    // The gap before the fueling the last call inserted, if its totalizer showed one.
    const std::optional<encerrantes::Lacuna>& lacuna() const { return lacuna_; }

private:
    enum class Inclusao { Incluido, ChaveTomada };

    bool grava(AbastecimentoEmTrabalho& a, const QString& registroAutomacao);
    bool confirmaRepeticao(const AbastecimentoEmTrabalho& a, const QTime& hora);
    bool incluiEmHorarioLivre(AbastecimentoEmTrabalho& a, const QString& registroAutomacao,
                              const QList<Abastecimento::NoMinuto>& noMinuto);
    Inclusao inclui(const AbastecimentoEmTrabalho& a, const QString& registroAutomacao);
    void preenche(const AbastecimentoEmTrabalho& a, const QString& registroAutomacao);
    bool atualizaEncerrante(const AbastecimentoEmTrabalho& a);
    void confereEncerrante(const AbastecimentoEmTrabalho& a);
    std::int16_t valorParametro();
    void registra(const QString& mensagem) { d_.registro.registra(mensagem); }
    QString descreve(const QString& rotulo, const QDate& data, const QTime& hora, std::int16_t bico,
                     const AbastecimentoEmTrabalho& a) const;

    Dependencias d_;
    std::int16_t valorParametro_ = 1;
    bool semHorarioLivre_ = false;
    bool repeticao_ = false;
    std::optional<Erro> ultimoErro_;
    std::optional<encerrantes::Lacuna> lacuna_;
};

} // namespace talvero
