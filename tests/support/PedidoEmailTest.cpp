#include "comum/Ajuda.h"
#include "platform/PlataformaDeTeste.h"
#include "support/Instalacao.h"
#include "support/PedidoEmail.h"

#include <map>
#include <memory>
#include <vector>

using namespace talvero;

// The message queue of one company, numbered on from the highest; it can fail
// every call as a database that is down does, or refuse saves.
struct Fila {
    std::map<std::int32_t, MensagemEmailCampos> registros;
    std::vector<std::int32_t> alteracoes;
    bool foraDoAr = false, alteraFalha = false;
};

// The request's own object on the test's queue.
struct AcessoFila : MensagensEmail {
    explicit AcessoFila(Fila& f) : fila(f) {}
    bool Localiza(std::int16_t, std::int32_t numero, MensagemEmailCampos& m) override {
        exigeNoAr();
        if (!fila.registros.count(numero)) return false;
        m = fila.registros[numero];
        return true;
    }
    bool Inclui(MensagemEmailCampos& m) override {
        exigeNoAr();
        m.Numero = fila.registros.empty() ? 1 : fila.registros.rbegin()->first + 1;
        fila.registros[m.Numero] = m;
        return true;
    }
    bool Altera(std::int16_t, std::int32_t numero, const MensagemEmailCampos& m) override {
        exigeNoAr();
        fila.alteracoes.push_back(numero);
        if (!fila.alteraFalha) fila.registros[numero] = m;
        return !fila.alteraFalha;
    }
    void exigeNoAr() const {
        if (fila.foraDoAr) throw Erro(QStringLiteral("Não foi possível conectar ao banco de dados"), erros::BancoDeDados);
    }
    Fila& fila;
};

class PedidoEmailTest : public ::testing::Test {
protected:
    void SetUp() override {
        mundo.criaPastaPrograma();
        mundo.criaPasta(QStringLiteral("C:\\vb5\\zorp"));
        mundo.arquivos.criaTexto(instalacao::kArquivoIni,
                                 {"[EMAIL]", "Numero do Email=0", "Nome do Remetente=AutoTalvero",
                                  "Email do Remetente=auto@posto.com.br", "Email do Destinatario 1=suporte@talvero.com.br",
                                  "Email do Destinatario 2=gerente@posto.com.br"});
        config.lCodigoEmpresa = config.gCodigoEmpresa = 7;
    }
    bool pede(const QString& corpo, bool concluido, const QString& nome = kNome) {
        return pedido.GravaPedidoEmail("7", nome, "AutoTalvero!", corpo, concluido, config.gNumeroEmail);
    }
    QByteArray cadastro() const {
        QFile f(mundo.local(instalacao::kCadastroZorp));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString mensagem(int numero) { return fila.registros[numero].Mensagem; }

    static inline const QString kNome = QStringLiteral("POSTO CENTRAL LTDA DE COMBUSTIVEIS");
    PlataformaDeTeste mundo;
    Configuracao config;
    Fila fila;
    SocketIp socket{mundo.host, mundo.operador};
    PedidoEmail pedido{mundo.relogio, mundo.arquivos, mundo.operador, socket, config,
                       [this] { return std::make_unique<AcessoFila>(fila); }};
};

TEST_F(PedidoEmailTest, CadastroSubstituiOsAnterioresComAsDezLinhas) {
    for (const char* nome : {"C:\\vb5\\zorp\\zorp_cadastro.tmp", "C:\\vb5\\zorp\\zorp_cadastro.ini"}) {
        QFile f(mundo.local(QString::fromLatin1(nome)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.setPermissions(QFileDevice::ReadOwner);
    }
    EXPECT_TRUE(pede(QStringLiteral("Empresa: São João\r\nData: 05/12/2026\r\n"), true));
    EXPECT_EQ(cadastro(), "[Empresa]\r\nEmpresa=007\r\nNomeEmpresa=POSTO CENTRAL LTDA DE COMBUSTIVEIS\r\n \r\n"
                          "[Programa]\r\nPrograma=MovimentoEnviaMensagemEmailRotina\r\n \r\n[Email]\r\n"
                          "Assunto=POSTO CENTRAL L:AutoTalvero!\r\nMensagem=Empresa: S\xe3o Jo\xe3o\r\n"
                          "Data: 05/12/2026\r\n\r\n");
    EXPECT_FALSE(mundo.arquivos.existe(QStringLiteral("C:\\vb5\\zorp\\zorp_cadastro.tmp")));
    EXPECT_TRUE(mundo.operador.exibidas.empty());
    pede(QStringLiteral("x"), true, QStringLiteral("POSTO AZUL"));
    EXPECT_TRUE(cadastro().contains("\r\nAssunto=POSTO AZUL:AutoTalvero!\r\n"));
}

TEST_F(PedidoEmailTest, ConcluidoSemMensagemAbertaGravaUmRegistroPorDestinatario) {
    pede(QStringLiteral("corpo"), true);
    ASSERT_EQ(fila.registros.size(), 2u);
    const auto& p = fila.registros[1];
    EXPECT_EQ(std::tuple(p.Empresa, p.NomeEmpresa, p.NomeRemetente, p.EmailRemetente, p.EmailDestinatario),
              std::tuple(std::int16_t(7), kNome, QString("AutoTalvero"), QString("auto@posto.com.br"),
                         QString("suporte@talvero.com.br")));
    EXPECT_EQ(std::tuple(p.Assunto, p.Mensagem, p.DataHora1, p.DataHora2, p.EnderecoIp, p.Situacao, p.Concluido),
              std::tuple(QString("POSTO CENTRAL L:AutoTalvero!"), QString("corpo"), QString("05/12/2026 18:00:00"),
                         QString("05/12/2026 18:00:00"), QString("192.168.0.10"), 0, true));
    const auto& g = fila.registros[2];
    EXPECT_EQ(std::tuple(g.EmailDestinatario, g.Mensagem, g.Numero), std::tuple(QString("gerente@posto.com.br"), QString("corpo"), 2));
    EXPECT_EQ(config.gNumeroEmail, 0);
}

TEST_F(PedidoEmailTest, MensagemAbertaRecebeOProximoPedidoAteSerSalvaEConcluida) {
    pede(QStringLiteral("primeiro"), false);
    ASSERT_EQ(fila.registros.size(), 1u);
    EXPECT_EQ(config.gNumeroEmail, fila.registros[1].Numero);
    // The save succeeds, so the message is done and goes to the second recipient too.
    pede(QStringLiteral("segundo"), false);
    ASSERT_EQ(fila.registros.size(), 2u);
    EXPECT_EQ(mensagem(1), "primeiro\r\nsegundo");
    EXPECT_EQ(mensagem(2), "primeiro\r\nsegundo");
    EXPECT_EQ(fila.registros[2].EmailDestinatario, "gerente@posto.com.br");
    EXPECT_EQ(config.gNumeroEmail, 0);

    // A refused save keeps the message open; the next one is updated all the same.
    config.gNumeroEmail = 1;
    fila.alteraFalha = true;
    pede(QStringLiteral("tres"), true);
    EXPECT_EQ(config.gNumeroEmail, 1);
    EXPECT_EQ(fila.alteracoes, (std::vector<std::int32_t>{1, 1, 2}));
    EXPECT_EQ(fila.registros.size(), 2u);
}

TEST_F(PedidoEmailTest, MensagemAbertaQueSumiuViraMensagemNova) {
    config.gNumeroEmail = 41;
    pede(QStringLiteral("aviso"), false);
    ASSERT_EQ(fila.registros.size(), 1u);
    const auto& m = fila.registros[1];
    EXPECT_EQ(std::tuple(m.EmailDestinatario, m.Mensagem, m.Empresa), std::tuple(QString("gerente@posto.com.br"), QString("aviso"), std::int16_t(7)));
    EXPECT_EQ(config.gNumeroEmail, 0);
}

TEST_F(PedidoEmailTest, BancoForaDoArAindaGravaOCadastroEAvisaEPastaAusenteNaoDeixaArquivo) {
    fila.foraDoAr = true;
    EXPECT_TRUE(pede(QStringLiteral("sem banco"), true));
    EXPECT_TRUE(cadastro().endsWith("Mensagem=sem banco\r\n"));
    const auto& caixas = mundo.operador.exibidas;
    ASSERT_EQ(caixas.size(), 1u);
    EXPECT_EQ(std::tuple(caixas[0].titulo, caixas[0].texto, caixas[0].icone),
              std::tuple(QString("Erro Interno!"), QString("Erro ao gravar Zorp_Cadastro.ini!\nNão foi possível conectar ao banco de dados"),
                         Icone::Informacao));
    EXPECT_EQ(config.gNumeroEmail, 0);

    QDir(mundo.local(QStringLiteral("C:\\vb5\\zorp"))).removeRecursively();
    EXPECT_FALSE(pede(QStringLiteral("x"), true));
    ASSERT_EQ(caixas.size(), 3u);
    EXPECT_EQ(caixas[2].texto, "Erro ao gravar Zorp_Cadastro.ini!\nCaminho não encontrado");
}
