#pragma once

#include "comum/Ajuda.h"
#include "cycle/CicloAutomacao.h"
#include "cycle/LogMemoria.h"
#include "link/EnlaceConcentrador.h"
#include "platform/TempoVirtual.h"
#include "store/Abastecimento.h"
#include "store/AbastecimentoRejeitado.h"
#include "store/Cadastros.h"
#include "store/Conexao.h"
#include "store/GravacaoAbastecimento.h"

#include <memory>

namespace talvero::teste {

// One run of the agent's heart on the virtual clock: the database objects, the
// link on the given serial control and library, TimerAutomacao and the cycle, as
// the window composes them. Destroying it is the process ending without a word.
class AgenteDeTeste {
public:
    AgenteDeTeste(AgendadorVirtual& agendador, RegistroEventos& registro, Configuracao& cfg, const OpcoesBanco& banco,
                  ControleSerial& serial, BibliotecaConcentrador& biblioteca);

    // As the link opening does: the library's serial port 1, or the own port 1
    // with the cycle back at the clock step; then TimerAutomacao runs.
    void abreLink();

    QList<Abastecimento> abastecimentos() { return Abastecimento::Lista(conexao); }
    QList<AbastecimentoRejeitado> rejeitados() { return AbastecimentoRejeitado::Lista(conexao); }
    Moeda encerranteAtual(int bico);

    Configuracao& cfg;
    ArquivosMemoria semIni;
    Conexao conexao;
    BicoAutomacao bicoAutomacao{conexao};
    Bico bico{conexao};
    Produto produto{conexao};
    Estoque estoque{conexao};
    CartaoIdentFid cartaoIdentFid{conexao};
    ParametroEmpresa parametroEmpresa{conexao};
    EncerranteAtual encerrante{conexao};
    Abastecimento abastecimento{conexao};
    AbastecimentoRejeitado rejeitado{conexao};
    GravacaoAbastecimento gravacao;
    EnlaceConcentrador enlace;
    std::unique_ptr<Temporizador> timerAutomacao;
    bool lAutomacaoPausada = false;
    CicloAutomacao ciclo;
};

// The station's registers: nozzle codes 01-04 are nozzles 1-4, 0C is nozzle 5;
// products 1-3 with their prices; every nozzle with a current totalizer of 0.
void CadastraEstacao(Conexao& conexao);

// A fueling answer with its checksum, from its fields: 75 characters with a
// card, 52 with a totalizer, 34 without either.
QString RespostaAbastecimento(const QString& total, const QString& litros, const QString& preco,
                              const QString& duracao, const QString& codigoBico, const QString& dia,
                              const QString& hora, const QString& minuto, const QString& encerrante = {},
                              const QString& cartao = {});

} // namespace talvero::teste
