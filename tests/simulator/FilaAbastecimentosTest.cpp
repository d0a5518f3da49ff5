#include "Concentrador.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimeZone>

using namespace talvero;
using namespace talvero::sim;
using namespace talvero::sim::teste;

TEST(FilaAbastecimentos, OMaisAntigoVoltaAteSerConfirmado) {
    Concentrador c;
    EXPECT_EQ(c.pede(), u"(0)");
    c.confirma(); // nothing waiting: recorded with id 0
    const auto a = c.nucleo.geraAbastecimento(QStringLiteral("01"), m(u"10"));
    const auto b = c.nucleo.geraAbastecimento(QStringLiteral("02"), m(u"20"));
    const QString primeiro = c.nucleo.livro().abastecimento(a).resposta;
    EXPECT_EQ(c.pede(), primeiro);
    EXPECT_EQ(c.responde(QStringLiteral("(&A67)")), primeiro);
    EXPECT_EQ(c.responde(QStringLiteral("(&I)")), QString());
    EXPECT_EQ(c.pede(), c.nucleo.livro().abastecimento(b).resposta);
    c.confirma();
    EXPECT_EQ(c.pede(), u"(0)");

    using E = EventoLivro;
    std::vector<std::pair<E, std::int64_t>> eventos;
    for (const RegistroLivro& r : c.nucleo.livro().eventos())
        eventos.emplace_back(r.evento, r.id);
    EXPECT_EQ(eventos, (std::vector<std::pair<E, std::int64_t>>{{E::Confirmado, 0},
                                                                {E::Criado, a},
                                                                {E::Criado, b},
                                                                {E::Entregue, a},
                                                                {E::Entregue, a},
                                                                {E::Confirmado, a},
                                                                {E::Entregue, b},
                                                                {E::Confirmado, b}}));
}

TEST(FilaAbastecimentos, FramesComChecksumErradoOuDesconhecidosSaoIgnorados) {
    Concentrador c;
    c.nucleo.geraAbastecimento(QStringLiteral("01"), m(u"10"));
    const QString grava =
        MontaComando(QStringLiteral("(?F27G1111222233334444") + QString(16, QLatin1Char('0')));
    QString gravaErrado = grava;
    gravaErrado[gravaErrado.size() - 2] = gravaErrado.at(gravaErrado.size() - 2) == QLatin1Char('0')
                                              ? QLatin1Char('1')
                                              : QLatin1Char('0');
    for (const QString& quadro :
         {QStringLiteral("(&A68)"), QStringLiteral("(?V96)"), gravaErrado, QStringLiteral("(&X)")})
        EXPECT_EQ(c.responde(quadro), QString()) << quadro.toStdString();
    EXPECT_EQ(std::pair(c.nucleo.quadrosIgnorados(), c.nucleo.livro().entregas(1)),
              std::pair(std::int64_t(4), 0));
    EXPECT_FALSE(c.nucleo.cartoes().posicaoDe(QStringLiteral("1111222233334444")));
    EXPECT_EQ(c.responde(grava).size(), 52);
}

TEST(FilaAbastecimentos, RelogioAcertadoDataOsAbastecimentos) {
    Concentrador c;
    EXPECT_EQ(c.responde(QStringLiteral("(&H031245)")), u"(0)(&H)");
    c.avancaSegundos(90);
    c.nucleo.geraAbastecimento(QStringLiteral("01"), m(u"5"));
    EXPECT_EQ(em(c.pede(), 26, 6), u"031246");
    EXPECT_EQ(c.responde(QStringLiteral("(&H322400)")), QString()); // no such day, hour
    EXPECT_EQ(c.nucleo.relogioConcentrador().date(), QDate(2026, 12, 3));

    ConfiguracaoConcentrador cfg;
    cfg.respostaRelogio = QStringLiteral("(&H)");
    Concentrador outro(cfg);
    outro.relogio.defineMs(
        QDateTime(QDate(2026, 11, 10), QTime(9, 0), QTimeZone::utc()).toMSecsSinceEpoch());
    EXPECT_EQ(outro.responde(QStringLiteral("(&H310800)")), u"(&H)");
    EXPECT_EQ(outro.nucleo.relogioConcentrador().date(),
              QDate(2026, 10, 31)); // November has no 31st
    // Running late on the last of the month, set to the 1st: the next month.
    outro.relogio.defineMs(
        QDateTime(QDate(2027, 7, 31), QTime(23, 58), QTimeZone::utc()).toMSecsSinceEpoch());
    outro.nucleo.defineAdiantamento(0);
    EXPECT_EQ(outro.responde(QStringLiteral("(&H010003)")), u"(&H)");
    EXPECT_EQ(outro.nucleo.relogioConcentrador().date(), QDate(2027, 8, 1));
}

TEST(FilaAbastecimentos, LivroEmArquivoCsvEJsonl) {
    QTemporaryDir dir;
    for (const bool json : {false, true}) {
        Concentrador c;
        const QString caminho =
            dir.filePath(json ? QStringLiteral("l.jsonl") : QStringLiteral("l.csv"));
        c.nucleo.livro().gravaEm(caminho, json ? FormatoLivro::JsonLinhas : FormatoLivro::Csv);
        c.nucleo.geraAbastecimento(QStringLiteral("02"), m(u"12.5"),
                                   QStringLiteral("CARTAO,COM\"ASPAS"));
        c.pede();
        c.confirma();
        QFile f(caminho);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> linhas = f.readAll().split('\n');
        ASSERT_EQ(linhas.size(), json ? 4 : 5); // the CSV has a header; the last line is empty
        if (json) {
            EXPECT_EQ(QJsonDocument::fromJson(linhas[1]).object().value("litros").toString(),
                      u"12.500");
        }
        if (!json) {
            EXPECT_TRUE(linhas[1].contains(",\"CARTAO,COM\"\"ASPAS\","));
            EXPECT_TRUE(linhas[3].startsWith("confirmado,1,"));
        }
    }
    EXPECT_THROW(
        Concentrador().nucleo.livro().gravaEm(dir.filePath("nao/existe.csv"), FormatoLivro::Csv),
        Erro);
}

// Replayed answers go out as they are; the ledger reads their fields when it can.
TEST(FilaAbastecimentos, RespostaDeRoteiroEntregueComoEstaELidaParaOLivro) {
    Concentrador c;
    c.nucleo.geraAbastecimento(QStringLiteral("01"), m(u"10"));
    const QString bruta = c.pede();
    c.confirma();
    QString estragada = bruta;
    estragada[4] = QLatin1Char('x');
    for (const QString& r : {QStringLiteral("(LIXO)"), estragada, bruta}) {
        c.nucleo.enfileiraResposta(r);
        EXPECT_EQ(c.pede(), r);
        c.confirma();
    }
    const LivroAbastecimentos& l = c.nucleo.livro();
    EXPECT_TRUE(l.abastecimento(2).codigoBico.isEmpty() && l.abastecimento(3).codigoBico.isEmpty());
    EXPECT_TRUE(l.abastecimento(4).roteiro);
    EXPECT_EQ(std::pair(l.abastecimento(4).codigoBico, l.abastecimento(4).litros),
              std::pair(QString("01"), m(u"10")));
}

// Pumped with the automation off, across the million: the next answer's totalizer
// has counted it, and only the ledger knows of it.
TEST(FilaAbastecimentos, AbastecimentoManualSoMoveOEncerrante) {
    ConfiguracaoConcentrador cfg;
    cfg.viraNoMilhao = true;
    Concentrador c(cfg);
    c.nucleo.defineEncerrante(QStringLiteral("01"), m(u"999990.005"));
    c.nucleo.falhas().manual.proximas = 1;
    const auto manual = c.nucleo.geraAbastecimento(QStringLiteral("01"), m(u"10.004"));
    const auto entregue = c.nucleo.geraAbastecimento(QStringLiteral("01"), m(u"5"));
    const QString resposta = c.pede();
    EXPECT_EQ(resposta, c.nucleo.livro().abastecimento(entregue).resposta);
    EXPECT_EQ(em(resposta, 38, 10), u"0000000500");
    c.confirma();
    EXPECT_EQ(c.pede(), u"(0)");

    const LivroAbastecimentos& l = c.nucleo.livro();
    const AbastecimentoSimulado& a = l.abastecimento(manual);
    EXPECT_TRUE(a.manual && !l.abastecimento(entregue).manual);
    EXPECT_EQ(
        std::tuple(a.codigoBico, a.litros, a.encerranteInicial, a.encerrante, l.entregas(manual)),
        std::tuple(QString("01"), m(u"10.004"), m(u"999990"), Moeda(), 0));
    EXPECT_EQ(l.eventos().front().evento, EventoLivro::Manual);
}
