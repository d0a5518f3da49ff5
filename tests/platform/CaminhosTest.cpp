#include "platform/CodecAnsi.h"
#include "platform/MapaCaminhos.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace talvero;

namespace {

TEST(CodecAnsi, Os256BytesVoltamIguais) {
    QByteArray todos;
    for (int b = 0; b < 256; ++b) todos.append(static_cast<char>(b));
    const QString texto = ansi::decodifica(todos);
    EXPECT_EQ(texto.size(), 256);
    EXPECT_EQ(ansi::codifica(texto), todos);
    EXPECT_EQ(texto.at(0x80), QChar(0x20AC));
    EXPECT_EQ(texto.at(0xE7), QChar(0xE7));
}

TEST(CodecAnsi, EuroEAcentosForaDoCodigoViramInterrogacao) {
    EXPECT_EQ(ansi::codifica(QStringLiteral("€ ção")), QByteArray("\x80 \xe7\xe3o"));
    EXPECT_EQ(ansi::codigo(QChar(0x20AC)), 0x80);
    EXPECT_EQ(ansi::codifica(QStringLiteral("Ωx")), QByteArray("?x"));
}

TEST(MapaCaminhos, DiscoEUnc) {
    const MapaCaminhos m("/raiz/");
    EXPECT_EQ(m.local("c:\\Talvero\\AutoTalvero\\X.LOG"), "/raiz/C/Talvero/AutoTalvero/X.LOG");
    EXPECT_EQ(m.local("C:\\Automacao\\"), "/raiz/C/Automacao/");
    EXPECT_EQ(m.local("\\\\PC1\\Automacao\\Retorno_1.AUT"), "/raiz/UNC/PC1/Automacao/Retorno_1.AUT");
    EXPECT_EQ(MapaCaminhos().local("C:\\x"), "C:\\x");
}

TEST(MapaCaminhos, PontoPontoNaoSaiDaRaiz) {
    const MapaCaminhos m("/raiz");
    EXPECT_EQ(m.local("C:\\..\\..\\etc\\passwd"), "/raiz/C/etc/passwd");
    EXPECT_EQ(m.local("C:\\a\\.\\b\\..\\c"), "/raiz/C/a/c");
    EXPECT_EQ(m.local("\\\\PC1\\Automacao\\..\\..\\..\\x"), "/raiz/UNC/PC1/Automacao/x");
}

TEST(MapaCaminhos, PortaSerialPelaLigacaoOuTtyS) {
    QTemporaryDir raiz;
    const MapaCaminhos m(raiz.path());
    EXPECT_EQ(m.dispositivoSerial(1), "/dev/ttyS0");
    EXPECT_EQ(m.dispositivoSerial(0), "");
    ASSERT_TRUE(QDir(raiz.path()).mkpath("dev"));
    ASSERT_TRUE(QFile::link("/dev/pts/7", raiz.path() + "/dev/COM3"));
    EXPECT_EQ(m.dispositivoSerial(3), "/dev/pts/7");
    EXPECT_EQ(m.dispositivoSerial(4), "/dev/ttyS3");
}

TEST(MapaCaminhos, ProgramaSemExeQuandoOExeNaoExiste) {
    QTemporaryDir raiz;
    const MapaCaminhos m(raiz.path());
    const QString enc = "C:\\Talvero\\AutoTalvero\\AutoTalveroEncerrante.exe";
    EXPECT_EQ(m.programa(enc), raiz.path() + "/C/Talvero/AutoTalvero/AutoTalveroEncerrante");
    ASSERT_TRUE(QDir(raiz.path()).mkpath("C/Talvero/AutoTalvero"));
    QFile exe(m.local(enc));
    ASSERT_TRUE(exe.open(QIODevice::WriteOnly));
    exe.close();
    EXPECT_EQ(m.programa(enc), m.local(enc));
}

TEST(MapaCaminhos, PadraoSemDiferencaDeCaixa) {
    EXPECT_TRUE(MapaCaminhos::casaPadrao("pedido_ABC.aut", "Pedido_*.AUT"));
    EXPECT_TRUE(MapaCaminhos::casaPadrao("Pedido_.AUT", "Pedido_*.AUT"));
    EXPECT_FALSE(MapaCaminhos::casaPadrao("Pedido_1.AUT.TMP", "Pedido_*.AUT"));
    EXPECT_FALSE(MapaCaminhos::casaPadrao("XPedido_1.AUT", "Pedido_*.AUT"));
    EXPECT_TRUE(MapaCaminhos::casaPadrao("a1.ECF", "a?.ecf"));
}

} // namespace
