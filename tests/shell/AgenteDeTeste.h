#pragma once

#include "comum/Ajuda.h"
#include "platform/BibliotecaConcentrador.h"
#include "platform/CanalBytes.h"
#include "platform/PlataformaDeTeste.h"
#include "shell/JanelaSemTela.h"
#include "shell/MenuAutomacao.h"

#include <QStringList>
#include <memory>
#include <vector>

namespace talvero::teste {

// A line to a concentrator that never answers: the link opens, nothing comes back.
class CanalMudo : public CanalBytes {
public:
    void abre() override { aberto_ = true; }
    void fecha() override { aberto_ = false; }
    bool aberto() const override { return aberto_; }
    void escreve(const QByteArray&) override {}
    qsizetype disponiveis() override { return 0; }
    QByteArray le() override { return {}; }
    void descarta() override {}
    bool aguardaDados(int) override { return false; }

private:
    bool aberto_ = false;
};

class CanaisMudos : public FabricaCanais {
public:
    std::unique_ptr<CanalBytes> serial(int porta) override;
    std::unique_ptr<CanalBytes> tcp(const QString&, quint16) override { return std::make_unique<CanalMudo>(); }
    std::vector<int> portasPedidas;
    bool falham = false;  // every port fails as one that does not exist
};

// The vendor library of a test: answers 1 and records the calls.
class BibliotecaGravador : public BibliotecaConcentrador {
public:
    std::int16_t VB_OpenSerial(std::int16_t porta) override { return chama(QStringLiteral("VB_OpenSerial %1").arg(porta)); }
    std::int16_t VB_OpenSocket(const QString& e) override { return chama(QStringLiteral("VB_OpenSocket ") + e); }
    std::int16_t VB_SendText(const QString& t) override { return chama(QStringLiteral("VB_SendText ") + t); }
    std::int16_t VB_ReceiveText(QString&) override { return chama(QStringLiteral("VB_ReceiveText")); }
    std::int16_t VB_SendReceiveText(QString&, std::int32_t) override { return chama(QStringLiteral("VB_SendReceiveText")); }
    std::int16_t VB_CloseSerial() override { return chama(QStringLiteral("VB_CloseSerial")); }
    std::int16_t VB_CloseSocket() override { return chama(QStringLiteral("VB_CloseSocket")); }

    QStringList chamadas;

private:
    std::int16_t chama(const QString& c) {
        chamadas.append(c);
        return 1;
    }
};

// The agent in a test: virtual time, a throw-away root with the program folder,
// recording adapters, the window without a screen, the database in a SQLite file
// under the root and a concentrator that opens but never answers.
class AgenteDeTeste {
public:
    // `outraJanela` replaces the window without a screen (a real one, for instance).
    explicit AgenteDeTeste(JanelaPrincipal* outraJanela = nullptr);

    // Writes C:\Talvero\AutoTalvero\AutoTalvero.INI from lines joined with CR LF.
    void escreveIni(const QStringList& linhas);
    // A complete configuration for this computer (host CAIXA01), serial control on COM1.
    static QStringList iniCompleto();
    // The lines of the current log file, without the time of day (first 8 characters).
    QStringList log() const;
    QByteArray logBruto() const;

    CanaisMudos canais;
    PlataformaDeTeste mundo{canais};
    JanelaSemTela janela;
    BibliotecaGravador* biblioteca = nullptr;  // once loaded by the agent
    MenuAutomacao menu;
};

} // namespace talvero::teste
