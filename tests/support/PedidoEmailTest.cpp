#include "platform/CodecAnsi.h"
#include "platform/Erro.h"
#include "platform/PlataformaDeTeste.h"
#include "support/Instalacao.h"
#include "support/PedidoEmail.h"

#include <QFile>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <tuple>
#include <vector>

using namespace talvero;

namespace {

// The message queue of one company in memory, numbered on from the highest; it
// can fail every call as a database that is down does, or refuse saves.
struct FilaEmMemoria : MensagensEmail {
    bool Localiza(std::int16_t, std::int32_t numero, MensagemEmailCampos& m) override {
        exigeNoAr();
        if (!registros.count(numero)) return false;
        m = registros[numero];
        return true;
    }
    bool Inclui(MensagemEmailCampos& m) override {
        exigeNoAr();
        m.Numero = registros.empty() ? 1 : registros.rbegin()->first + 1;
        registros[m.Numero] = m;
        return true;
    }
    bool Altera(std::int16_t, std::int32_t numero, const MensagemEmailCampos& m) override {
        exigeNoAr();
        alteracoes.push_back(numero);
        if (!alteraFalha) registros[numero] = m;
        return !alteraFalha;
    }
    void exigeNoAr() const {
        if (foraDoAr) throw Erro(QStringLiteral("Não foi possível conectar ao banco de dados"), erros::BancoDeDados);
    }

    std::map<std::int32_t, MensagemEmailCampos> registros;
    std::vector<std::int32_t> alteracoes;
    bool foraDoAr = false;
    bool alteraFalha = false;
};

// The request's own object on the test's queue.
struct AcessoFila : MensagensEmail {
    explicit AcessoFila(FilaEmMemoria& f) : fila(f) {}
    bool Localiza(std::int16_t e, std::int32_t n, MensagemEmailCampos& m) override { return fila.Localiza(e, n, m); }
    bool Inclui(MensagemEmailCampos& m) override { return fila.Inclui(m); }
    bool Altera(std::int16_t e, std::int32_t n, const MensagemEmailCampos& m) override { return fila.Altera(e, n, m); }
    FilaEmMemoria& fila;
};

class PedidoEmailTest : public ::testing::Test {
protected:
    void SetUp() override {
        mundo.criaPastaPrograma();
        mundo.criaPasta(QStringLiteral("C:\\vb5\\zorp"));
        QFile ini(mundo.local(instalacao::kArquivoIni));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[EMAIL]\r\nNumero do Email=0\r\nNome do Remetente=AutoTalvero\r\n"
                  "Email do Remetente=auto@posto.com.br\r\nEmail do Destinatario 1=suporte@talvero.com.br\r\n"
                  "Email do Destinatario 2=gerente@posto.com.br\r\n");
        config.lCodigoEmpresa = config.gCodigoEmpresa = 7;
    }

    bool pede(const QString& corpo, bool concluido, const QString& nome = kNome) {
        return pedido.GravaPedidoEmail(QStringLiteral("7"), nome, QStringLiteral("AutoTalvero!"), corpo, concluido,
                                       config.gNumeroEmail);
    }

    QByteArray cadastro() const {
        QFile f(mundo.local(instalacao::kCadastroZorp));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static inline const QString kNome = QStringLiteral("POSTO CENTRAL LTDA DE COMBUSTIVEIS");

    PlataformaDeTeste mundo;
    Configuracao config;
    FilaEmMemoria fila;
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
    EXPECT_EQ(std::tuple(p.Assunto, p.Mensagem, p.DataHora1, p.DataHora2, p.EnderecoIp),
              std::tuple(QString("POSTO CENTRAL L:AutoTalvero!"), QString("corpo"), QString("05/12/2026 18:00:00"),
                         QString("05/12/2026 18:00:00"), QString("192.168.0.10")));
    EXPECT_EQ(p.Situacao, 0);
    EXPECT_TRUE(p.Concluido);
    EXPECT_EQ(fila.registros[2].EmailDestinatario, "gerente@posto.com.br");
    EXPECT_EQ(fila.registros[2].Mensagem, "corpo");
    EXPECT_EQ(fila.registros[2].Numero, 2);
    EXPECT_EQ(config.gNumeroEmail, 0);
}

TEST_F(PedidoEmailTest, MensagemAbertaRecebeOProximoPedido) {
    pede(QStringLiteral("primeiro"), false);
    ASSERT_EQ(fila.registros.size(), 1u);
    EXPECT_EQ(config.gNumeroEmail, fila.registros[1].Numero);

    // The save succeeds, so the message is done and goes to the second recipient too.
    pede(QStringLiteral("segundo"), false);
    ASSERT_EQ(fila.registros.size(), 2u);
    EXPECT_EQ(fila.registros[1].Mensagem, "primeiro\r\nsegundo");
    EXPECT_EQ(fila.registros[2].Mensagem, "primeiro\r\nsegundo");
    EXPECT_EQ(fila.registros[2].EmailDestinatario, "gerente@posto.com.br");
    EXPECT_EQ(config.gNumeroEmail, 0);
}

TEST_F(PedidoEmailTest, SalvamentoRecusadoMantemAbertaEAtualizaAMensagemSeguinte) {
    pede(QStringLiteral("um"), false);
    config.gNumeroEmail = 0;
    pede(QStringLiteral("dois"), false);
    ASSERT_EQ(fila.registros.size(), 2u);
    config.gNumeroEmail = 1;
    fila.alteraFalha = true;
    pede(QStringLiteral("tres"), true);
    EXPECT_EQ(config.gNumeroEmail, 1);
    EXPECT_EQ(fila.alteracoes, (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(fila.registros.size(), 2u);
}

TEST_F(PedidoEmailTest, MensagemAbertaQueSumiuViraMensagemNova) {
    config.gNumeroEmail = 41;
    pede(QStringLiteral("aviso"), false);
    ASSERT_EQ(fila.registros.size(), 1u);
    EXPECT_EQ(fila.registros[1].EmailDestinatario, "gerente@posto.com.br");
    EXPECT_EQ(fila.registros[1].Mensagem, "aviso");
    EXPECT_EQ(fila.registros[1].Empresa, 7);
    EXPECT_EQ(config.gNumeroEmail, 0);
}

TEST_F(PedidoEmailTest, BancoForaDoArAindaGravaOCadastroEAvisa) {
    fila.foraDoAr = true;
    EXPECT_TRUE(pede(QStringLiteral("sem banco"), true));
    EXPECT_TRUE(cadastro().endsWith("Mensagem=sem banco\r\n"));
    ASSERT_EQ(mundo.operador.exibidas.size(), 1u);
    const auto& caixa = mundo.operador.exibidas[0];
    EXPECT_EQ(caixa.titulo, "Erro Interno!");
    EXPECT_EQ(caixa.texto, "Erro ao gravar Zorp_Cadastro.ini!\nNão foi possível conectar ao banco de dados");
    EXPECT_EQ(caixa.icone, Icone::Informacao);
    EXPECT_EQ(config.gNumeroEmail, 0);
}

TEST_F(PedidoEmailTest, PastaAusenteAvisaENaoDeixaArquivo) {
    QDir(mundo.local(QStringLiteral("C:\\vb5\\zorp"))).removeRecursively();
    fila.foraDoAr = true;
    EXPECT_FALSE(pede(QStringLiteral("x"), true));
    ASSERT_EQ(mundo.operador.exibidas.size(), 2u);
    EXPECT_EQ(mundo.operador.exibidas[1].texto, "Erro ao gravar Zorp_Cadastro.ini!\nCaminho não encontrado");
}

} // namespace
