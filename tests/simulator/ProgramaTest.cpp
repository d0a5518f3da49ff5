#include "comum/Ajuda.h"
#include "simulator/OpcoesSimulador.h"

using namespace talvero;
using namespace talvero::sim;
using namespace talvero::teste;

TEST(Programa, OpcoesViramConfiguracaoOuErroQueNomeiaAOpcao) {
    const OpcoesSimulador o =
        leOpcoes({"--tcp", "0.0.0.0:4001", "--layout=75", "--bicos", "01:1:5.79:100.5, 0a:2:3.89",
                  "--rollover", "--falha-adulterada", "0,25", "--manual", "0.1",
                  "--so-abastecimentos", "--ledger", "x.JSONL"});
    EXPECT_EQ(std::pair(*o.tcpHost, o.tcpPorta), std::pair(QString("0.0.0.0"), quint16(4001)));
    EXPECT_EQ(o.cfg.leiaute, Leiaute::IdentFid);
    ASSERT_EQ(o.cfg.bicos.size(), 2u);
    EXPECT_EQ(std::pair(o.cfg.bicos[0].encerrante, o.cfg.bicos[1].codigo),
              std::pair(Moeda::deTexto(u"100.5"), QString("0A")));
    EXPECT_TRUE(o.cfg.viraNoMilhao);
    EXPECT_DOUBLE_EQ(o.falhas.adulterada.probabilidade, 0.25);
    EXPECT_DOUBLE_EQ(o.falhas.manual.probabilidade, 0.1);
    EXPECT_TRUE(o.falhas.silencio.soAbastecimentos);
    EXPECT_EQ(o.formatoLivro, FormatoLivro::JsonLinhas);
    // The old names stay, and a format given wins over the file's ending.
    const OpcoesSimulador livro =
        leOpcoes({"--pty", "x", "--livro", "l.jsonl", "--ledger-formato", "csv"});
    EXPECT_EQ(std::pair(livro.livro, livro.formatoLivro),
              std::pair(QString("l.jsonl"), FormatoLivro::Csv));
    const OpcoesSimulador ritmo =
        leOpcoes({"--pty", "x", "--atraso", "80", "--latencia-variacao=15", "--baud", "9600",
                  "--pedacos", "4", "--intervalo-pedacos", "250"});
    EXPECT_EQ(std::tuple(ritmo.cfg.atrasoRespostaMs, ritmo.cfg.variacaoAtrasoMs, ritmo.cfg.baud,
                         ritmo.falhas.pedacos, ritmo.falhas.intervaloPedacosMs),
              std::tuple(80, 15, 9600, 4, 250));

    const std::pair<const char*, const char*> ruins[] = {
        {"--taxa 2", "--serial PORTA ou --tcp"},
        {"--pty x --taxa abc", "--taxa"},
        {"--pty x --nada", "--nada"},
        {"--pty", "--pty"},
        {"--pty x --rollover=1", "--rollover"},
        {"--pty x --bicos 01:1", "--bicos"},
        {"--pty x --falha-ruido 1.5", "--falha-ruido"},
        {"--pty x --pedacos 6", "--pedacos"},
        {"--pty x --baud 100", "baud"},
        {"--pty x --latencia -1", "--latencia"},
        {"--tcp 4001", "HOST:PORTA"}};
    for (const auto& [linha, trecho] : ruins) {
        const QString erro = descricaoDe([&] { leOpcoes(QString::fromUtf8(linha).split(' ')); });
        EXPECT_TRUE(erro.contains(QString::fromUtf8(trecho)))
            << linha << ": " << erro.toStdString();
    }
}

TEST(Programa, RoteiroDeRespostasBrutas) {
    const auto linhas =
        leRoteiro(QStringLiteral("# comentario\r\n(0001)\r\n\r\n  2.5   (0002 X)\n"));
    ASSERT_EQ(linhas.size(), 2u);
    EXPECT_EQ(std::pair(linhas[0].aposMs, linhas[0].resposta),
              std::pair(std::int64_t(0), QString("(0001)")));
    EXPECT_EQ(std::pair(linhas[1].aposMs, linhas[1].resposta),
              std::pair(std::int64_t(2500), QString("(0002 X)")));
    EXPECT_TRUE(descricaoDe([] {
                    leRoteiro(QStringLiteral("(1)\n3\n"));
                }).contains(QStringLiteral("Linha 2")));
}
