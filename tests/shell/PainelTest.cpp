#include "estacao/Estacao.h"
#include "shell/FormMenuAutomacao.h"
#include "shell/PainelEstado.h"
#include "support/Instalacao.h"

#include <QLabel>

namespace talvero::teste {
namespace {

const QString kSerial = QStringLiteral("Controle serial COM1 — ");

// The panel of the real agent on the simulator, a few minutes before midnight.
TEST(Painel, SilencioAbastecimentosQuarentenaEMeiaNoite) {
    Estacao e({}, QDateTime(QDate(2026, 12, 5), QTime(23, 57)));
    e.iniciaAgente();
    const auto p = [&e] { return e.janela().painel(); };
    e.roda(5000);
    EXPECT_EQ(p().comunicacao, kSerial + "respondendo, última resposta 23:57:04");
    e.nucleo.falhas().silencio.proximas = 1000;
    e.roda(9000);
    EXPECT_FALSE(p().comunicacaoEmAlerta);
    e.roda(2000);
    EXPECT_EQ(p().comunicacao, kSerial + "sem resposta desde 23:57:05");
    EXPECT_TRUE(p().comunicacaoEmAlerta);
    // Nothing says it works while the line is silent, the status file least of all.
    const auto situacao = [&e] {
        return QString::fromUtf8(e.mundo.arquivos.le(instalacao::kArquivoSituacao));
    };
    EXPECT_FALSE(
        (p().cabecalho + p().automacao + e.mundo.icone.dicaAtual).contains("em funcionamento"));
    EXPECT_TRUE(situacao().contains("\nenlace=sem_resposta\nultima_resposta=2026-12-05T23:57:05"))
        << situacao().toStdString();
    e.nucleo.falhas().silencio.proximas = 0;
    e.roda(3000);
    EXPECT_FALSE(p().comunicacaoEmAlerta) << p().comunicacao.toStdString();

    // A fueling handed over again after a lost acknowledgement is counted once.
    e.banco().executa("teste", "DELETE FROM BicoAutomacao WHERE Codigo = '02'");
    e.nucleo.falhas().confirmacaoPerdida.proximas = 1;
    e.nucleo.geraAbastecimento(QStringLiteral("01"), M("10"));
    e.nucleo.geraAbastecimento(QStringLiteral("02"), M("5"));
    e.nucleo.geraAbastecimento(QStringLiteral("01"), M("20.5"));
    e.roda(kMinuto);
    const QString contagem =
        QStringLiteral("2 gravados hoje — último: 23:57:05, bico 1, 20,500 L, R$ 118,70");
    const QString quarentena =
        "1 resposta — para listar: talvero-dados --root " + e.mundo.caminhos.raiz() + " rejeitados";
    const auto confere = [&] {
        EXPECT_EQ(std::tuple(p().abastecimentos, p().quarentena, p().quarentenaEmAlerta),
                  std::tuple(contagem, quarentena, true));
        EXPECT_EQ(e.mundo.icone.dicaAtual, e.janela().titulo() + "\nOK · 2 hoje · 1 em quarentena");
    };
    confere();
    e.iniciaAgente(); // a new run reads them from the database
    e.roda(2000);
    confere();

    e.agente().ciclo().pausa(); // the line let go: no fault
    e.roda(2 * kMinuto);
    EXPECT_FALSE(p().comunicacaoEmAlerta);
    EXPECT_FALSE(
        (p().cabecalho + p().automacao + e.mundo.icone.dicaAtual).contains("em funcionamento"));
    // Unchanged, the status file still beats every 30 s: a heartbeat that stops means the agent
    // did.
    const QString batimento = situacao().section("batimento=", 1).section('\n', 0, 0);
    e.roda(31'000);
    EXPECT_NE(situacao().section("batimento=", 1).section('\n', 0, 0), batimento);
    EXPECT_TRUE(situacao().contains("\npausada=sim\n"));
    EXPECT_EQ(p().resumo, QStringList({"Pausada", "0 hoje", "1 em quarentena"}));
    EXPECT_TRUE(p().abastecimentos.startsWith("nenhum gravado hoje — último: 05/12/2026 23:57:05"))
        << p().abastecimentos.toStdString();
    // Without a screen the log hears of it at each new hour.
    EXPECT_EQ(e.conta(" - Situação: Pausada · 0 hoje · 1 em quarentena"), 1);
}

// Litres pumped with the automation off show the moment the next fueling of the
// nozzle is stored, wherever someone looks, and again after a restart.
TEST(Painel, LacunaDeEncerranteDitaNaHoraEmTodaParte) {
    Estacao e;
    e.iniciaAgente();
    const auto p = [&e] { return e.janela().painel(); };
    e.nucleo.geraAbastecimento(QStringLiteral("01"), M("10"));
    e.roda(kMinuto);
    EXPECT_EQ(std::tuple(p().encerrantes, p().encerrantesEmAlerta),
              std::tuple(QStringLiteral("conferem"), false));
    e.nucleo.defineEncerrante(QStringLiteral("01"),
                              e.nucleo.encerrante(QStringLiteral("01")) + M("25"));
    e.nucleo.geraAbastecimento(QStringLiteral("01"), M("5"));
    e.roda(kMinuto);
    const QString lacuna = "1 lacuna hoje, 25 L — para ver: talvero-dados --root " +
                           e.mundo.caminhos.raiz() + " encerrantes";
    const auto confere = [&] {
        EXPECT_EQ(std::tuple(p().encerrantes, p().encerrantesEmAlerta), std::tuple(lacuna, true));
        EXPECT_EQ(e.mundo.icone.dicaAtual, e.janela().titulo() + "\nOK · 1 lacuna de encerrante");
        const QString situacao =
            QString::fromUtf8(e.mundo.arquivos.le(instalacao::kArquivoSituacao));
        EXPECT_TRUE(situacao.contains("\nlacunas_encerrante_hoje=1\nlitros_lacunas_hoje=25.000\n"))
            << situacao.toStdString();
    };
    confere();
    EXPECT_EQ(e.conta("Lacuna de encerrante no bico 1: 25 L entre"), 1);
    EXPECT_EQ(e.saidaErro.filter("1 lacuna(s) de encerrante hoje, 25 L").size(), 1)
        << e.saidaErro.join('\n').toStdString();
    e.iniciaAgente();
    e.roda(2000);
    confere();
}

// Paused, the cycle asks nothing: a resume is no silence until the line has had
// its time to answer again, and a lost database is never "OK".
TEST(Painel, RetomadaNaoEhSilencioESemBancoNaoEhOk) {
    PainelEstado painel;
    const QDateTime t0(QDate(2026, 12, 7), QTime(10, 0));
    PainelEstado::Momento m;
    m.agora = t0, m.recepcao = {t0, 0};
    painel.textos(m);
    m.pausada = true;
    m.agora = t0.addSecs(300), m.agoraMs = 300'000;
    painel.textos(m);
    m.pausada = false;
    m.agora = t0.addSecs(301), m.agoraMs = 301'000;
    EXPECT_NE(painel.textos(m).resumo.value(0), "Sem resposta");
    EXPECT_EQ(painel.enlace(m), Acompanhamento::Enlace::Respondendo);
    m.agora = t0.addSecs(312), m.agoraMs = 312'000;
    EXPECT_EQ(painel.textos(m).resumo.value(0), "Sem resposta");
    m.bancoPerdido = true;
    m.recepcao = {m.agora, m.agoraMs};
    const TextosPainel t = painel.textos(m);
    EXPECT_EQ(t.resumo.value(0), "Sem banco de dados");
    EXPECT_FALSE((t.cabecalho + t.automacao).contains("em funcionamento"));
}

TEST(PainelNaJanela, RotulosDoPainelENadaNoLog) {
    FormMenuAutomacao form;
    Estacao e;
    form.show();
    e.iniciaAgente(&form);
    e.roda(kHora);
    EXPECT_TRUE(form.lblComunicacao->text().startsWith(kSerial + "respondendo"))
        << form.lblComunicacao->text().toStdString();
    EXPECT_EQ(form.lblBanco->text(), "SQLite " + e.opcoesBanco.arquivo);
    EXPECT_EQ(form.lblAutomacao->text(), "em funcionamento");
    EXPECT_EQ(e.conta(" - Situação:"), 0);
}

} // namespace
} // namespace talvero::teste
