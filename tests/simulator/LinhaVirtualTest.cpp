#include "Concentrador.h"

#include "ensaio/LinhaVirtual.h"

using namespace talvero;
using namespace talvero::sim;
using namespace talvero::sim::teste;
using namespace talvero::teste;

namespace {

// The agent's side of an in-memory line to the core.
struct Linha : Concentrador {
    Linha() { canal.abre(); }
    QString troca(const char* quadro) {
        canal.escreve(quadro);
        canal.aguardaDados(2000);
        return ansi::decodifica(canal.le());
    }
    LinhaVirtual canal{nucleo, relogio, QStringLiteral("COM3")};
};

} // namespace

TEST(LinhaVirtual, RespostaChegaSoDepoisDoAtrasoEDaTransmissao) {
    Linha l;
    const std::int64_t t0 = l.relogio.ms();
    l.canal.escreve("(&S)");
    l.relogio.avancaMs(30);
    EXPECT_EQ(l.canal.disponiveis(), 0);
    EXPECT_TRUE(l.canal.aguardaDados(500));
    EXPECT_GE(l.relogio.ms() - t0, 30 + 51); // thinking time, then 51 characters at 9600 baud
    EXPECT_LE(l.relogio.ms() - t0, 100);
    EXPECT_EQ(l.canal.le().size(), 51);
}

// With the concentrator's own line speed the answer trickles in: a reader
// polling every 25 ms sees it partly there.
TEST(LinhaVirtual, ComVelocidadeARespostaChegaAosPoucos) {
    ConfiguracaoConcentrador cfg;
    cfg.atrasoRespostaMs = 60;
    cfg.baud = 9600;
    Concentrador c(cfg);
    LinhaVirtual canal{c.nucleo, c.relogio, QStringLiteral("COM3")};
    canal.abre();
    canal.escreve("(&S)"); // 5 ms to get there, 60 to think, 54 for 51 characters
    std::vector<qsizetype> vistos;
    for (int i = 0; i < 5; ++i) {
        c.relogio.avancaMs(25);
        vistos.push_back(canal.disponiveis());
    }
    EXPECT_EQ(vistos, (std::vector<qsizetype>{0, 0, 8, 32, 51}));
}

// A fault strikes the next answer to "(&S)" only: what has come 400 ms after the
// frame, and in all 4 s later. Noise never holds a parenthesis.
TEST(LinhaVirtual, CadaFalhaDeEntregaFazOQueDiz) {
    const QByteArray versao = ansi::codifica(Concentrador().responde(QStringLiteral("(&S)")));
    const struct {
        const char* nome;
        Falha PlanoFalhas::*falha;
        qsizetype primeiro, total;
    } casos[] = {{"silencio", &PlanoFalhas::silencio, 0, 0},
                 {"truncada", &PlanoFalhas::truncada, 20, 20},
                 {"atraso", &PlanoFalhas::atraso, 0, 51},
                 {"ruido", &PlanoFalhas::ruido, 5 + 51, 5 + 51},
                 {"partida", &PlanoFalhas::partida, 25, 51}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        Linha l;
        l.nucleo.falhas().tamanhoTruncado = 20;
        l.nucleo.falhas().bytesRuido = 5;
        (l.nucleo.falhas().*c.falha).proximas = 1;
        l.canal.escreve("(&S)");
        l.relogio.avancaMs(400);
        const QByteArray primeiro = l.canal.le();
        l.relogio.avancaMs(4000);
        const QByteArray tudo = primeiro + l.canal.le();
        EXPECT_EQ(std::pair(primeiro.size(), tudo.size()), std::pair(c.primeiro, c.total));
        const qsizetype abre = tudo.indexOf('(');
        EXPECT_EQ(tudo.count('('), abre < 0 ? 0 : 1);
        EXPECT_TRUE(versao.startsWith(tudo.mid(abre < 0 ? tudo.size() : abre)));
        EXPECT_EQ(l.troca("(&S)"), QString::fromLatin1(versao));
    }
}

TEST(LinhaVirtual, AdulteradaTrocaUmDigitoEDeixaOChecksumSemConferir) {
    Linha l;
    l.nucleo.geraAbastecimento(QStringLiteral("01"), m(u"10"));
    const QString certa = l.nucleo.livro().abastecimento(1).resposta;
    for (int i = 0; i < 30; ++i) {
        l.nucleo.falhas().adulterada.proximas = 1;
        const QString r = l.troca("(&A67)");
        int diferentes = 0;
        for (int p = 0; p < certa.size(); ++p)
            diferentes += r.mid(p, 1) != certa.mid(p, 1);
        ASSERT_EQ(std::tuple(r.size(), diferentes, em(r, 50, 2)),
                  std::tuple(qsizetype(52), 1, em(certa, 50, 2)));
        ASSERT_NE(em(r, 50, 2), ChecksumQuadro(em(r, 2, 48)));
    }
    EXPECT_EQ(l.troca("(&A67)"), certa);
    EXPECT_FALSE(l.nucleo.livro().eventos()[1].integra);
    EXPECT_TRUE(l.nucleo.livro().eventos().back().integra);
}

TEST(LinhaVirtual, ConfirmacaoPerdidaEntregaOMesmoDeNovoEDesconexaoPerdeOFrame) {
    Linha l;
    l.nucleo.geraAbastecimento(QStringLiteral("01"), m(u"10"));
    l.nucleo.falhas().confirmacaoPerdida.proximas = 1;
    const QString r = l.troca("(&A)");
    l.canal.escreve("(&I)");
    EXPECT_EQ(l.troca("(&A)"), r);
    l.canal.escreve("(&I)");
    EXPECT_EQ(l.nucleo.livro().eventos()[2].evento, EventoLivro::ConfirmacaoPerdida);
    EXPECT_TRUE(l.nucleo.livro().confirmado(1));

    l.nucleo.geraAbastecimento(QStringLiteral("01"), m(u"10"));
    l.nucleo.falhas().desconexao.proximas = 1;
    l.canal.escreve("(&A)");
    EXPECT_FALSE(l.canal.aguardaDados(500));
    EXPECT_FALSE(l.canal.aberto());
    EXPECT_EQ(erroDe([&] { l.canal.escreve("(&A)"); }), erros::PortaFechada);
    EXPECT_EQ(l.nucleo.livro().entregas(2), 0);
    l.canal.abre();
    EXPECT_EQ(l.troca("(&A)").size(), 52);
}
