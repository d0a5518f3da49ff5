#include "estacao/Estacao.h"

namespace talvero::teste {
namespace {

using Tipo = OperadorRoteirizado::Tipo;
const QString kCartao = QStringLiteral("1234567890123456");
const QString kAusente = QStringLiteral("FEDCBA9876543210");

sim::ConfiguracaoConcentrador concentrador(bool biblioteca) {
    sim::ConfiguracaoConcentrador c;
    if (biblioteca) c.leiaute = sim::Leiaute::IdentFid;
    return c;
}

// The operator at the card menu, on both transports, against the identifier's
// table: what is asked, what is told, and what goes over the link.
TEST(DialogosCartao, IncluiPesquisaLeExcluiComoOOperadorVe) {
    for (const bool biblioteca : {false, true}) {
        Estacao e(concentrador(biblioteca));
        if (biblioteca) e.defineIni(QStringLiteral("Usar Dll da Company"), QStringLiteral("SIM"));
        for (int r = 0; r < 2; ++r)
            e.nucleo.cartoes().defineRegistro(r, QStringLiteral("AAAABBBBCCCCDD0%1").arg(r));
        MenuAutomacao& a = e.iniciaAgente();
        e.roda(3000);
        OperadorRoteirizado& op = e.mundo.operador;
        // No box waiting for the operator holds the other programs' requests back.
        int pedidosParados = 0;
        op.aoExibir = [&](const OperadorRoteirizado::Exibicao& x) {
            pedidosParados += x.tipo != Tipo::Progresso && !a.TimerArquivo->habilitado();
        };
        const auto ultima = [&] {
            return std::pair(op.exibidas.back().titulo, op.exibidas.back().texto);
        };
        const auto responde = [&](const QString& entrada, void (MenuAutomacao::*clique)()) {
            op.exibidas.clear();
            op.respostasEntrada = {entrada};
            (a.*clique)();
        };

        responde(kCartao.left(15), &MenuAutomacao::mnuIncluiCartao_Click);
        EXPECT_EQ(ultima(), std::pair(QStringLiteral("Operação Cancelada!"),
                                      QStringLiteral("O cartão deve ter 16 caracteres.")));
        responde(kCartao, &MenuAutomacao::mnuIncluiCartao_Click);
        EXPECT_EQ(
            op.exibidas[0].texto,
            "Informe o número do cartão a ser incluído no IdentFid (contendo 16 caracteres).");
        EXPECT_EQ(ultima(), std::pair(QStringLiteral("Inclusão OK no IdentFid!"),
                                      "O cartão: " + kCartao +
                                          "\r\n foi incluído na posição:000002 do IdentFid."))
            << biblioteca;
        responde(kCartao, &MenuAutomacao::mnuPesquisaPosicaoCartao_Click);
        EXPECT_EQ(ultima(),
                  std::pair(QStringLiteral("Posição de Cartão Identificada!"),
                            "O Registro do cartão: " + kCartao + " está na posição=000002"));
        EXPECT_EQ(op.exibidas[op.exibidas.size() - 2].texto,
                  "Pesquisando o cartão " + kCartao + " registro 3 de 51");
        responde(QStringLiteral("000002"), &MenuAutomacao::mnuLerCartao_Click);
        EXPECT_EQ(ultima().first, QStringLiteral("Leitura OK no IdentFid!"));
        responde(QStringLiteral("000001"), &MenuAutomacao::mnuLerCartao_Click);
        EXPECT_EQ(ultima().first, QStringLiteral("Erro Leitura IdentFid!"));
        responde(kCartao, &MenuAutomacao::mnuExcluiCartao_Click);
        EXPECT_EQ(
            ultima(),
            std::pair(QStringLiteral("Exclusão OK no IdentFid!"),
                      "O cartão: " + kCartao +
                          "\r\nEstava registrado na posição:000002\r\n foi excluído no IdentFid."));
        EXPECT_EQ(e.nucleo.cartoes().posicaoDe(kCartao), std::nullopt);
        responde(kAusente, &MenuAutomacao::mnuExcluiCartao_Click);
        EXPECT_EQ(ultima().second,
                  "O cartão não existe no IdentFid.\r\nPor este motivo não poderá ser excluído.");

        // The operator stops the search of an erase after three records: nothing more is
        // read, nothing erased, and only the search's end is told.
        const auto leituras = [&] {
            return std::count_if(
                e.nucleo.quadrosRecebidos().begin(), e.nucleo.quadrosRecebidos().end(),
                [](const QString& f) { return f.startsWith("(?LF") || f.startsWith("(?F27A"); });
        };
        const auto antes = leituras();
        op.cancelaProgressoApos = 3;
        responde(kAusente, &MenuAutomacao::mnuExcluiCartao_Click);
        op.cancelaProgressoApos = -1;
        EXPECT_EQ(leituras() - antes, 3);
        EXPECT_EQ(ultima().first, QStringLiteral("Pesquisa Cancelada!"));
        EXPECT_TRUE(a.TimerArquivo->habilitado() && a.TimerAutomacao->habilitado());
        EXPECT_EQ(pedidosParados, 0);
    }
}

// The trial writes the test card and, if the operator wishes, erases it; the
// vendor library only stops and restarts the automation.
TEST(DialogosCartao, LerIdentificadoresGravaEApagaOCartaoDeTeste) {
    Estacao e;
    MenuAutomacao& a = e.iniciaAgente();
    e.roda(3000);
    e.mundo.operador.respostasPergunta = {true};
    a.cmdLeituraIdentificador_Click();
    const auto& vistas = e.mundo.operador.exibidas;
    ASSERT_EQ(vistas.size(), 3u);
    EXPECT_TRUE(vistas[0].texto.startsWith("Qtd=52\r\n(?G000000000000eeeeeeeeeeeeeeee"))
        << vistas[0].texto.toStdString();
    EXPECT_EQ(vistas[1].tipo, Tipo::Pergunta);
    EXPECT_EQ(vistas[2].texto, QStringLiteral("Qtd=52"));
    EXPECT_TRUE(e.nucleo.cartoes().gravados().empty());
    EXPECT_TRUE(a.TimerAutomacao->habilitado());

    // The device gone in the middle: requests and the automation go on all the same.
    a.transportes.serial().setPortaAberta(false);
    a.cmdLeituraIdentificador_Click();
    EXPECT_TRUE(a.TimerArquivo->habilitado() && a.TimerAutomacao->habilitado());
}

// A click while the cycle waits for a fueling runs once the cycle is done.
TEST(DialogosCartao, CliqueDuranteATrocaDoCicloEsperaAVez) {
    Estacao e(concentrador(true));
    e.defineIni(QStringLiteral("Usar Dll da Company"), QStringLiteral("SIM"));
    MenuAutomacao& a = e.iniciaAgente();
    e.roda(3000);
    e.mundo.operador.respostasEntrada = {kCartao};
    e.nucleo.geraAbastecimento(QStringLiteral("01"), M("10"));
    e.vigias.antesDeEnviar = [&](const QByteArray& b) {
        if (!b.startsWith("(&A")) return;
        e.vigias.antesDeEnviar = nullptr;
        e.mundo.agendador.umaVez(100, [&] { a.mnuIncluiCartao_Click(); });
    };
    e.roda(10'000);
    const auto& f = e.nucleo.quadrosRecebidos();
    const auto grava =
        std::find_if(f.begin(), f.end(), [](const QString& q) { return q.startsWith("(?F27G"); });
    ASSERT_NE(grava, f.end());
    EXPECT_FALSE(std::prev(grava)->startsWith("(&A"));
    EXPECT_EQ(e.mundo.operador.exibidas.back().titulo, QStringLiteral("Inclusão OK no IdentFid!"));
    e.confereComOLivro();
}

} // namespace
} // namespace talvero::teste
