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
    virtual void abre() = 0; // raises talvero::Erro
    virtual void fecha() = 0;
    virtual bool aberto() const = 0;
    virtual void escreve(const QByteArray& bytes) = 0;
    virtual qsizetype disponiveis() = 0; // bytes arrived and not yet read
    virtual QByteArray le() = 0;         // takes everything arrived
    virtual void descarta() = 0;         // drops everything arrived
    // Blocks the thread for at most `maxMs` until more bytes arrive (no window
    // events run, as inside a library call). Returns true when bytes arrived.
    virtual bool aguardaDados(int maxMs) = 0;
};

// Serial ports go by the names the configuration gives them: "COMn" (n from 1)
// or, elsewhere than on Windows, the path of a device ("/dev/ttyUSB0").
inline QString nomePortaSerial(int numero) {
    return QStringLiteral("COM") + QString::number(numero);
}
inline bool portaPorCaminho(const QString& porta) {
#ifdef Q_OS_WIN
    Q_UNUSED(porta);
    return false;
#else
    return porta.startsWith(QLatin1Char('/'));
#endif
}
// n of "COMn"; 0 for any other name.
inline int numeroPortaSerial(const QString& porta) {
    if (!porta.startsWith(QLatin1String("COM")) || porta.size() < 4 || porta.size() > 6) return 0;
    int n = 0;
    for (const QChar c : QStringView(porta).sliced(3)) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return 0;
        n = n * 10 + (c.unicode() - '0');
    }
    return n;
}

class FabricaCanais {
public:
    virtual ~FabricaCanais() = default;
    virtual std::unique_ptr<CanalBytes> serial(const QString& porta) = 0;
    virtual std::unique_ptr<CanalBytes> tcp(const QString& host, quint16 porta) = 0;
};

} // namespace talvero
