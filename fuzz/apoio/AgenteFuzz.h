#pragma once

#include "OraculoLinha.h"
#include "RoteiroCanal.h"
#include "comum/LogMemoria.h"
#include "ensaio/PlataformaDeTeste.h"
#include "shell/JanelaSemTela.h"
#include "shell/MenuAutomacao.h"
#include "store/Conexao.h"
#include "support/Instalacao.h"

#include <memory>

namespace talvero::fuzz {

// The agent's request folder.
inline const QString kPastaPedidos = QStringLiteral("C:\\Automacao\\");

// The event log kept in memory only: a run of millions of inputs would fill the
// disk. Reads go through the request folder's oracle.
class ArquivosSemLog : public teste::ArquivosComLog {
public:
    using ArquivosComLog::ArquivosComLog;
    void acrescentaLinha(const QString& caminho, const QString& linha) override;
    QByteArray le(const QString& caminho) const override;
    QByteArray leRegular(const QString& caminho, qint64 limite) const override;
};

// The agent as the executable builds it, loaded on the test platform with the
// station's registers, its lines to the concentrator played by a RoteiroCanal
// under the line's oracle. One per transport and answer layout, made on first
// use and kept for the run.
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
    bool guardada(const QString& resposta);
    void falhaDoBanco(const QString& operacao);

    ArquivosSemLog arquivos_{&mundo.arquivos};
    JanelaSemTela janela_;
    // The oracle's own connection: it sees what the agent committed.
    Conexao banco_{OpcoesBanco::sqlite(mundo.local(instalacao::kBancoPadrao))};
    OraculoLinha linha_{[this](const QString& resposta) { return guardada(resposta); }};
    int passamAteFalhar_ = -1; // statements of the agent before its database fails; -1: it works
    std::unique_ptr<MenuAutomacao> agente_;
};

// Nozzles 01-04 and 0C, products with and without a stock price.
void CadastraEstacao(Conexao& banco);

// Every fuzz program runs Qt's SQL and codecs: one application object for the process.
void IniciaQt();

} // namespace talvero::fuzz
