#pragma once

#include "RoteiroCanal.h"
#include "comum/LogMemoria.h"
#include "platform/PlataformaDeTeste.h"
#include "shell/JanelaSemTela.h"
#include "shell/MenuAutomacao.h"
#include "store/Conexao.h"

#include <memory>

namespace talvero::fuzz {

// The event log kept in memory only: a run of millions of inputs would fill the disk.
class ArquivosSemLog : public teste::ArquivosComLog {
public:
    using ArquivosComLog::ArquivosComLog;
    void acrescentaLinha(const QString& caminho, const QString& linha) override;
};

// The agent as the executable builds it, loaded on the test platform with the
// station's registers, its lines to the concentrator played by a RoteiroCanal.
// One per transport and answer layout, made on first use and kept for the run.
class AgenteFuzz {
public:
    static AgenteFuzz& de(bool biblioteca, bool identFid);

    // Starts an input: the lines' answers, and what the last one left recorded dropped.
    MenuAutomacao& prepara(const QByteArray& roteiro);

    RoteiroCanal canais;
    PlataformaDeTeste mundo{canais};

private:
    AgenteFuzz(bool biblioteca, bool identFid);
    void escreveIni(bool biblioteca, bool identFid);

    ArquivosSemLog arquivos_{&mundo.arquivos};
    JanelaSemTela janela_;
    std::unique_ptr<MenuAutomacao> agente_;
};

// Nozzles 01-04 and 0C, products with and without a stock price.
void CadastraEstacao(Conexao& banco);

// Every fuzz program runs Qt's SQL and codecs: one application object for the process.
void IniciaQt();

} // namespace talvero::fuzz
