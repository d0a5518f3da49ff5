#include "Concentrador.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimeZone>

using namespace talvero;
using namespace talvero::sim;
using namespace talvero::sim::teste;

namespace {

std::vector<EventoLivro> eventos(const LivroAbastecimentos& l) {
    std::vector<EventoLivro> v;
    for (const RegistroLivro& r : l.eventos()) v.push_back(r.evento);
    return v;
}

} // namespace

TEST(FilaAbastecimentos, OMaisAntigoVoltaAteSerConfirmado) {
    Concentrador c;
    EXPECT_EQ(c.pede(), u"(0)");
    c.responde(QStringLiteral("(&I)"));  // nothing waiting: recorded with id 0
    const auto a = c.nucleo.geraAbastecimento(QStringLiteral("01"), m(u"10"));
    const auto b = c.nucleo.geraAbastecimento(QStringLiteral("02"), m(u"20"));
    const QString primeiro = c.nucleo.livro().abastecimento(a).resposta;
    EXPECT_EQ(c.pede(), primeiro);
    EXPECT_EQ(c.responde(QStringLiteral("(&A67)")), primeiro);
    EXPECT_EQ(c.responde(QStringLiteral("(&I)")), QString());
    EXPECT_EQ(c.pede(), c.nucleo.livro().abastecimento(b).resposta);
    c.responde(QStringLiteral("(&I)"));
    EXPECT_EQ(c.pede(), u"(0)");

    const LivroAbastecimentos& l = c.nucleo.livro();
    EXPECT_EQ(l.entregas(a), 2);
    EXPECT_EQ(l.entregas(b), 1);
    EXPECT_TRUE(l.confirmado(a) && l.confirmado(b));
    using E = EventoLivro;
    EXPECT_EQ(eventos(l), (std::vector<E>{E::Confirmado, E::Criado, E::Criado, E::Entregue, E::Entregue, E::Confirmado,
                                          E::Entregue, E::Confirmado}));
    EXPECT_EQ(l.eventos()[0].id, 0);
    EXPECT_EQ(l.confirmados().size(), 2u);
}

TEST(FilaAbastecimentos, FramesComChecksumErradoSaoIgnorados) {
    Concentrador c;
    c.nucleo.geraAbastecimento(QStringLiteral("01"), m(u"10"));
    EXPECT_EQ(c.responde(QStringLiteral("(&A68)")), QString());
    EXPECT_EQ(c.responde(QStringLiteral("(?V96)")), QString());
    const QString grava = MontaComando(QStringLiteral("(?F27G1111222233334444") + QString(16, QLatin1Char('0')));
    QString gravaErrado = grava;
    gravaErrado[gravaErrado.size() - 2] = gravaErrado.at(gravaErrado.size() - 2) == QLatin1Char('0') ? QLatin1Char('1') : QLatin1Char('0');
    EXPECT_EQ(c.responde(gravaErrado), QString());
    EXPECT_FALSE(c.nucleo.cartoes().posicaoDe(QStringLiteral("1111222233334444")));
    EXPECT_EQ(c.responde(QStringLiteral("(&X)")), QString());
    EXPECT_EQ(c.nucleo.framesIgnorados(), 4);
    EXPECT_EQ(c.nucleo.livro().entregas(1), 0);
    EXPECT_EQ(c.responde(grava).size(), 52);
}

TEST(FilaAbastecimentos, RelogioAcertadoDataOsAbastecimentos) {
    Concentrador c;
    EXPECT_EQ(c.responde(QStringLiteral("(&H031245)")), u"(0)(&H)");
    c.avancaSegundos(90);
    c.nucleo.geraAbastecimento(QStringLiteral("01"), m(u"5"));
    EXPECT_EQ(em(c.pede(), 26, 6), u"031246");
    EXPECT_EQ(c.nucleo.relogioConcentrador().date(), QDate(2026, 12, 3));

    EXPECT_EQ(c.responde(QStringLiteral("(&H322400)")), QString());  // no such day, hour
    EXPECT_EQ(c.nucleo.relogioConcentrador().date(), QDate(2026, 12, 3));

    ConfiguracaoConcentrador cfg;
    cfg.respostaRelogio = QStringLiteral("(&H)");
    Concentrador outro(cfg);
    outro.relogio.defineMs(QDateTime(QDate(2026, 11, 10), QTime(9, 0), QTimeZone::utc()).toMSecsSinceEpoch());
    EXPECT_EQ(outro.responde(QStringLiteral("(&H310800)")), u"(&H)");
    EXPECT_EQ(outro.nucleo.relogioConcentrador().date(), QDate(2026, 10, 31));  // November has no 31st
}

TEST(FilaAbastecimentos, EncerranteVoltaAZeroNoMilhaoQuandoPedido) {
    ConfiguracaoConcentrador cfg;
    cfg.rolloverMilhao = true;
    Concentrador c(cfg);
    c.nucleo.defineEncerrante(QStringLiteral("01"), m(u"999990"));
    c.nucleo.geraAbastecimento(QStringLiteral("01"), m(u"15"));
    EXPECT_EQ(em(c.pede(), 38, 10), u"0000000500");
    EXPECT_THROW(c.nucleo.defineEncerrante(QStringLiteral("01"), m(u"1000000")), Erro);

    Concentrador semRollover;
    semRollover.nucleo.defineEncerrante(QStringLiteral("01"), m(u"999990"));
    semRollover.nucleo.geraAbastecimento(QStringLiteral("01"), m(u"15"));
    EXPECT_EQ(em(semRollover.pede(), 38, 10), u"0100000500");
}

TEST(FilaAbastecimentos, TrafegoGeradoDependeSoDaSemente) {
    auto respostas = [](std::uint64_t semente, int passoS) {
        ConfiguracaoConcentrador cfg;
        cfg.taxaPorMinuto = 6;
        cfg.semente = semente;
        Concentrador c(cfg);
        for (int s = 0; s < 1800; s += passoS) c.avancaSegundos(passoS);
        QStringList v;
        for (const auto& a : c.nucleo.livro().abastecimentos()) v << a.resposta;
        return v;
    };
    const QStringList a = respostas(7, 1);
    EXPECT_GT(a.size(), 60);
    EXPECT_LT(a.size(), 300);
    EXPECT_EQ(a, respostas(7, 15));  // however often the clock is looked at
    EXPECT_NE(a, respostas(8, 1));
}

TEST(FilaAbastecimentos, TotaisBatemComPrecoVezesLitrosEEncerrantesSomam) {
    ConfiguracaoConcentrador cfg;
    cfg.taxaPorMinuto = 20;
    Concentrador c(cfg);
    c.avancaSegundos(3600);
    std::map<QString, Moeda> somados;
    for (const auto& a : c.nucleo.livro().abastecimentos()) {
        ASSERT_EQ(a.total, a.litros.vezes(a.preco).arredondada(2));
        somados[a.codigoBico] = somados[a.codigoBico] + a.litros;
        ASSERT_EQ(a.encerrante, Moeda::deDezMilesimos(somados[a.codigoBico].dezMilesimos() / 100 * 100));
    }
}

TEST(FilaAbastecimentos, LivroEmArquivoCsvEJsonl) {
    QTemporaryDir dir;
    for (const bool json : {false, true}) {
        Concentrador c;
        const QString caminho = dir.filePath(json ? QStringLiteral("l.jsonl") : QStringLiteral("l.csv"));
        c.nucleo.livro().gravaEm(caminho, json ? FormatoLivro::JsonLinhas : FormatoLivro::Csv);
        c.nucleo.geraAbastecimento(QStringLiteral("02"), m(u"12.5"), QStringLiteral("CARTAO,COM\"ASPAS"));
        c.pede();
        c.responde(QStringLiteral("(&I)"));
        QFile f(caminho);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> linhas = f.readAll().split('\n');
        ASSERT_EQ(linhas.size(), json ? 4 : 5);  // the last one is empty
        if (json) {
            const QJsonObject o = QJsonDocument::fromJson(linhas[1]).object();
            EXPECT_EQ(o.value(QStringLiteral("evento")).toString(), u"entregue");
            EXPECT_EQ(o.value(QStringLiteral("litros")).toString(), u"12.500");
            EXPECT_EQ(o.value(QStringLiteral("cartao")).toString(), u"CARTAO,COM\"ASPAS");
            EXPECT_EQ(o.value(QStringLiteral("resposta")).toString(), c.nucleo.livro().abastecimento(1).resposta);
        } else {
            EXPECT_TRUE(linhas[0].startsWith("evento,id,ms,"));
            EXPECT_TRUE(linhas[3].startsWith("confirmado,1,"));
            EXPECT_TRUE(linhas[1].contains(",\"CARTAO,COM\"\"ASPAS\","));
        }
    }
    Concentrador c;
    EXPECT_THROW(c.nucleo.livro().gravaEm(dir.filePath(QStringLiteral("nao/existe.csv")), FormatoLivro::Csv), Erro);
}

TEST(FilaAbastecimentos, RespostaDeRoteiroEntregueComoEstaELidaParaOLivro) {
    Concentrador c;
    c.nucleo.geraAbastecimento(QStringLiteral("01"), m(u"10"));
    const QString bruta = c.pede();
    c.responde(QStringLiteral("(&I)"));
    c.nucleo.enfileiraResposta(QStringLiteral("(LIXO)"));
    c.nucleo.enfileiraResposta(bruta);
    EXPECT_EQ(c.pede(), u"(LIXO)");
    c.responde(QStringLiteral("(&I)"));
    EXPECT_EQ(c.pede(), bruta);
    const auto& repetido = c.nucleo.livro().abastecimento(3);
    EXPECT_TRUE(repetido.roteiro);
    EXPECT_EQ(repetido.codigoBico, u"01");
    EXPECT_EQ(repetido.litros, m(u"10"));
    EXPECT_TRUE(c.nucleo.livro().abastecimento(2).codigoBico.isEmpty());
}
