#include "comum/Ajuda.h"
#include "platform/PlataformaDeTeste.h"

#include <QFile>

using namespace talvero;
using namespace talvero::teste;

struct Arquivos : ::testing::Test {
    PlataformaDeTeste p;
    SistemaArquivos& fs = p.arquivos;
};

TEST_F(Arquivos, AcrescentaEmWindows1252ComCrLfSemCriarPasta) {
    const QString log = "C:\\Talvero\\AutoTalvero\\AUTOMACAO_05_12_2026_18.LOG";
    EXPECT_EQ(erroDe([&] { fs.acrescentaLinha(log, "x"); }), erros::CaminhoNaoEncontrado);
    EXPECT_FALSE(QFile::exists(p.local("C:\\Talvero")));
    p.criaPastaPrograma();
    fs.acrescentaLinha(log, QStringLiteral("18:00:00 - Não €"));
    fs.acrescentaLinha(log, "2");
    EXPECT_EQ(fs.le(log), QByteArray("18:00:00 - N\xe3o \x80\r\n2\r\n"));
    EXPECT_TRUE(fs.existe(log));
    EXPECT_FALSE(fs.existe("C:\\Talvero\\AutoTalvero"));
}

TEST_F(Arquivos, CriaTextoSubstituiEMoveNaoSubstituiODestino) {
    p.criaPasta("\\\\PC1\\Automacao");
    const QString tmp = "\\\\PC1\\Automacao\\Retorno_1.TMP", aut = "\\\\PC1\\Automacao\\Retorno_1.AUT";
    fs.criaTexto(tmp, {"velho", "conteudo"});
    fs.criaTexto(tmp, {"[RETORNO AUTOMACAO]", QStringLiteral("Origem=Caixa Ç")});
    const QByteArray novo("[RETORNO AUTOMACAO]\r\nOrigem=Caixa \xc7\r\n");
    EXPECT_EQ(fs.le(tmp), novo);
    for (const char* semPasta : {"\\\\PC2\\Automacao\\R.TMP", "\\\\\\Automacao\\R.TMP"})
        EXPECT_EQ(erroDe([&] { fs.criaTexto(semPasta, {}); }), erros::CaminhoNaoEncontrado) << semPasta;
    EXPECT_EQ(erroDe([&] { fs.le("\\\\PC1\\Automacao\\Nada.AUT"); }), erros::ArquivoNaoEncontrado);

    fs.criaTexto(aut, {"anterior"});
    EXPECT_EQ(erroDe([&] { fs.move(tmp, aut); }), erros::ArquivoJaExiste);
    EXPECT_EQ(fs.le(aut), "anterior\r\n");
    fs.apaga(aut, false);
    fs.move(tmp, aut);
    EXPECT_FALSE(fs.existe(tmp));
    EXPECT_EQ(fs.le(aut), novo);
    EXPECT_EQ(erroDe([&] { fs.move(tmp, aut + "2"); }), erros::ArquivoNaoEncontrado);
    EXPECT_EQ(erroDe([&] { fs.move(aut, "\\\\PC1\\Outra\\R.AUT"); }), erros::CaminhoNaoEncontrado);
}

TEST_F(Arquivos, ApagaSoLeituraSomenteForcado) {
    p.criaPasta("C:\\Automacao");
    const QString pedido = "C:\\Automacao\\Pedido_1.AUT";
    fs.criaTexto(pedido, {});
    QFile::setPermissions(p.local(pedido), QFileDevice::ReadOwner);
    EXPECT_EQ(erroDe([&] { fs.apaga(pedido, false); }), erros::PermissaoNegada);
    EXPECT_EQ(erroDe([&] { fs.acrescentaLinha(pedido, "x"); }), erros::PermissaoNegada);
    fs.apaga(pedido, true);
    EXPECT_FALSE(fs.existe(pedido));
    EXPECT_EQ(erroDe([&] { fs.apaga(pedido, true); }), erros::ArquivoNaoEncontrado);
}

// Files only, whatever the letter case, sorted by name, as on Windows.
TEST_F(Arquivos, ListaPorPadraoSemCaixaOrdenadaPorNome) {
    EXPECT_EQ(erroDe([&] { fs.lista("C:\\Automacao\\", "Pedido_*.AUT"); }), erros::CaminhoNaoEncontrado);
    p.criaPasta("C:\\Automacao\\Pedido_sub.AUT");
    for (const char* n : {"Pedido_C.AUT", "pedido_b.aut", "Pedido_.AUT", "Pedido_1.AUT.TMP", "XPedido_1.AUT", "a1.ECF"})
        fs.criaTexto(QStringLiteral("C:\\Automacao\\") + n, {});
    EXPECT_EQ(fs.lista("C:\\Automacao\\", "Pedido_*.AUT"), QStringList({"Pedido_.AUT", "pedido_b.aut", "Pedido_C.AUT"}));
    EXPECT_EQ(fs.lista("c:\\Automacao", "a?.ecf"), QStringList({"a1.ECF"}));
}
