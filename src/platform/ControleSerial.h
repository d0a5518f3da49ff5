#pragma once

#include <QString>

namespace talvero {

// The serial communications control of the window. Operations other than the
// settings and the open state raise talvero::Erro (erros::PortaFechada) while the
// port is closed; opening a port that does not exist or is in use raises too.
class ControleSerial {
public:
    virtual ~ControleSerial() = default;

    virtual bool portaAberta() const = 0;
    virtual void setPortaAberta(bool aberta) = 0;
    virtual void setNumeroPorta(int porta) = 0;
    // A device path that names the port in place of its number ("/dev/ttyUSB0");
    // empty: the number.
    virtual void setDispositivo(const QString& caminho) = 0;
    virtual void setConfiguracao(const QString& configuracao) = 0; // "9600,n,8,1"

    virtual void envia(const QString& texto) = 0; // Output: 8-bit text, nothing appended
    virtual int quantidadeRecebida() = 0;         // InBufferCount
    virtual void descartaEntrada() = 0;           // InBufferCount = 0
    virtual QString leEntrada() = 0;              // Input: everything received so far
    virtual QString espiaEntrada() = 0;           // what Input would give, left in the buffer

    virtual int tamanhoBufferEntrada() const = 0; // InBufferSize (1024)
    virtual int tamanhoLeitura() const = 0;       // InputLen (0 = all)
};

} // namespace talvero
