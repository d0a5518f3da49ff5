#include "support/RegistroEventos.h"
#include "comum/Ajuda.h"
#include "ensaio/PlataformaDeTeste.h"
#include "platform/OperadorSemJanela.h"

#include <QDir>
#include <QRegularExpression>

using namespace talvero;

// A millisecond before seven: the time of day is cut, never rounded up.
struct Registro : ::testing::Test {
    PlataformaDeTeste p{QDateTime(QDate(2026, 12, 5), QTime(18, 59, 59, 999))};
    RegistroEventos log{p.relogio, p.arquivos, p.operador};
    QStringList saidaErro;

    Registro() {
        log.defineSaidaErro([this](const QString& l) { saidaErro << l; });
    }
    QByteArray conteudo(const char* nome) const {
        QFile f(p.local(QStringLiteral("C:\\Talvero\\AutoTalvero\\") + nome));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<ausente>");
    }
};

TEST_F(Registro, UmArquivoPorHoraInclusiveNaMeiaNoite) {
    p.criaPastaPrograma();
    log.registra(QStringLiteral(" - Ação"));
    log.registra(QStringLiteral(" - outra"));
    p.agendador.avanca(1000);
    log.CriaLogCupom(QStringLiteral("primeira das 19"));
    p.agendador.avancaAte(QDateTime(QDate(2026, 12, 6), QTime(0, 0, 5)));
    log.registra(QStringLiteral(" - madrugada"));
    EXPECT_EQ(conteudo("AUTOMACAO_05_12_2026_18.LOG"),
              "18:59:59 - A\xe7\xe3o\r\n18:59:59 - outra\r\n");
    EXPECT_EQ(conteudo("AUTOMACAO_05_12_2026_19.LOG"), "primeira das 19\r\n");
    EXPECT_EQ(conteudo("AUTOMACAO_06_12_2026_00.LOG"), "00:00:05 - madrugada\r\n");
    EXPECT_TRUE(p.operador.exibidas.empty() && saidaErro.empty());
}

// A value from outside that carries line breaks or terminal escapes stays on its
// one line, in the file and on standard error alike.
TEST_F(Registro, ValorComQuebrasDeLinhaFicaNumaLinha) {
    p.criaPastaPrograma();
    log.registra(QStringLiteral(" - Comando:AUTOMACAO\r\n18:59:59 - forjada\x1b[2J\x7f\t."));
    EXPECT_EQ(conteudo("AUTOMACAO_05_12_2026_18.LOG"),
              "18:59:59 - Comando:AUTOMACAO\\r\\n18:59:59 - forjada\\x1B[2J\\x7F\\t.\r\n");
    QDir(p.local(QStringLiteral("C:\\Talvero"))).removeRecursively();
    log.registra(QStringLiteral(" - \n"));
    EXPECT_EQ(saidaErro, QStringList({"18:59:59 - \\n"}));
}

// Lines that cannot be written go to standard error; the two boxes come once
// per run of failures, and a line written ends the run.
TEST_F(Registro, PastaAusenteAvisaUmaVezPorSequenciaDeFalhas) {
    log.registra(QStringLiteral(" - um"));
    log.registra(QStringLiteral(" - dois"));
    const auto& caixas = p.operador.exibidas;
    ASSERT_EQ(caixas.size(), 2u);
    EXPECT_TRUE(caixas[1].texto.endsWith(QStringLiteral("18:59:59 - um")));
    EXPECT_EQ(saidaErro, QStringList({"18:59:59 - um", "18:59:59 - dois"}));
    EXPECT_FALSE(QDir(p.local(QStringLiteral("C:\\Talvero"))).exists());

    p.criaPastaPrograma();
    log.registra(QStringLiteral(" - tres"));
    EXPECT_FALSE(log.emFalha());
    QDir(p.local(QStringLiteral("C:\\Talvero"))).removeRecursively();
    log.registra(QStringLiteral(" - quatro"));
    ASSERT_EQ(caixas.size(), 4u);
    EXPECT_TRUE(caixas[3].texto.endsWith(QStringLiteral("18:59:59 - quatro")));
}

TEST_F(Registro, HandlersQueRegistramComACaixaAbertaNaoAbremOutras) {
    int aninhadas = 0;
    p.operador.aoExibir = [&](const OperadorRoteirizado::Exibicao&) {
        if (++aninhadas > 10) return; // guard against a runaway test
        log.registra(QStringLiteral(" - tique durante a caixa"));
    };
    log.registra(QStringLiteral(" - falha"));
    EXPECT_EQ(p.operador.exibidas.size(), 2u);
    EXPECT_EQ(saidaErro.size(), 3);
}

TEST_F(Registro, OperadorSemJanelaNaoRealimentaAsPropriasFalhasDoRegistro) {
    RegistroEventos* registro = nullptr;
    OperadorSemJanela semJanela([&](const QString& l) { registro->registraDoOperador(l); });
    RegistroEventos comOperadorSemJanela(p.relogio, p.arquivos, semJanela);
    registro = &comOperadorSemJanela;
    registro->defineSaidaErro([this](const QString& l) { saidaErro << l; });
    registro->registra(QStringLiteral(" - sem pasta"));
    EXPECT_EQ(saidaErro, QStringList({"18:59:59 - sem pasta"}));

    // Its other messages do reach the log.
    p.criaPastaPrograma();
    semJanela.mensagem(QStringLiteral("Aviso"), QStringLiteral("T"), Icone::Nenhum);
    EXPECT_EQ(conteudo("AUTOMACAO_05_12_2026_18.LOG"), "18:59:59 - [T] Aviso\r\n");
}

// A month of hours with a week's retention: only the log's own names go, by the
// date they carry, at the first line of an hour; anything else stays.
TEST_F(Registro, LogsAlemDaRetencaoRemovidosPelaDataDoNome) {
    p.criaPastaPrograma();
    const QString pasta = p.local(QStringLiteral("C:\\Talvero\\AutoTalvero\\"));
    const QStringList alheios{"AUTOMACAO_01_01_2020_05.LOG.bak", "automacao_01_01_2020_05.log",
                              "AUTOMACAO_31_02_2020_05.LOG",     "AUTOMACAO_01_01_2020_24.LOG",
                              "AUTOMACAO_1_01_2020_05.LOG",      "Talvero.db"};
    for (const QString& nome : alheios + QStringList{"AUTOMACAO_01_01_2020_05.LOG"}) {
        QFile f(pasta + nome);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QDir(pasta).mkdir("AUTOMACAO_02_01_2020_05.LOG"));
    log.defineRetencao(7);
    for (int hora = 0; hora < 30 * 24; ++hora) {
        log.registra(QStringLiteral(" - linha"));
        p.agendador.avanca(3'600'000);
    }
    QStringList logs = QDir(pasta).entryList({"AUTOMACAO_*.LOG"}, QDir::Files, QDir::Name);
    for (const QString& nome : alheios)
        EXPECT_TRUE(QFile::exists(pasta + nome)) << nome.toStdString();
    EXPECT_TRUE(QDir(pasta + "AUTOMACAO_02_01_2020_05.LOG").exists());
    EXPECT_FALSE(logs.contains("AUTOMACAO_01_01_2020_05.LOG"));
    // Last line on 04/01 at 17h: seven whole days before it, and today's 18 hours.
    EXPECT_TRUE(logs.contains("AUTOMACAO_28_12_2026_00.LOG") &&
                !logs.contains("AUTOMACAO_27_12_2026_23.LOG"))
        << logs.join(' ').toStdString();
    EXPECT_EQ(logs.filter(QRegularExpression("_202[67]_")).size(), 7 * 24 + 18);
    // One line at each midnight that removed a day, none at the other hours.
    int linhasDeRemocao = 0;
    for (const QString& nome : logs)
        linhasDeRemocao +=
            QString::fromLatin1(conteudo(qPrintable(nome))).count("Logs antigos removidos");
    EXPECT_EQ(linhasDeRemocao, 8);
}
