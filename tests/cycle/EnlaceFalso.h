#pragma once

#include "platform/BibliotecaConcentrador.h"
#include "platform/ControleSerial.h"
#include "platform/Erro.h"

#include <QStringList>
#include <functional>
#include <utility>

namespace talvero::teste {

// A serial control whose input the test fills; `aoEnviar` plays the concentrator.
class SerialFalso : public ControleSerial {
public:
    bool portaAberta() const override { return aberta; }
    void setPortaAberta(bool a) override { aberta = a; }
    void setNumeroPorta(int p) override { porta = p; }
    int numeroPorta() const override { return porta; }
    void setConfiguracao(const QString&) override {}
    void envia(const QString& texto) override {
        exigeAberta();
        enviados << texto;
        if (aoEnviar) aoEnviar(texto);
    }
    int quantidadeRecebida() override {
        exigeAberta();
        return int(entrada.size());
    }
    void descartaEntrada() override {
        exigeAberta();
        entrada.clear();
    }
    QString leEntrada() override {
        exigeAberta();
        return std::exchange(entrada, QString());
    }
    int tamanhoBufferEntrada() const override { return 1024; }
    int tamanhoLeitura() const override { return 0; }

    bool aberta = true;
    int porta = 1;
    QString entrada;
    QStringList enviados;
    std::function<void(const QString&)> aoEnviar;

private:
    void exigeAberta() const {
        if (!aberta) throw Erro(QStringLiteral("Operação válida somente com a porta aberta"), erros::PortaFechada);
    }
};

// A vendor library that answers each frame through `responde` and records the calls.
class BibliotecaFalsa : public BibliotecaConcentrador {
public:
    std::int16_t VB_OpenSerial(std::int16_t) override { return 1; }
    std::int16_t VB_OpenSocket(const QString&) override { return 1; }
    std::int16_t VB_SendText(const QString& texto) override {
        chamadas << QStringLiteral("Send ") + texto;
        recebido += responde ? responde(texto) : QString();
        return codigoEnvio;
    }
    std::int16_t VB_ReceiveText(QString& texto) override {
        chamadas << QStringLiteral("Receive");
        texto = std::exchange(recebido, QString());
        return 1;
    }
    std::int16_t VB_SendReceiveText(QString& texto, std::int32_t esperaMs) override {
        chamadas << QStringLiteral("SendReceive %1 %2").arg(texto).arg(esperaMs);
        texto = responde ? responde(texto) : QString();
        return 1;
    }
    std::int16_t VB_CloseSerial() override { return 1; }
    std::int16_t VB_CloseSocket() override { return 1; }

    QStringList chamadas;
    QString recebido;
    std::int16_t codigoEnvio = 1;
    std::function<QString(const QString&)> responde;
};

} // namespace talvero::teste
