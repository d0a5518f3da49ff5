#include "estacao/Estacao.h"
#include "simulator/FormatoRespostas.h"

namespace talvero::teste {
namespace {

const QString kCartao = QStringLiteral("0123456789ABCDEF");

struct Resposta {
    const char* total = "57.90";
    const char* litros = "10";
    const char* preco = "5.79";
    const char* bico = "01";
    int minuto = 30;
    const char* encerrante = "1050";
    sim::Leiaute leiaute = sim::Leiaute::Padrao;
    int casasValor = 3;

    QString texto() const {
        sim::CamposAbastecimento c;
        c.total = M(total);
        c.litros = M(litros);
        c.preco = M(preco);
        c.bico = QString::fromLatin1(bico);
        c.dia = 5;
        c.hora = 17;
        c.minuto = minuto;
        c.encerrante = M(encerrante);
        c.duracao = QStringLiteral("0130");
        c.cartao = kCartao;
        return sim::formataAbastecimento(c, leiaute, 3, casasValor, sim::ModoChecksum::Correto);
    }
};

int confirmados(const Estacao& e) {
    return e.confirmacoesEntre(0, std::numeric_limits<std::int64_t>::max());
}

// The station's own concentrator, nothing waiting; the agent running.
class Ciclo : public ::testing::Test {
protected:
    void SetUp() override { e.iniciaAgente(); }
    void entrega(const QString& resposta) { e.nucleo.enfileiraResposta(resposta); }

    Estacao e;
};

TEST(CicloTransportes, RelogioAteSerAceitoDepoisPedidosEStatusNaOrdemDeCadaTransporte) {
    const std::pair<bool, QStringList> casos[] = {
        // The first clock answer lost: the clock frame goes again, then a fueling request every
        // fifth tick.
        {false, {"(&H051800)", "(&V)", "(&H051800)", "(&V)", "(&V)", "(&V)", "(&V)", "(&A)"}},
        // The library asks for a fueling and polls the status in every tick after the clock.
        {true, {"(&H051800)", "(&V)", "(&A67)", "(&V)", "(&V)", "(&A67)", "(&A67)", "(&V)"}}};
    for (const auto& [biblioteca, quadros] : casos) {
        Estacao e;
        if (biblioteca)
            e.defineIni(QStringLiteral("Usar Dll da Company"), QStringLiteral("SIM"));
        else
            e.nucleo.falhas().silencio.proximas = 1;
        e.iniciaAgente();
        e.roda(20'000);
        const QStringList recebidos(e.nucleo.quadrosRecebidos().begin(),
                                    e.nucleo.quadrosRecebidos().end());
        EXPECT_EQ(recebidos.mid(0, quadros.size()), quadros) << biblioteca;

        // Paused, the cycle leaves the line alone.
        e.agente().ciclo().pausa();
        e.roda(3000);
        const auto antes = e.nucleo.quadrosRecebidos().size();
        e.roda(10'000);
        EXPECT_EQ(e.nucleo.quadrosRecebidos().size(), antes);
    }
}

TEST(CicloTransportes, BibliotecaSoLeOLeiauteIdentFid) {
    Estacao e;
    e.defineIni(QStringLiteral("Usar Dll da Company"), QStringLiteral("SIM"));
    e.iniciaAgente();
    e.nucleo.enfileiraResposta(Resposta{}.texto());
    e.roda(kMinuto);
    EXPECT_TRUE(e.abastecimentos().isEmpty());
    EXPECT_EQ(confirmados(e), 0);
}

TEST_F(Ciclo, PrecoZeroCompletadoDoEstoqueOuDoProduto) {
    e.cadastra("BicoAutomacao.csv", "Codigo,Bico\n0D,6\n0E,7\n");
    e.cadastra("Bico.csv", "Empresa,Bico,Produto,Complemento\n1,7,9,Arla\n");
    e.cadastra("Produto.csv", "Produto,PrecoVenda\n9,2.50\n");
    e.cadastra("Estoque.csv", "Empresa,Produto,PrecoVenda\n1,1,0\n");
    const struct {
        const char* bico;
        const char* litros;
        int bicoGravado;
        const char* preco;
        const char* total;
    } casos[] = {{"03", "10", 3, "5.99", "59.90"}, // the stock's price
                 {"01", "3.333", 1, "5.79",
                  "19.30"},                 // stock price 0: the product's; 3.333 x 5.79 = 19.29807
                 {"0D", "10", 6, "0", "0"}, // a nozzle without register: no product
                 {"0E", "10", 7, "0", "0"}}; // a product without stock
    for (const auto& c : casos)
        entrega(Resposta{"0", c.litros, "0", c.bico}.texto());
    e.roda(kMinuto);
    const auto lista = e.abastecimentos();
    ASSERT_EQ(lista.size(), 4);
    for (const auto& c : casos) {
        const auto a = std::find_if(lista.begin(), lista.end(), [&](const Abastecimento& r) {
            return r.Bico == c.bicoGravado;
        });
        ASSERT_NE(a, lista.end()) << c.bico;
        EXPECT_EQ(std::pair(a->PrecoUnitario, a->ValorTotal), std::pair(M(c.preco), M(c.total)))
            << c.bico;
    }
}

// Two decimal places of price: 1 + 3 digits when the first is not 0, for the name
// in any letter case; litres of nozzles 5 and 6, and no other, in 4 + 2 digits only
// for the name as written.
TEST(CicloDedarud, PrecoPeloNomeEmQualquerCaixaLitrosSoPeloNomeEscrito) {
    const std::tuple<const char*, const char*, int, const char*> casos[] = {
        {"POSTO DEDARUD", "0C", 5, "123.45"},
        {"POSTO DEDARUD", "0D", 6, "123.45"},
        {"POSTO DEDARUD", "04", 4, "12.345"},
        {"Auto Posto Dedarud", "0C", 5, "12.345"}};
    for (const auto& [nome, codigo, bico, litros] : casos) {
        sim::ConfiguracaoConcentrador cfg;
        cfg.casasValor = 2;
        Estacao e(cfg);
        e.cadastra("BicoAutomacao.csv", "Codigo,Bico\n0D,6\n");
        e.cadastra("Bico.csv", "Empresa,Bico,Produto,Complemento\n1,6,3,Diesel\n");
        e.defineIni(QStringLiteral("Nome da Empresa"), QString::fromLatin1(nome));
        e.iniciaAgente();
        e.nucleo.enfileiraResposta(
            Resposta{"57.90", "12.345", "45.90", codigo, 30, "1050", sim::Leiaute::Padrao, 2}
                .texto());
        e.roda(kMinuto);
        const auto lista = e.abastecimentos();
        ASSERT_EQ(lista.size(), 1) << nome << codigo;
        EXPECT_EQ(std::tuple(int(lista[0].Bico), lista[0].PrecoUnitario, lista[0].Quantidade),
                  std::tuple(bico, M("4.59"), M(litros)))
            << nome << codigo;
    }
}

// The identifier's answer to a card write, come after the command gave up, may
// reach the port alone where the cycle waits for a fueling (the concentrator's own
// answer lost): it is no fueling, and acknowledging it would acknowledge the
// fueling waiting, never stored. Card writes at every phase of the cycle's ticks.
TEST(CicloIdentificador, RespostaAtrasadaDoCartaoSozinhaNoLugarDoAbastecimento) {
    int lidasNoLugar = 0;
    for (int fase = 0; fase < 10; ++fase) {
        Estacao e;
        e.iniciaAgente();
        e.roda(3000 + 250 * fase);
        for (const char* bico : {"01", "02", "03"})
            e.nucleo.geraAbastecimento(QString::fromLatin1(bico), M("10"));
        sim::PlanoFalhas& f = e.nucleo.falhas();
        e.vigias.antesDeEnviar = [&](const QByteArray& b) {
            if (b.startsWith("(?F27G")) f.atraso.proximas = 1;
        };
        // Nothing answered behind it: it arrives alone.
        e.vigias.depoisDeEnviar = [&](const QByteArray& b) {
            if (b.startsWith("(?F27G")) f.silencio.probabilidade = 1;
        };
        e.agente().cartoes().AutoIncluiCartaoIdentFid(kCartao);
        e.roda(f.atrasoMs + 1000);
        f.silencio.probabilidade = 0;
        EXPECT_TRUE(e.esvazia(kMinuto)) << fase;
        EXPECT_TRUE(e.rejeitados().isEmpty()) << fase;
        e.confereComOLivro();
        lidasNoLugar += e.conta(QStringLiteral("AutoPedeAbastecimento: Input=(?"));
    }
    EXPECT_GT(lidasNoLugar, 0);
}

// Unreadable answers are kept in quarantine and acknowledged, so the queue moves
// on; one that cannot be kept there is not acknowledged.
TEST_F(Ciclo, RespostaIlegivelVaiParaAQuarentenaEEhConfirmada) {
    e.cadastra("Bico.csv", "Empresa,Bico,Produto,Complemento\n1,4,40000,\n");
    QString letra = Resposta{"57.90", "10", "5.79", "02"}.texto();
    letra[10] = QLatin1Char('O'); // a letter among the litres
    entrega(letra);
    entrega(Resposta{"57.90", "10", "5.79", "0F"}.texto()); // a nozzle code the table lacks
    entrega(Resposta{"57.90", "10", "5.79", "04"}.texto()); // a product code that does not fit
    e.roda(kMinuto);
    EXPECT_TRUE(e.abastecimentos().isEmpty());
    const auto rejeitados = e.rejeitados();
    ASSERT_EQ(rejeitados.size(), 3);
    EXPECT_EQ(rejeitados[0].RegistroAutomacao, letra);
    EXPECT_EQ(QStringList({rejeitados[0].Passo, rejeitados[1].Passo, rejeitados[2].Passo}),
              QStringList({"9", "1", "20"}));
    EXPECT_EQ(confirmados(e), 3);

    e.recusaGravacoes(true);
    entrega(Resposta{"57.90", "10", "5.79", "0F", 31}.texto());
    e.roda(kMinuto);
    EXPECT_EQ(confirmados(e), 3);
    e.recusaGravacoes(false);
    e.roda(kMinuto);
    EXPECT_EQ(std::pair(int(e.rejeitados().size()), confirmados(e)), std::pair(4, 4));
}

// A register that cannot be reached says nothing about the answer: it is neither
// quarantined nor acknowledged, and is stored once the database answers again.
TEST_F(Ciclo, FalhaDoBancoAoLerNaoVaiParaAQuarentenaNemEhConfirmada) {
    e.banco().executa("teste", "ALTER TABLE BicoAutomacao RENAME TO BicoAutomacaoFora");
    entrega(Resposta{}.texto());
    e.roda(kMinuto);
    EXPECT_EQ(confirmados(e), 0);
    EXPECT_TRUE(e.rejeitados().isEmpty());
    e.banco().executa("teste", "ALTER TABLE BicoAutomacaoFora RENAME TO BicoAutomacao");
    e.roda(kMinuto);
    EXPECT_EQ(std::pair(int(e.abastecimentos().size()), confirmados(e)), std::pair(1, 1));
}

// An answer equal to the one just acknowledged may be a late copy on a slow line:
// acknowledging it would acknowledge the next fueling, not stored. It is asked for
// again first.
TEST_F(Ciclo, RespostaIgualAConfirmadaEhPedidaDeNovoAntesDeConfirmar) {
    entrega(Resposta{}.texto());
    e.roda(kMinuto);
    const std::int64_t copia = e.nucleo.enfileiraResposta(Resposta{}.texto());
    e.roda(kMinuto);
    EXPECT_EQ(e.nucleo.livro().entregas(copia), 2);
    EXPECT_EQ(std::pair(int(e.abastecimentos().size()), confirmados(e)), std::pair(1, 2));
}

// A concentrator whose clock stands still can report more fuelings of one nozzle
// in one minute than the minute has 5-second times. The extra ones are kept in
// quarantine and acknowledged, so the queue behind them keeps moving; one handed
// over again after a lost acknowledgement is not kept twice.
TEST_F(Ciclo, MinutoCheioVaiParaAQuarentenaEAFilaSegue) {
    for (int i = 0; i < 14; ++i)
        e.nucleo.geraAbastecimento(QStringLiteral("01"), Moeda::deInteiro(10 + i));
    e.nucleo.geraAbastecimento(QStringLiteral("02"), Moeda::deInteiro(5));
    ASSERT_TRUE(e.esvazia(30 * kMinuto));
    EXPECT_EQ(e.abastecimentos().size(), 13); // 12 times of nozzle 1, and nozzle 2
    const auto rejeitados = e.rejeitados();
    ASSERT_EQ(rejeitados.size(), 2);
    entrega(rejeitados.last().RegistroAutomacao);
    ASSERT_TRUE(e.esvazia(5 * kMinuto));
    EXPECT_EQ(e.rejeitados().size(), 2);
}

TEST(CicloAndamento, CartaoNoBicoEmAndamentoNasDuasTransportes) {
    const std::tuple<bool, sim::FormatoCartaoAndamento, QString> casos[] = {
        {true, sim::FormatoCartaoAndamento::Direto20, "3|@|" + kCartao + "|@|"},
        {false, sim::FormatoCartaoAndamento::Prefixo23, "3|@|" + kCartao + "|@|"},
        {false, sim::FormatoCartaoAndamento::Prefixo30, "3|@|" + kCartao + "|@|"},
        {false, sim::FormatoCartaoAndamento::Direto20,
         QString()}}; // the serial port takes only 23 or 30
    for (const auto& [biblioteca, formato, esperado] : casos) {
        sim::ConfiguracaoConcentrador cfg;
        cfg.formatoCartaoAndamento = formato;
        Estacao e(cfg);
        if (biblioteca) e.defineIni(QStringLiteral("Usar Dll da Company"), QStringLiteral("SIM"));
        e.iniciaAgente();
        e.roda(5000);
        e.agente().TimerAutomacao->setHabilitado(false); // the link carries one exchange at a time
        e.nucleo.iniciaAbastecimento(QStringLiteral("03"), Moeda::deInteiro(30), kMinuto, kCartao);
        e.roda(1000);
        EXPECT_EQ(e.agente().ciclo().AutoPedeAbastecimentoEmAndamentoIdentFid(), esperado)
            << int(formato);
    }
}

} // namespace
} // namespace talvero::teste
