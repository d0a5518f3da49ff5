#include "comum/Ajuda.h"
#include "cycle/AgenteDeTeste.h"
#include "cycle/EnlaceFalso.h"
#include "cycle/LeituraAbastecimento.h"
#include "store/Importacao.h"
#include "store/RecusaGravacao.h"

#include <QTemporaryDir>
#include <QTimeZone>

namespace talvero::teste {
namespace {

const QString kCartao = QStringLiteral("0123456789ABCDEF");

QString padrao(const char* total, const char* litros, const char* preco, const char* codigo = "01",
               const char* dia = "05", const char* encerrante = "0000105000") {
    return RespostaAbastecimento(total, litros, preco, "0130", codigo, dia, "17", "30", encerrante);
}

class CicloTest : public ::testing::Test {
protected:
    void SetUp() override {
        cfg.lCodigoEmpresa = cfg.gCodigoEmpresa = 1;
        CadastraEstacao(agente->conexao);
    }

    void tick() { agente->ciclo.TimerAutomacao_Timer(); }
    CicloAutomacao& ciclo() { return agente->ciclo; }
    // The serial answer waiting at the port when the fueling step reads it.
    void recebeSerial(const QString& resposta) {
        serial.entrada = resposta;
        ciclo().AutoPedeAbastecimento();
    }
    void cadastra(const char* arquivo, const char* csv) {
        importacao::importa(agente->conexao, {{QString::fromLatin1(arquivo), QByteArray(csv)}});
    }
    void recusaGravacao(const char* tabela) { recusaGravacoes(agente->conexao, {tabela}, {"INSERT"}); }

    RelogioVirtual relogio{QDateTime(QDate(2026, 12, 5), QTime(18, 0))};
    AgendadorVirtual agendador{relogio};
    LogMemoria log{relogio};
    Configuracao cfg;
    QTemporaryDir dir;
    SerialFalso serial;
    BibliotecaFalsa biblioteca;
    std::unique_ptr<AgenteDeTeste> agente = std::make_unique<AgenteDeTeste>(
        agendador, log.registro, cfg, OpcoesBanco::sqlite(dir.filePath(QStringLiteral("t.db"))), serial, biblioteca);
};

TEST_F(CicloTest, BibliotecaRelogioDepoisPedidoEStatusEmCadaTick) {
    cfg.lUsarDllCompany = true;
    for (int i = 0; i < 4; ++i) tick();
    EXPECT_EQ(biblioteca.chamadas,
              QStringList({"Send (&H051800)", "SendReceive (&V) 500", "Send (&A67)", "Receive", "SendReceive (&V) 500",
                           "SendReceive (&V) 500", "Send (&A67)", "Receive"}));
    EXPECT_EQ(ciclo().lAutomacaoFlag, 1);
    EXPECT_EQ(log.conta(QStringLiteral(" - Dll Company AutoAtualizaRelogioEquip OK. lRetDll=1")), 1);

    biblioteca.chamadas.clear();
    ciclo().lAutomacaoFlag = 7;  // no rule handles it: a status exchange each tick, the state stays
    tick();
    tick();
    EXPECT_EQ(biblioteca.chamadas, QStringList({"SendReceive (&V) 500", "SendReceive (&V) 500"}));
    EXPECT_EQ(ciclo().lAutomacaoFlag, 7);
    EXPECT_EQ(ciclo().lTimerAutoPassoDebugarErro, QStringLiteral("14"));

    cfg.lCriarLogTimer = true;  // the trace lines around each library exchange
    biblioteca.responde = [](const QString&) { return QStringLiteral("(0)"); };
    tick();
    EXPECT_EQ(log.linhas().mid(log.linhas().size() - 2),
              QStringList({" - Comando Dll Company para pedir Abastecimento: lTimerAutoString: (&V)",
                           " - Comando Dll Company VB_SendReceiveText, retorno do pedido de Abastecimento: "
                           "lTimerAutoString: (0) - lRetDll=1"}));
}

TEST_F(CicloTest, BibliotecaQueRecusaORelogioSoDeixaALinhaDeErro) {
    cfg.lUsarDllCompany = true;
    biblioteca.codigoEnvio = 0;
    relogio.defineMs(QDateTime(QDate(2026, 12, 1), QTime(0, 5), QTimeZone::utc()).toMSecsSinceEpoch());
    agente->timerAutomacao->setHabilitado(true);
    tick();
    EXPECT_EQ(biblioteca.chamadas, QStringList({"Send (&H010005)"}));
    EXPECT_EQ(log.conta(QStringLiteral(" - ** Erro Dll Company SetClockVB. lRetDll=0")), 1);
    EXPECT_TRUE(agente->timerAutomacao->habilitado());
    EXPECT_EQ(ciclo().lAutomacaoFlag, 11);
}

TEST_F(CicloTest, SerialRepeteORelogioAteSerAceitoDepoisUmPedidoACadaCincoTicks) {
    int respostasRelogio = 0;
    serial.aoEnviar = [&](const QString& frame) {
        if (frame.startsWith(QLatin1String("(&H")) && ++respostasRelogio == 2) serial.entrada = QStringLiteral("(0)(&H)");
    };
    for (int i = 0; i < 9; ++i) tick();
    EXPECT_EQ(serial.enviados, QStringList({"(&H051800)", "(&V)", "(&H051800)", "(&V)", "(&V)", "(&V)", "(&V)", "(&A)"}));
    EXPECT_EQ(log.com(QStringLiteral("Atualizou Hora TimerAutomacao_Timer: Input=")),
              QStringList({" - Atualizou Hora TimerAutomacao_Timer: Input=",
                           " - Atualizou Hora TimerAutomacao_Timer: Input=(0)(&H)"}));
    EXPECT_EQ(log.conta(QStringLiteral(" - AutoAtualizaRelogioEquip: Output=(&H051800)")), 2);
    EXPECT_EQ(log.conta(QStringLiteral(" - TimerAutomacao: (&A)")), 1);

    cfg.lUsarIdentFid = true;
    for (int i = 0; i < 5; ++i) tick();
    EXPECT_EQ(serial.enviados.last(), QStringLiteral("(&A67)"));
}

TEST_F(CicloTest, PausaSoRegistraEErroDaTickGuardaOEstado) {
    agente->lAutomacaoPausada = true;
    tick();
    cfg.lUsarDllCompany = true;
    tick();
    EXPECT_TRUE(serial.enviados.isEmpty());
    EXPECT_TRUE(biblioteca.chamadas.isEmpty());
    EXPECT_EQ(log.linhas(), QStringList({" - Atualizou Hora TimerAutomacao_Timer: teste", " - Automação em Pausa"}));

    cfg.lUsarDllCompany = false;
    agente->lAutomacaoPausada = false;
    // A closed port is opened again at the tick's start: the line fails while sending instead.
    serial.aoEnviar = [](const QString&) {
        throw Erro(QStringLiteral("Operação válida somente com a porta aberta"), erros::PortaFechada);
    };
    tick();  // the clock routine logs its own error
    tick();  // the clock answer is missing, and sending "(&V)" fails in the tick itself
    EXPECT_EQ(log.conta(QStringLiteral(" - ERRO AutoAtualizaRelogioEquip: Operação válida somente com a porta aberta - Err: 8018")), 1);
    EXPECT_EQ(log.conta(QStringLiteral(" - ERRO TimerAutomacao: Operação válida somente com a porta aberta - "
                                       "lTimerAutoPassoDebugarErro:12 - lAutomacaoFlag=0 - Err: 8018")),
              1);
    EXPECT_EQ(ciclo().lAutomacaoFlag, 0);
}

TEST_F(CicloTest, TimerDesligadoDuranteAEsperaERelidadoTambemNoErro) {
    cfg.lUsarDllCompany = true;
    bool habilitadoNaEspera = true;
    biblioteca.responde = [&](const QString& frame) -> QString {
        habilitadoNaEspera = agente->timerAutomacao->habilitado();
        if (frame == QLatin1String("(&A67)")) throw Erro(QStringLiteral("Biblioteca falhou"), 5);
        return {};
    };
    agente->timerAutomacao->setHabilitado(true);
    ciclo().AutoPedeAbastecimento();
    EXPECT_FALSE(habilitadoNaEspera);
    EXPECT_TRUE(agente->timerAutomacao->habilitado());
    EXPECT_EQ(log.conta(QStringLiteral(" ERRO AutoPedeAbastecimento: Biblioteca falhou - Err: 5 lTimerAutoString: (&A67)")), 1);
}

TEST_F(CicloTest, RespostaPadraoGravadaEConfirmadaComAsLinhasDoRegistro) {
    const QString r = padrao("005990", "010000", "5990", "0C");
    recebeSerial(r);
    const auto lista = agente->abastecimentos();
    ASSERT_EQ(lista.size(), 1);
    const Abastecimento& a = lista[0];
    EXPECT_EQ(std::tuple(a.Bico, a.Data, a.Hora, a.Quantidade, a.PrecoUnitario, a.ValorTotal, a.Encerrante, a.Produto),
              std::tuple(std::int16_t(5), QDate(2026, 12, 5), QTime(17, 30), M("10"), M("5.99"), M("59.90"), M("1050"), 3));
    EXPECT_EQ(a.Complemento, QStringLiteral("Diesel"));
    EXPECT_EQ(agente->encerranteAtual(5), M("1050"));
    EXPECT_EQ(serial.enviados, QStringList({"(&I)"}));
    EXPECT_EQ(log.linhas().mid(0, 2),
              QStringList({" - AutoPedeAbastecimento: Input=" + r,
                           " - AutoPedeAbastecimento: (TTTTTTLLLLLLPPPPVVCCCCBBDDHHMMNNRRRREEEEEEEEEESSKK)"}));
    EXPECT_EQ(log.linhas().last(), QStringLiteral(" - AutoPedeAbastecimento: Output=(&I)"));
}

// The totalizer fields of the short answer are left to the station-day proof.
TEST_F(CicloTest, RespostaCurtaGravadaConfirmadaEComOCartaoEsquecido) {
    ciclo().abastecimento.lCartaoIdentFid = kCartao;
    recebeSerial(RespostaAbastecimento("005990", "010000", "5990", "0130", "03", "05", "17", "30"));
    EXPECT_EQ(agente->abastecimentos().size(), 1);
    EXPECT_TRUE(ciclo().abastecimento.lCartaoIdentFid.isEmpty());
    EXPECT_EQ(serial.enviados, QStringList({"(&I)"}));
}

TEST_F(CicloTest, BibliotecaSoProcessaOLeiauteIdentFid) {
    cfg.lUsarDllCompany = true;
    cfg.lUsarIdentFid = true;
    cadastra("CartaoIdentFid.csv", "Empresa,Cartao,Codigo\n1,0123456789ABCDEF,555\n");
    QString resposta = padrao("005790", "010000", "5790");
    biblioteca.responde = [&](const QString& f) { return f == QLatin1String("(&A67)") ? resposta : QString(); };
    ciclo().AutoPedeAbastecimento();
    EXPECT_TRUE(agente->abastecimentos().isEmpty());
    EXPECT_EQ(biblioteca.chamadas, QStringList({"Send (&A67)", "Receive"}));

    resposta = RespostaAbastecimento("005790", "010000", "5790", "0130", "01", "05", "17", "30", "0000105000", kCartao);
    ciclo().AutoPedeAbastecimento();
    const auto lista = agente->abastecimentos();
    ASSERT_EQ(lista.size(), 1);
    EXPECT_EQ(lista[0].Cartao, 555);
    EXPECT_EQ(biblioteca.chamadas.last(), QStringLiteral("Send (&I)"));
    EXPECT_EQ(log.conta(" - AutoPedeAbastecimento: " + leitura::kLegendaIdentFid), 1);
    EXPECT_EQ(log.conta(" - Comando Dll Company VB_SendReceiveText, retorno do pedido de Abastecimento: lTimerAutoString: " +
                        resposta + " - lRetDll=1"),
              1);
}

TEST_F(CicloTest, GravacaoQueFalhaNaoConfirma) {
    recusaGravacao("Abastecimento");
    recebeSerial(padrao("005790", "010000", "5790"));
    EXPECT_TRUE(serial.enviados.isEmpty());
    EXPECT_EQ(log.conta(QStringLiteral("VOLTOU DA ROTINA")), 0);

    cfg.lUsarDllCompany = true;
    cfg.lUsarIdentFid = true;
    biblioteca.responde = [&](const QString&) {
        return RespostaAbastecimento("005790", "010000", "5790", "0130", "01", "05", "17", "30", "0000105000", kCartao);
    };
    ciclo().AutoPedeAbastecimento();
    EXPECT_FALSE(biblioteca.chamadas.contains(QStringLiteral("Send (&I)")));
    EXPECT_EQ(log.conta(QStringLiteral(" - VOLTOU DA ROTINA AutoAtualTabeAbastecimento COMO FALSE")), 1);
}

TEST_F(CicloTest, SemAbastecimentoOuRespostaPelaMetade) {
    recebeSerial(QStringLiteral("(0)"));
    EXPECT_EQ(agente->enlace.lTimerAutoString, QStringLiteral("(0)"));
    recebeSerial(padrao("005790", "010000", "5790").left(20));
    EXPECT_EQ(serial.entrada.size(), 20);  // left at the port for the next request to discard
    EXPECT_EQ(log.linhas(), QStringList({" ERRO AutoPedeAbastecimento: Input=(0)"}));
    EXPECT_TRUE(serial.enviados.isEmpty());
}

TEST_F(CicloTest, PrecoCompletadoDoEstoqueOuDoProduto) {
    cadastra("BicoAutomacao.csv", "Codigo,Bico\n0D,6\n");
    cadastra("Bico.csv", "Empresa,Bico,Produto,Complemento\n1,7,9,Arla\n");
    cadastra("Produto.csv", "Produto,PrecoVenda\n9,2.50\n");
    cadastra("BicoAutomacao.csv", "Codigo,Bico\n0E,7\n");
    recebeSerial(padrao("000000", "010000", "0000", "03"));  // stock price 5.99
    cadastra("Estoque.csv", "Empresa,Produto,PrecoVenda\n1,1,0\n");
    recebeSerial(padrao("000000", "003333", "0000", "01", "04"));  // stock price 0: the product's 5.79
    recebeSerial(padrao("000000", "010000", "0000", "0D", "03"));  // nozzle 6 not registered
    recebeSerial(padrao("000000", "010000", "0000", "0E", "02"));  // product without stock
    const auto lista = agente->abastecimentos();
    ASSERT_EQ(lista.size(), 4);
    EXPECT_EQ(lista[0].PrecoUnitario, M("0"));  // 0E: ordered by date first
    EXPECT_EQ(lista[0].ValorTotal, M("0"));
    EXPECT_EQ(lista[1].Produto, 0);
    EXPECT_EQ(lista[1].ValorTotal, M("0"));
    EXPECT_EQ(lista[2].PrecoUnitario, M("5.79"));
    EXPECT_EQ(lista[2].ValorTotal, M("19.30"));  // 3.333 x 5.79 = 19.29807
    EXPECT_EQ(lista[3].PrecoUnitario, M("5.99"));
    EXPECT_EQ(lista[3].ValorTotal, M("59.90"));
    EXPECT_EQ(log.conta(QStringLiteral(" AutoAtualizaAbastecimento: - Estoque não cadastrado.")), 1);
}

TEST_F(CicloTest, EmpresaDedarudLePrecoELitrosDoSeuJeito) {
    cfg.lNomeEmpresa = QStringLiteral("Auto Posto Dedarud");
    cfg.lCasasDecimaisValor = 2;
    recebeSerial(padrao("012345", "012345", "4590", "0C", "01"));
    recebeSerial(padrao("005000", "012345", "0459", "01", "02"));
    const auto lista = agente->abastecimentos();
    ASSERT_EQ(lista.size(), 2);
    EXPECT_EQ(lista[0].PrecoUnitario, M("4.59"));
    EXPECT_EQ(lista[0].Quantidade, M("12.345"));  // nozzle 5 reads 4 + 2 only for a name written in capitals
    EXPECT_EQ(lista[1].PrecoUnitario, M("4.59"));
    EXPECT_EQ(lista[1].Quantidade, M("12.345"));
}

TEST_F(CicloTest, RespostaIlegivelVaiParaAQuarentenaEEhConfirmada) {
    recebeSerial(padrao("005790", "010000", "5790"));
    const Moeda totalAnterior = ciclo().abastecimento.lValorTotal;
    QString naoNumerica = padrao("005790", "01O000", "5790", "02");  // a letter O among the litres
    recebeSerial(naoNumerica);
    recebeSerial(padrao("005790", "010000", "5790", "0F"));  // nozzle code the table lacks
    cadastra("Bico.csv", "Empresa,Bico,Produto,Complemento\n1,4,40000,\n");
    recebeSerial(padrao("005790", "010000", "5790", "04"));  // a product code the working fueling cannot hold
    EXPECT_EQ(agente->abastecimentos().size(), 1);
    EXPECT_EQ(ciclo().abastecimento.lValorTotal, totalAnterior);
    const auto rejeitados = agente->rejeitados();
    ASSERT_EQ(rejeitados.size(), 3);
    EXPECT_EQ(rejeitados[2].Passo, QStringLiteral("20"));
    EXPECT_EQ(rejeitados[0].RegistroAutomacao, naoNumerica);
    EXPECT_EQ(rejeitados[0].Passo, QStringLiteral("9"));
    EXPECT_EQ(rejeitados[0].Erro, QStringLiteral("Tipos incompatíveis - Err: 13"));
    EXPECT_EQ(rejeitados[1].Passo, QStringLiteral("1"));
    EXPECT_EQ(rejeitados[1].Erro, QStringLiteral("Código de bico não cadastrado: 0F - Err: 3146"));
    EXPECT_EQ(serial.enviados, QStringList({"(&I)", "(&I)", "(&I)", "(&I)"}));
    EXPECT_EQ(log.conta(QStringLiteral(" ERRO AutoAtualizaAbastecimento: - Tipos incompatíveis - lPassoDebugarErroAbast:9 - Err: 13")), 1);
    EXPECT_EQ(log.conta(QStringLiteral("guardado em AbastecimentoRejeitado")), 3);

    recusaGravacao("AbastecimentoRejeitado");
    recebeSerial(padrao("005790", "01O001", "5790", "02"));
    EXPECT_EQ(serial.enviados.size(), 4);
    EXPECT_EQ(log.conta(QStringLiteral("não pôde ser guardado em AbastecimentoRejeitado, não confirmado")), 1);
}

// A register that cannot be reached says nothing about the answer: it is not
// quarantined nor acknowledged, and is stored once the database answers again.
TEST_F(CicloTest, FalhaDoBancoAoLerNaoVaiParaAQuarentenaNemEhConfirmada) {
    agente->conexao.executa("teste", "ALTER TABLE BicoAutomacao RENAME TO BicoAutomacaoFora");
    const QString r = padrao("005790", "010000", "5790");
    for (int i = 0; i < 3; ++i) recebeSerial(r);
    EXPECT_TRUE(serial.enviados.isEmpty());
    EXPECT_TRUE(agente->rejeitados().isEmpty());
    agente->conexao.executa("teste", "ALTER TABLE BicoAutomacaoFora RENAME TO BicoAutomacao");
    recebeSerial(r);
    EXPECT_EQ(agente->abastecimentos().size(), 1);
    EXPECT_EQ(serial.enviados, QStringList({"(&I)"}));
}

TEST_F(CicloTest, StatusSerialSoLeComTresOuMaisEEsvaziaSempre) {
    serial.entrada = QStringLiteral("(0");
    ciclo().AutoPedeAbastecimentoEmAndamento();
    EXPECT_TRUE(agente->enlace.lTimerAutoString.isEmpty());
    EXPECT_TRUE(serial.entrada.isEmpty());
    EXPECT_EQ(ciclo().lPassoDebugarErroAbastAndam, QStringLiteral("6"));
    serial.entrada = QStringLiteral("(&V0100)");
    ciclo().AutoPedeAbastecimentoEmAndamento();
    EXPECT_EQ(agente->enlace.lTimerAutoString, QStringLiteral("(&V0100)"));
    EXPECT_TRUE(log.linhas().isEmpty());
}

TEST_F(CicloTest, CartaoNoBicoEmAndamento) {
    cfg.lUsarDllCompany = true;
    biblioteca.responde = [](const QString&) { return "(0C" + kCartao + ")"; };
    EXPECT_EQ(ciclo().AutoPedeAbastecimentoEmAndamentoIdentFid(), "5|@|" + kCartao + "|@|");
    EXPECT_EQ(biblioteca.chamadas, QStringList({"SendReceive (?V95) 1000"}));
    EXPECT_EQ(log.conta(QStringLiteral(" - AutoPedeAbastecimentoEmAndamentoIdentFid: - lTimerAutoString=(BBTTTTTTTTTTTTTTTT)")), 1);
    biblioteca.responde = [](const QString&) { return QStringLiteral("(0)(0)(0)0"); };
    EXPECT_EQ(ciclo().AutoPedeAbastecimentoEmAndamentoIdentFid(), QString());
    biblioteca.responde = [](const QString&) { return "(0F" + kCartao + ")"; };
    EXPECT_EQ(ciclo().AutoPedeAbastecimentoEmAndamentoIdentFid(), QString());
    EXPECT_EQ(log.conta(QStringLiteral(" ERRO AutoPedeAbastecimentoEmAndamentoIdentFid: Código de bico não cadastrado: 0F")), 1);

    cfg.lUsarDllCompany = false;
    const std::pair<QString, QString> casos[] = {{"(0)(0C" + kCartao + ")", "5|@|" + kCartao + "|@|"},
                                                 {"(0C001234)(02" + kCartao + ")", "2|@|" + kCartao + "|@|"},
                                                 {"(0C" + kCartao + ")", QString()}};
    for (const auto& [resposta, esperado] : casos) {
        serial.aoEnviar = [&, r = resposta](const QString&) { serial.entrada = r; };
        EXPECT_EQ(ciclo().AutoPedeAbastecimentoEmAndamentoIdentFid(), esperado) << resposta.toStdString();
        EXPECT_TRUE(serial.entrada.isEmpty());
        EXPECT_EQ(agente->enlace.lAutoQuant, 0);
    }
    EXPECT_EQ(serial.enviados, QStringList({"(?V95)", "(?V95)", "(?V95)"}));
    EXPECT_EQ(log.conta(QStringLiteral(" - Teste: - lAutoQuant=23")), 1);
}


// A late copy of the answer just acknowledged is not acknowledged (that would
// acknowledge the next fueling, not stored); the same answer handed over again
// on the following request is.
TEST_F(CicloTest, CopiaAtrasadaDoConfirmadoNaoConfirmaOProximo) {
    const QString f1 = padrao("005790", "010000", "5790");
    recebeSerial(f1);
    recebeSerial(f1);
    EXPECT_EQ(serial.enviados, QStringList({"(&I)"}));
    EXPECT_EQ(log.conta(QStringLiteral("resposta igual à do abastecimento recém-confirmado")), 1);
    recebeSerial(f1);
    EXPECT_EQ(serial.enviados, QStringList({"(&I)", "(&I)"}));
    EXPECT_EQ(agente->abastecimentos().size(), 1);
}

} // namespace
} // namespace talvero::teste
