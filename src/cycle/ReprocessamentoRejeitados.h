#pragma once

#include "cycle/LeitorAbastecimento.h"
#include "platform/Relogio.h"
#include "platform/SistemaArquivos.h"
#include "store/Abastecimento.h"
#include "store/AbastecimentoRejeitado.h"
#include "store/Cadastros.h"
#include "store/Conexao.h"
#include "store/GravacaoAbastecimento.h"
#include "support/Configuracao.h"
#include "support/RegistroEventos.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace talvero {

// talvero-dados reprocessar: the answers kept in AbastecimentoRejeitado read
// again as the agent reads them and stored as the agent stores them, now that
// the registers may complete them. Each answer is stored and its row marked in
// one transaction.
class ReprocessamentoRejeitados {
public:
    struct Resumo {
        int gravados = 0;
        int aEspera = 0;
    };

    // `leitura`: the parser's settings (LeConfiguracao); the company comes from each row.
    ReprocessamentoRejeitados(Conexao& conexao, RegistroEventos& registro, const Relogio& relogio,
                              const Configuracao& leitura);

    // Every waiting row, oldest first, or only the row `id`; one line per row to
    // `informa`. A database failure raises ErroBanco and leaves the row at hand as
    // it was; an unknown `id` raises Erro.
    Resumo Reprocessa(std::optional<std::int64_t> id,
                      const std::function<void(const QString&)>& informa);

    // The parser's settings from the agent's INI file, read as the agent reads
    // them; a decimal setting the agent would refuse raises Erro.
    static Configuracao LeConfiguracao(const SistemaArquivos& arquivos);

private:
    QString reprocessa(AbastecimentoRejeitado& r, Resumo& resumo);
    std::optional<Erro> leEGrava(const AbastecimentoRejeitado& r);
    bool jaGravado_ = false; // the last answer read was stored already
    QString marcaGravado(AbastecimentoRejeitado& r);
    QString continuaAEspera(AbastecimentoRejeitado& r, const Erro& erro);
    static void altera(AbastecimentoRejeitado& r);

    Conexao& conexao_;
    RegistroEventos& registro_;
    const Relogio& relogio_;
    Configuracao cfg_;
    BicoAutomacao bicoAutomacao_{conexao_};
    Bico bico_{conexao_};
    Produto produto_{conexao_};
    Estoque estoque_{conexao_};
    Abastecimento abastecimento_{conexao_};
    EncerranteAtual encerranteAtual_{conexao_};
    ParametroEmpresa parametroEmpresa_{conexao_};
    CartaoIdentFid cartaoIdentFid_{conexao_};
    LeitorAbastecimento leitor_{{registro_, cfg_, bicoAutomacao_, bico_, produto_, estoque_}};
    GravacaoAbastecimento gravacao_{{cfg_,
                                     registro_,
                                     conexao_,
                                     abastecimento_,
                                     encerranteAtual_,
                                     parametroEmpresa_,
                                     cartaoIdentFid_,
                                     {}}};
};

} // namespace talvero
