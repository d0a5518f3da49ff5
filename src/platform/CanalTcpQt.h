#pragma once

#include "platform/CanalBytes.h"

#include <QTcpSocket>

namespace talvero {

// TCP connection to the concentrator (or to a serial-to-network converter in
// front of it). Connecting waits a bounded time; bytes that reached the operating
// system are seen without any event loop having run.
class CanalTcpQt : public CanalBytes {
public:
    static constexpr int kEsperaConexaoMs = 3000;

    CanalTcpQt(QString host, quint16 porta);
    ~CanalTcpQt() override;

    // Raises Erro (CaminhoNaoEncontrado) when the connection cannot be made.
    void abre() override;
    void fecha() override;
    bool aberto() const override;
    void escreve(const QByteArray& bytes) override;
    qsizetype disponiveis() override;
    QByteArray le() override;
    void descarta() override;
    bool aguardaDados(int maxMs) override;

private:
    QString endereco() const;
    QString motivoFalha() const;
    void recolhe();

    QString host_;
    quint16 porta_;
    QTcpSocket socket_;
};

} // namespace talvero
