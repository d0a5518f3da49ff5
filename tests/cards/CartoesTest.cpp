#include "estacao/Estacao.h"

namespace talvero::teste {
namespace {

// The identifier answers a card write on the serial line only after the command
// gave up waiting: its answer reaches the port while the cycle asks for fuelings,
// and must never be taken for one (nor acknowledge one).
TEST(CartoesPelaSerial, RespostaAtrasadaDoIdentificadorNaoViraAbastecimento) {
    // Every phase of the cycle's requests, the answer a little or much too late.
    for (int fase = 0; fase < 12; ++fase) {
        const int atrasoMs = fase % 2 ? 1200 : 2600;
        Estacao e;
        e.iniciaAgente();
        e.roda(3000 + 250 * fase);
        for (const char* bico : {"01", "02", "03"})
            e.nucleo.geraAbastecimento(QString::fromLatin1(bico), M("10"));
        e.vigias.antesDeEnviar = [&](const QByteArray& b) {
            if (!b.startsWith("(?F27G")) return;
            e.nucleo.falhas().atrasoMs = atrasoMs;
            e.nucleo.falhas().atraso.proximas = 1;
        };
        EXPECT_EQ(e.agente().cartoes().AutoIncluiCartaoIdentFid(QStringLiteral("0123456789ABCDEF")),
                  QString());
        EXPECT_TRUE(e.esvazia(kMinuto));
        EXPECT_TRUE(e.rejeitados().isEmpty()) << atrasoMs;
        e.confereComOLivro();
    }
}

// A card whose write and erase frames add up to a multiple of 256 after "(": both
// carry the three-digit checksum "100", and the identifier takes them.
TEST(CartoesNaEstacao, ChecksumDeTresDigitosGravaEApaga) {
    const QString cartao = QStringLiteral("F1E3456789ABCDEF"); // erased at 000006, also a multiple
    for (const bool biblioteca : {false, true}) {
        sim::ConfiguracaoConcentrador c;
        if (biblioteca) c.leiaute = sim::Leiaute::IdentFid;
        Estacao e(c);
        if (biblioteca) e.defineIni(QStringLiteral("Usar Dll da Company"), QStringLiteral("SIM"));
        for (int r = 0; r < 6; ++r)
            e.nucleo.cartoes().defineRegistro(
                r, QStringLiteral("AAAABBBBCCCCDD%1").arg(r, 2, 10, QLatin1Char('0')));
        e.iniciaAgente();
        e.roda(3000);
        EXPECT_EQ(e.agente().cartoes().AutoIncluiCartaoIdentFid(cartao),
                  QStringLiteral("000006|@|"))
            << biblioteca;
        EXPECT_EQ(e.nucleo.cartoes().posicaoDe(cartao), 6) << biblioteca;
        e.agente().cartoes().AutoExcluiCartaoIdentFid(cartao, QStringLiteral("000006"));
        EXPECT_EQ(e.nucleo.cartoes().posicaoDe(cartao), std::nullopt) << biblioteca;
        EXPECT_EQ(e.nucleo.quadrosIgnorados(), 0) << biblioteca;
    }
}

// A card command turns the automation back on as it ends, whatever state it found
// it in (a pause's request too); a refused card sends nothing and changes nothing.
TEST(CartoesNaEstacao, ComandoTerminaComAAutomacaoLigada) {
    for (const bool biblioteca : {false, true}) {
        sim::ConfiguracaoConcentrador c;
        if (biblioteca) c.leiaute = sim::Leiaute::IdentFid;
        Estacao e(c);
        if (biblioteca) e.defineIni(QStringLiteral("Usar Dll da Company"), QStringLiteral("SIM"));
        e.iniciaAgente();
        e.roda(3000);
        Temporizador& timer = *e.agente().TimerAutomacao;
        timer.setHabilitado(false);
        e.agente().cartoes().AutoLerCartaoIdentFid(QStringLiteral("0123456789ABCDEF"),
                                                   QStringLiteral("000001"));
        EXPECT_TRUE(timer.habilitado()) << biblioteca;
        timer.setHabilitado(false);
        EXPECT_EQ(e.agente().cartoes().AutoIncluiCartaoIdentFid(QStringLiteral("curto")),
                  QStringLiteral("|@|"));
        EXPECT_FALSE(timer.habilitado()) << biblioteca;
    }
}

} // namespace
} // namespace talvero::teste
