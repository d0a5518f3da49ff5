#include "support/PedidoEmail.h"
#include "comum/Ajuda.h"
#include "ensaio/PlataformaDeTeste.h"
#include "support/Instalacao.h"

#include <map>
#include <memory>
#include <vector>

using namespace talvero;

// The message queue of one company, numbered on from the highest; it can refuse saves.
struct Fila {
    std::map<std::int32_t, MensagemEmailCampos> registros;
    std::vector<std::int32_t> alteracoes;
    bool alteraFalha = false;
};

struct AcessoFila : MensagensEmail {
    explicit AcessoFila(Fila& f) : fila(f) {}
    bool Localiza(std::int16_t, std::int32_t numero, MensagemEmailCampos& m) override {
        if (!fila.registros.count(numero)) return false;
        m = fila.registros[numero];
        return true;
    }
    bool Inclui(MensagemEmailCampos& m) override {
        m.Numero = fila.registros.empty() ? 1 : fila.registros.rbegin()->first + 1;
        fila.registros[m.Numero] = m;
        return true;
    }
    bool Altera(std::int16_t, std::int32_t numero, const MensagemEmailCampos& m) override {
        fila.alteracoes.push_back(numero);
        if (!fila.alteraFalha) fila.registros[numero] = m;
        return !fila.alteraFalha;
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
                                  "Email do Remetente=auto@posto.com.br",
                                  "Email do Destinatario 1=suporte@talvero.com.br",
                                  "Email do Destinatario 2=gerente@posto.com.br"});
        config.lCodigoEmpresa = config.gCodigoEmpresa = 7;
    }
    bool pede(const QString& corpo, bool concluido,
              const QString& nome = "POSTO CENTRAL LTDA DE COMBUSTIVEIS") {
        return pedido.GravaPedidoEmail("7", nome, "AutoTalvero!", corpo, concluido,
                                       config.gNumeroEmail);
    }

    PlataformaDeTeste mundo;
    Configuracao config;
    Fila fila;
    SocketIp socket{mundo.host, mundo.operador};
    PedidoEmail pedido{mundo.relogio,  mundo.arquivos,
                       mundo.operador, socket,
                       config,         [this] { return std::make_unique<AcessoFila>(fila); }};
};

TEST_F(PedidoEmailTest, CadastroSubstituiOsAnterioresMesmoSomenteLeitura) {
    for (const char* nome :
         {"C:\\vb5\\zorp\\zorp_cadastro.tmp", "C:\\vb5\\zorp\\zorp_cadastro.ini"}) {
        QFile f(mundo.local(QString::fromLatin1(nome)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.setPermissions(QFileDevice::ReadOwner);
    }
    EXPECT_TRUE(pede(QStringLiteral("x"), true, QStringLiteral("POSTO AZUL")));
    const QByteArray cadastro = mundo.arquivos.le(instalacao::kCadastroZorp);
    EXPECT_TRUE(cadastro.startsWith("[Empresa]\r\nEmpresa=007\r\n"));
    EXPECT_TRUE(cadastro.endsWith("\r\nAssunto=POSTO AZUL:AutoTalvero!\r\nMensagem=x\r\n"));
    EXPECT_FALSE(mundo.arquivos.existe(QStringLiteral("C:\\vb5\\zorp\\zorp_cadastro.tmp")));
    EXPECT_TRUE(mundo.operador.exibidas.empty());
}

TEST_F(PedidoEmailTest, ConcluidoSemMensagemAbertaGravaUmRegistroPorDestinatario) {
    pede(QStringLiteral("corpo"), true);
    ASSERT_EQ(fila.registros.size(), 2u);
    const auto& p = fila.registros[1];
    EXPECT_EQ(std::tuple(p.Empresa, p.NomeRemetente, p.EmailRemetente, p.EmailDestinatario,
                         p.Assunto, p.Mensagem),
              std::tuple(std::int16_t(7), QString("AutoTalvero"), QString("auto@posto.com.br"),
                         QString("suporte@talvero.com.br"), QString("POSTO CENTRAL L:AutoTalvero!"),
                         QString("corpo")));
    EXPECT_EQ(std::tuple(p.DataHora1, p.DataHora2, p.EnderecoIp, p.Situacao, p.Concluido),
              std::tuple(QString("05/12/2026 18:00:00"), QString("05/12/2026 18:00:00"),
                         QString("192.168.0.10"), 0, true));
    EXPECT_EQ(std::pair(fila.registros[2].EmailDestinatario, fila.registros[2].Mensagem),
              std::pair(QString("gerente@posto.com.br"), QString("corpo")));
    EXPECT_EQ(config.gNumeroEmail, 0);
}

TEST_F(PedidoEmailTest, MensagemAbertaRecebeOProximoPedidoAteSerSalvaEAQueSumiuViraNova) {
    pede(QStringLiteral("primeiro"), false);
    ASSERT_EQ(fila.registros.size(), 1u);
    EXPECT_EQ(config.gNumeroEmail, 1);
    // The save succeeds, so the message is done and goes to the second recipient too.
    pede(QStringLiteral("segundo"), false);
    ASSERT_EQ(fila.registros.size(), 2u);
    EXPECT_EQ(fila.registros[1].Mensagem, "primeiro\r\nsegundo");
    EXPECT_EQ(std::pair(fila.registros[2].EmailDestinatario, fila.registros[2].Mensagem),
              std::pair(QString("gerente@posto.com.br"), QString("primeiro\r\nsegundo")));
    EXPECT_EQ(config.gNumeroEmail, 0);

    // A refused save keeps the message open; the one numbered above is updated all the same.
    config.gNumeroEmail = 1;
    fila.alteraFalha = true;
    pede(QStringLiteral("tres"), true);
    EXPECT_EQ(config.gNumeroEmail, 1);
    EXPECT_EQ(fila.alteracoes, (std::vector<std::int32_t>{1, 1, 2}));
    EXPECT_EQ(fila.registros.size(), 2u);

    // An open message that is gone: the notice goes out as a new one, to the second recipient.
    config.gNumeroEmail = 41;
    pede(QStringLiteral("aviso"), false);
    ASSERT_EQ(fila.registros.size(), 3u);
    EXPECT_EQ(std::pair(fila.registros[3].EmailDestinatario, fila.registros[3].Mensagem),
              std::pair(QString("gerente@posto.com.br"), QString("aviso")));
    EXPECT_EQ(config.gNumeroEmail, 0);
}
