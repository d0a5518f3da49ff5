#include "Concentrador.h"

#include "simulator/FabricaCanaisSimulador.h"

using namespace talvero;
using namespace talvero::sim;
using namespace talvero::sim::teste;
using namespace talvero::teste;

namespace {

// The agent's side: a line from the factory, as the serial control or the
// vendor library gets it.
struct Linha : Concentrador {
    Linha() : canais(nucleo, relogio), canal(canais.serial(3)) { canal->abre(); }

    QByteArray pedeBytes(const QByteArray& frame, int maxMs = 2000) {
        canal->escreve(frame);
        canal->aguardaDados(maxMs);
        return canal->le();
    }
    QString pedeEEspera(const QString& frame, int maxMs = 2000) {
        return ansi::decodifica(pedeBytes(ansi::codifica(frame), maxMs));
    }

    FabricaCanaisSimulador canais;
    std::unique_ptr<CanalBytes> canal;
};

} // namespace

TEST(LinhaVirtual, RespostaChegaSoDepoisDoAtrasoEDaTransmissao) {
    Linha l;
    const std::int64_t t0 = l.relogio.ms();
    l.canal->escreve("(&S)");
    EXPECT_EQ(l.canal->disponiveis(), 0);
    l.relogio.avancaMs(30);
    EXPECT_EQ(l.canal->disponiveis(), 0);
    EXPECT_TRUE(l.canal->aguardaDados(500));
    const std::int64_t levou = l.relogio.ms() - t0;
    EXPECT_GE(levou, 30 + 51);  // thinking time, then 51 characters at 9600 baud
    EXPECT_LE(levou, 100);
    EXPECT_EQ(l.canal->le().size(), 51);

    l.canal->escreve("(&I)");
    const std::int64_t t1 = l.relogio.ms();
    EXPECT_FALSE(l.canal->aguardaDados(500));
    EXPECT_EQ(l.relogio.ms() - t1, 500);
}

TEST(LinhaVirtual, FramesEmPedacosEComRuidoSaoEntendidosERuidoAntesDaResposta) {
    Linha l;
    l.canal->escreve("\x01xx(&");
    l.canal->escreve("S)~~(&V)");
    l.relogio.avancaMs(1000);
    const QByteArray r = l.canal->le();
    EXPECT_EQ(r.size(), 51 + 3);
    EXPECT_TRUE(r.endsWith("(0)"));

    // Noise from the concentrator's side before its answer: never a parenthesis.
    l.nucleo.falhas().ruido.proximas = 1;
    l.nucleo.falhas().bytesRuido = 5;
    const QByteArray comRuido = l.pedeBytes("(&V)");
    ASSERT_EQ(comRuido.size(), 5 + 3);
    EXPECT_FALSE(comRuido.left(5).contains('(') || comRuido.left(5).contains(')'));
}

TEST(LinhaVirtual, RespostaPartidaChegaEmDuasLeituras) {
    Linha l;
    l.nucleo.geraAbastecimento(QStringLiteral("01"), m(u"10"));
    l.nucleo.falhas().partida.proximas = 1;
    l.canal->escreve("(&A)");
    l.relogio.avancaMs(300);
    const QByteArray primeira = l.canal->le();
    EXPECT_GT(primeira.size(), 0);
    EXPECT_LT(primeira.size(), 52);
    l.relogio.avancaMs(600);
    EXPECT_EQ(ansi::decodifica(primeira + l.canal->le()), l.nucleo.livro().abastecimento(1).resposta);
    EXPECT_EQ(l.pedeEEspera(QStringLiteral("(&A)")).size(), 52);  // once only
}

TEST(LinhaVirtual, AdulteradaTrocaUmDigitoEDeixaOChecksumSemConferir) {
    Linha l;
    l.nucleo.geraAbastecimento(QStringLiteral("01"), m(u"10"));
    const QString certa = l.nucleo.livro().abastecimento(1).resposta;
    for (int i = 0; i < 50; ++i) {
        l.nucleo.falhas().adulterada.proximas = 1;
        const QString r = l.pedeEEspera(QStringLiteral("(&A67)"));
        ASSERT_EQ(r.size(), 52);
        int diferentes = 0;
        for (int p = 0; p < 52; ++p) diferentes += r.at(p) != certa.at(p);
        ASSERT_EQ(diferentes, 1);
        ASSERT_EQ(em(r, 50, 2), em(certa, 50, 2));
        ASSERT_NE(em(r, 50, 2), ChecksumFrame(em(r, 2, 48)));
    }
    EXPECT_EQ(l.pedeEEspera(QStringLiteral("(&A67)")), certa);
    const auto& eventos = l.nucleo.livro().eventos();
    EXPECT_FALSE(eventos[1].integra);
    EXPECT_TRUE(eventos.back().integra);
}

TEST(LinhaVirtual, SilencioTruncadaEAtraso) {
    Linha l;
    PlanoFalhas& f = l.nucleo.falhas();
    f.silencio.proximas = 1;
    EXPECT_EQ(l.pedeEEspera(QStringLiteral("(&S)")), QString());
    f.truncada.proximas = 1;
    f.tamanhoTruncado = 20;
    EXPECT_EQ(l.pedeEEspera(QStringLiteral("(&S)")).size(), 20);
    f.atraso.proximas = 1;
    EXPECT_EQ(l.pedeEEspera(QStringLiteral("(&S)"), 2000), QString());
    l.relogio.avancaMs(1500);
    EXPECT_EQ(l.canal->le().size(), 51);
}

TEST(LinhaVirtual, ConfirmacaoPerdidaEntregaOMesmoDeNovo) {
    Linha l;
    l.nucleo.geraAbastecimento(QStringLiteral("01"), m(u"10"));
    l.nucleo.falhas().confirmacaoPerdida.proximas = 1;
    const QString r = l.pedeEEspera(QStringLiteral("(&A)"));
    l.canal->escreve("(&I)");
    EXPECT_EQ(l.pedeEEspera(QStringLiteral("(&A)")), r);
    l.canal->escreve("(&I)");
    EXPECT_EQ(l.pedeEEspera(QStringLiteral("(&A)")), u"(0)");
    const auto& ev = l.nucleo.livro().eventos();
    EXPECT_EQ(std::count_if(ev.begin(), ev.end(), [](const RegistroLivro& e) { return e.evento == EventoLivro::ConfirmacaoPerdida; }), 1);
    EXPECT_TRUE(l.nucleo.livro().confirmado(1));
}

TEST(LinhaVirtual, DesconexaoPerdeOFrameEFechaALinha) {
    Linha l;
    l.nucleo.geraAbastecimento(QStringLiteral("01"), m(u"10"));
    l.nucleo.falhas().desconexao.proximas = 1;
    l.canal->escreve("(&A)");
    EXPECT_FALSE(l.canal->aguardaDados(500));
    EXPECT_FALSE(l.canal->aberto());
    EXPECT_EQ(erroDe([&] { l.canal->escreve("(&A)"); }), erros::PortaFechada);
    EXPECT_EQ(l.nucleo.livro().entregas(1), 0);
    l.canal->abre();
    EXPECT_EQ(l.pedeEEspera(QStringLiteral("(&A)")).size(), 52);

    l.canais.desconectaTodas();
    EXPECT_FALSE(l.canal->aberto());
}

TEST(LinhaVirtual, FabricaSoAbrePortasExistentesELivres) {
    Concentrador c;
    FabricaCanaisSimulador canais;
    EXPECT_THROW(canais.serial(3), Erro);  // not joined yet
    canais.liga(c.nucleo, c.relogio);
    canais.permiteSerial(3);
    canais.permiteTcp(QStringLiteral("10.0.0.5"), 4001);
    EXPECT_EQ(erroDe([&] { canais.serial(4)->abre(); }), erros::PortaInvalida);
    auto a = canais.serial(3);
    a->abre();
    auto b = canais.serial(3);
    EXPECT_EQ(erroDe([&] { b->abre(); }), erros::PortaEmUso);
    a.reset();
    b->abre();
    EXPECT_THROW(canais.tcp(QStringLiteral("10.0.0.6"), 4001)->abre(), Erro);
    auto t = canais.tcp(QStringLiteral("10.0.0.5"), 4001);
    t->abre();
    EXPECT_EQ(canais.aberturas(), 3);
    EXPECT_EQ(canais.linhas().size(), 2u);  // the refused one and the one let go are gone
}
