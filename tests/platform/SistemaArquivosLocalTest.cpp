#include "comum/Ajuda.h"
#include "ensaio/PlataformaDeTeste.h"

#include <QFile>
#include <sys/stat.h>

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
    const QString tmp = "\\\\PC1\\Automacao\\Retorno_1.TMP",
                  aut = "\\\\PC1\\Automacao\\Retorno_1.AUT";
    fs.criaTexto(tmp, {"velho", "conteudo"});
    fs.criaTexto(tmp, {"[RETORNO AUTOMACAO]", QStringLiteral("Origem=Caixa Ç")});
    const QByteArray novo("[RETORNO AUTOMACAO]\r\nOrigem=Caixa \xc7\r\n");
    EXPECT_EQ(fs.le(tmp), novo);
    for (const char* semPasta : {"\\\\PC2\\Automacao\\R.TMP", "\\\\\\Automacao\\R.TMP"})
        EXPECT_EQ(erroDe([&] { fs.criaTexto(semPasta, {}); }), erros::CaminhoNaoEncontrado)
            << semPasta;
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

// Entries of every kind as they are, links not followed, sorted by name whatever
// the letter case, as on Windows; only a regular file is read, never blocking and
// never beyond its bound.
TEST_F(Arquivos, EntradasComoEstaoELeituraSoDeArquivoComumLimitada) {
    EXPECT_EQ(erroDe([&] { fs.entradas("C:\\Automacao\\", "Pedido_*.AUT", 100); }),
              erros::CaminhoNaoEncontrado);
    p.criaPasta("C:\\Automacao\\Pedido_sub.AUT");
    for (const char* n :
         {"Pedido_C.AUT", "pedido_b.aut", "Pedido_1.AUT.TMP", "XPedido_1.AUT", "a1.ECF"})
        fs.criaTexto(QStringLiteral("C:\\Automacao\\") + n, {QStringLiteral("[PEDIDO AUTOMACAO]")});
    fs.criaTexto("C:\\Automacao\\Pedido_grande.AUT", {QString(70'000, QLatin1Char('x'))});
    const QString pasta = p.local("C:\\Automacao") + QLatin1Char('/');
    ASSERT_EQ(::mkfifo(QFile::encodeName(pasta + "Pedido_fifo.AUT").constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", pasta + "Pedido_zero.AUT"));
    ASSERT_TRUE(QFile::link(pasta + "pedido_b.aut", pasta + "Pedido_ligacao.AUT"));
    using T = EntradaPasta::Tipo;
    std::vector<std::pair<QString, T>> vistas;
    for (const EntradaPasta& e : fs.entradas("c:\\Automacao", "Pedido_*.AUT", 100))
        vistas.emplace_back(e.nome, e.tipo);
    const std::vector<std::pair<QString, T>> esperadas = {
        {"pedido_b.aut", T::Arquivo},       {"Pedido_C.AUT", T::Arquivo},
        {"Pedido_fifo.AUT", T::Outro},      {"Pedido_grande.AUT", T::Arquivo},
        {"Pedido_ligacao.AUT", T::Ligacao}, {"Pedido_sub.AUT", T::Pasta},
        {"Pedido_zero.AUT", T::Ligacao}};
    EXPECT_EQ(vistas, esperadas);
    EXPECT_EQ(fs.entradas("C:\\Automacao\\", "Pedido_*.AUT", 3).size(), 3);

    EXPECT_EQ(fs.leRegular("C:\\Automacao\\Pedido_C.AUT", 64), "[PEDIDO AUTOMACAO]\r\n");
    EXPECT_EQ(fs.leRegular("C:\\Automacao\\Pedido_grande.AUT", 70'002).size(), 70'002);
    EXPECT_EQ(erroDe([&] { fs.leRegular("C:\\Automacao\\Pedido_grande.AUT", 65'536); }),
              erros::Estouro);
    for (const char* n :
         {"Pedido_fifo.AUT", "Pedido_zero.AUT", "Pedido_ligacao.AUT", "Pedido_sub.AUT"})
        EXPECT_EQ(erroDe([&] { fs.leRegular(QStringLiteral("C:\\Automacao\\") + n, 65'536); }),
                  erros::ModoDeArquivo)
            << n;
}
