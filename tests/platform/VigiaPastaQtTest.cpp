#include "platform/VigiaPastaQt.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace talvero;

namespace {

// The system's notices come through the event loop: it runs until one came.
bool aguarda(QEventLoop& laco, const std::function<bool()>& pronto) {
    QTimer limite;
    limite.setSingleShot(true);
    QObject::connect(&limite, &QTimer::timeout, &laco, &QEventLoop::quit);
    limite.start(5000);
    while (!pronto() && limite.isActive())
        laco.exec();
    return pronto();
}

} // namespace

TEST(VigiaPastaQt, AvisaEntradaNovaERenomeadaEFalhaSemAPasta) {
    QTemporaryDir raiz;
    ASSERT_TRUE(QDir().mkpath(raiz.filePath("C/Automacao")));
    MapaCaminhos caminhos(raiz.path());
    VigiaPastaQt vigia(caminhos);
    QEventLoop laco;
    int mudancas = 0;
    QStringList falhas;
    const auto vigiaPasta = [&](const QString& pasta) {
        vigia.vigia(
            pasta,
            [&] {
                ++mudancas;
                laco.quit();
            },
            [&](const QString& motivo) {
                falhas << motivo;
                laco.quit();
            });
    };
    vigiaPasta(QStringLiteral("C:\\Automacao\\"));
    ASSERT_TRUE(falhas.isEmpty());

    QFile novo(raiz.filePath("C/Automacao/Pedido_1.TMP"));
    ASSERT_TRUE(novo.open(QIODevice::WriteOnly));
    novo.close();
    EXPECT_TRUE(aguarda(laco, [&] { return mudancas > 0; }));
    const int antes = mudancas;
    ASSERT_TRUE(novo.rename(raiz.filePath("C/Automacao/Pedido_1.AUT")));
    EXPECT_TRUE(aguarda(laco, [&] { return mudancas > antes; }));

    ASSERT_TRUE(QDir(raiz.filePath("C/Automacao")).removeRecursively());
    EXPECT_TRUE(aguarda(laco, [&] { return !falhas.isEmpty(); }));
    EXPECT_EQ(falhas.size(), 1);

    vigiaPasta(QStringLiteral("C:\\Nenhuma\\"));
    EXPECT_EQ(falhas.size(), 2) << "dito na hora";
}
