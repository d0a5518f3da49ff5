#pragma once

#include "store/OpcoesBanco.h"

#include <QStringList>
#include <QTemporaryDir>

namespace talvero::teste {

// pg_ctl on the cluster in `dados`, as the user the throwaway-server script runs it as
// ('postgres' when the tests run as root); false when it fails.
bool pgCtl(const QString& dados, const QStringList& argumentos);

// A PostgreSQL server of the test's own, on loopback, that the test may stop and
// start again (the shared test server must not be stopped under other tests).
class ServidorPgDeTeste {
public:
    // Why the PostgreSQL cases cannot run here; empty when they can. They run when
    // TALVERO_TESTE_PG_* names a test server (PostgreSQL is installed) or under CI.
    static QString motivoParaPular();

    ServidorPgDeTeste();
    ~ServidorPgDeTeste();
    bool pronto() const { return !opcoes_.servidor.isEmpty(); }
    const QString& erro() const { return erro_; }
    const OpcoesBanco& opcoes() const { return opcoes_; }
    void para();
    void inicia();

private:
    bool executa(const QString& programa, const QStringList& argumentos, QString* saida = nullptr);
    bool pgCtl(const QStringList& argumentos);

    QTemporaryDir dir_;
    QString dados_;
    OpcoesBanco opcoes_;
    QString erro_;
};

} // namespace talvero::teste
