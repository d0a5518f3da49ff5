#pragma once

#include "platform/MapaCaminhos.h"
#include "platform/SistemaArquivos.h"

namespace talvero {

// The file system through the path map. Tests use it on a temporary root.
class SistemaArquivosLocal : public SistemaArquivos {
public:
    explicit SistemaArquivosLocal(const MapaCaminhos& caminhos);

    bool existe(const QString& caminho) const override;
    void acrescentaLinha(const QString& caminho, const QString& linha) override;
    using SistemaArquivos::criaTexto;
    void criaTexto(const QString& caminho, const QStringList& linhas,
                   const std::function<void()>& antesDeFechar) override;
    void substitui(const QString& caminho, const QByteArray& bytes) override;
    QByteArray le(const QString& caminho) const override;
    void apaga(const QString& caminho, bool forcado) override;
    void move(const QString& origem, const QString& destino) override;
    QList<EntradaPasta> entradas(const QString& pasta, const QString& padrao,
                                 int maximo) const override;
    std::optional<EntradaPasta> entrada(const QString& caminho) const override;
    QByteArray leRegular(const QString& caminho, qint64 limite) const override;

private:
    // Mapped path; raises "path not found" for a share path without a computer name.
    QString local(const QString& caminho) const;

    const MapaCaminhos& caminhos_;
};

} // namespace talvero
