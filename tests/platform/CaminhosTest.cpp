#include "comum/Ajuda.h"
#include "platform/CodecAnsi.h"
#include "platform/MapaCaminhos.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace talvero;

TEST(CodecAnsi, Os256BytesVoltamIguaisEOQueFaltaViraInterrogacao) {
    QByteArray todos;
    for (int b = 0; b < 256; ++b)
        todos.append(static_cast<char>(b));
    const QString texto = ansi::decodifica(todos);
    EXPECT_EQ(ansi::codifica(texto), todos);
    EXPECT_EQ(texto.at(0x80), QChar(0x20AC));
    EXPECT_EQ(ansi::codifica(QStringLiteral("€ çãoΩ")), QByteArray("\x80 \xe7\xe3o?"));
}

TEST(MapaCaminhos, DiscoEUncSemSairDaRaiz) {
    const MapaCaminhos m("/raiz/");
    const std::pair<const char*, const char*> casos[] = {
        {"c:\\Talvero\\AutoTalvero\\X.LOG", "/raiz/C/Talvero/AutoTalvero/X.LOG"},
        {"C:\\Automacao\\", "/raiz/C/Automacao/"},
        {"\\\\PC1\\Automacao\\Retorno_1.AUT", "/raiz/UNC/PC1/Automacao/Retorno_1.AUT"},
        {"C:\\..\\..\\etc\\passwd", "/raiz/C/etc/passwd"},
        {"C:\\a\\.\\b\\..\\c", "/raiz/C/a/c"},
        {"\\\\PC1\\Automacao\\..\\..\\..\\x", "/raiz/UNC/PC1/Automacao/x"}};
    for (const auto& [windows, local] : casos)
        EXPECT_EQ(m.local(windows), local) << windows;
    EXPECT_EQ(MapaCaminhos().local("C:\\x"), "C:\\x");
}

TEST(MapaCaminhos, PortaSerialPelaLigacaoOuTtySEProgramaSemExe) {
    QTemporaryDir raiz;
    const MapaCaminhos m(raiz.path());
    ASSERT_TRUE(QDir(raiz.path()).mkpath("dev"));
    ASSERT_TRUE(QFile::link("/dev/pts/7", raiz.filePath("dev/COM3")));
    EXPECT_EQ(m.dispositivoSerial("COM3"), "/dev/pts/7");
    EXPECT_EQ(m.dispositivoSerial("COM4"), "/dev/ttyS3");
    for (const char* nada : {"COM0", "COM", "com3", "3", "COM3:"})
        EXPECT_EQ(m.dispositivoSerial(nada), "") << nada;
    // A device path stands as it is, never under the root nor split at its ':'.
    const QString porCaminho = "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0";
    EXPECT_EQ(m.dispositivoSerial(porCaminho), porCaminho);

    const QString enc = "C:\\Talvero\\AutoTalvero\\AutoTalveroEncerrante.exe";
    EXPECT_EQ(m.programa(enc), raiz.filePath("C/Talvero/AutoTalvero/AutoTalveroEncerrante"));
    ASSERT_TRUE(QDir(raiz.path()).mkpath("C/Talvero/AutoTalvero"));
    QFile exe(m.local(enc));
    ASSERT_TRUE(exe.open(QIODevice::WriteOnly));
    exe.close();
    EXPECT_EQ(m.programa(enc), m.local(enc));
}
