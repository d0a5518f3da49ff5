#pragma once

#include "platform/CanalBytes.h"
#include "platform/ControleSerial.h"

#include <QByteArray>
#include <memory>

namespace talvero {

// The window's serial communications control on a byte stream: a port number
// and line settings, opened by setting the open state. Like the control, it keeps
// an input buffer of 1024 characters (what does not fit is dropped) and hands
// over everything at each read.
class ControleSerialCanal : public ControleSerial {
public:
    static constexpr int kTamanhoBufferEntrada = 1024;

    explicit ControleSerialCanal(FabricaCanais& canais);
    ~ControleSerialCanal() override;

    bool portaAberta() const override;
    // Opening an open port or a port number below 1 raises, as does a device that
    // does not exist or is in use. Closing a closed port does nothing.
    void setPortaAberta(bool aberta) override;
    void setNumeroPorta(int porta) override;              // raises while the port is open
    void setDispositivo(const QString& caminho) override; // raises while the port is open
    // The line always runs at 9600,n,8,1, the only setting the program uses.
    void setConfiguracao(const QString& configuracao) override { configuracao_ = configuracao; }
    const QString& configuracao() const { return configuracao_; }

    void envia(const QString& texto) override;
    int quantidadeRecebida() override;
    void descartaEntrada() override;
    QString leEntrada() override;
    QString espiaEntrada() override;

    int tamanhoBufferEntrada() const override { return kTamanhoBufferEntrada; }
    int tamanhoLeitura() const override { return 0; }

private:
    void abre();
    void fecha();
    void exigeFechada() const;
    void exigeAberta() const;
    QString nome() const;
    void recolhe();

    FabricaCanais& canais_;
    std::unique_ptr<CanalBytes> canal_;
    int porta_ = 1;
    QString dispositivo_;
    QString configuracao_ = QStringLiteral("9600,n,8,1");
    QByteArray entrada_;
};

} // namespace talvero
