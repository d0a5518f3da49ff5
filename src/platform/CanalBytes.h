#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

namespace talvero {

// A byte stream to the concentrator: a serial device or a TCP connection in real
// life, an in-memory line to the simulator in tests. The serial control and the
// vendor library are built on it.
class CanalBytes {
public:
    virtual ~CanalBytes() = default;
    virtual void abre() = 0;                      // raises talvero::Erro
    virtual void fecha() = 0;
    virtual bool aberto() const = 0;
    virtual void escreve(const QByteArray& bytes) = 0;
    virtual qsizetype disponiveis() = 0;          // bytes arrived and not yet read
    virtual QByteArray le() = 0;                  // takes everything arrived
    virtual void descarta() = 0;                  // drops everything arrived
    // Blocks the thread for at most `maxMs` until more bytes arrive (no window
    // events run, as inside a library call). Returns true when bytes arrived.
    virtual bool aguardaDados(int maxMs) = 0;
};

class FabricaCanais {
public:
    virtual ~FabricaCanais() = default;
    virtual std::unique_ptr<CanalBytes> serial(int porta) = 0;
    virtual std::unique_ptr<CanalBytes> tcp(const QString& host, quint16 porta) = 0;
};

} // namespace talvero
