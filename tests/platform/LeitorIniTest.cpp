#include "platform/LeitorIni.h"
#include "platform/PlataformaDeTeste.h"

#include <gtest/gtest.h>

using namespace talvero;

namespace {

const QString kIni = QStringLiteral("C:\\Talvero\\AutoTalvero\\AutoTalvero.INI");

QString le(const QByteArray& ini, const char* secao, const char* chave) {
    return LeIniDeTexto(ini, QString::fromLatin1(secao), QString::fromLatin1(chave));
}

TEST(LeIni, NomesSemDiferencaDeCaixaEBrancosEmVolta) {
    const QByteArray ini = "  [ outras ]  \r\n"
                           "  quantidade DE bicos  =   12.5   \r\n"
                           "Nome da Empresa=Posto Central\r\n";
    EXPECT_EQ(le(ini, "OUTRAS", "Quantidade de Bicos"), "12.5");
    EXPECT_EQ(le(ini, "Outras", " NOME DA EMPRESA "), "Posto Central");
}

TEST(LeIni, AspasDoMesmoTipoSaemEBrancosDentroFicam) {
    const QByteArray ini = "[A]\n"
                           "duplas=\"  com brancos  \"\n"
                           "simples='x'\n"
                           "misturadas=\"x'\n"
                           "aberta=\"sem fim\n"
                           "so=\"\n"
                           "meio=a\"b\"\n";
    EXPECT_EQ(le(ini, "A", "duplas"), "  com brancos  ");
    EXPECT_EQ(le(ini, "A", "simples"), "x");
    EXPECT_EQ(le(ini, "A", "misturadas"), "\"x'");
    EXPECT_EQ(le(ini, "A", "aberta"), "\"sem fim");
    EXPECT_EQ(le(ini, "A", "so"), "\"");
    EXPECT_EQ(le(ini, "A", "meio"), "a\"b\"");
}

TEST(LeIni, ComentarioSoNoInicioDaLinha) {
    const QByteArray ini = "[A]\n"
                           "; Porta=COM9\n"
                           "   ;Outra=1\n"
                           "Porta=COM1 ; a da parede\n";
    EXPECT_EQ(le(ini, "A", "Porta"), "COM1 ; a da parede");
    EXPECT_EQ(le(ini, "A", "Outra"), "");
    EXPECT_EQ(le(ini, "A", "; Porta"), "");
}

TEST(LeIni, SoAPrimeiraSecaoEAPrimeiraChaveValem) {
    const QByteArray ini = "[EMAIL]\n"
                           "Numero do Email=1\n"
                           "numero do email=2\n"
                           "[OUTRAS]\n"
                           "Concluido=SIM\n"
                           "[email]\n"
                           "Numero do Email=3\n"
                           "Concluido=SIM\n";
    EXPECT_EQ(le(ini, "EMAIL", "Numero do Email"), "1");
    EXPECT_EQ(le(ini, "EMAIL", "Concluido"), "");
    EXPECT_EQ(le(ini, "OUTRAS", "Concluido"), "SIM");
}

TEST(LeIni, AusenciasDaoTextoVazio) {
    const QByteArray ini = "Solta=1\n[A]\nSemIgual\nVazia=\n";
    EXPECT_EQ(le(ini, "A", "Nenhuma"), "");
    EXPECT_EQ(le(ini, "B", "Solta"), "");
    EXPECT_EQ(le(ini, "", "Solta"), "");
    EXPECT_EQ(le(ini, "A", "SemIgual"), "");
    EXPECT_EQ(le(ini, "A", "Vazia"), "");
}

TEST(LeIni, ValorLongoCortadoEm254) {
    const QByteArray longo(300, 'x');
    EXPECT_EQ(le("[A]\nK=" + longo + "\n", "A", "K"), QString(254, QLatin1Char('x')));
    EXPECT_EQ(le("[A]\nK=\"" + longo + "\"\n", "A", "K"), QString(254, QLatin1Char('x')));
}

TEST(LeIni, ArquivoPeloMapaDeCaminhosEmWindows1252) {
    PlataformaDeTeste p;
    EXPECT_EQ(LeIni(p.arquivos, "OUTRAS", "Nome da Empresa", kIni), "");  // no folder
    p.criaPastaPrograma();
    EXPECT_EQ(LeIni(p.arquivos, "OUTRAS", "Nome da Empresa", kIni), "");  // no file
    QFile f(p.local(kIni));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[LOCALIZA\xc7\xc3O]\r\nPasta da automa\xe7\xe3o=Automa\xe7\xe3o \x80\r\n[OUTRAS]\nNome da Empresa=Jo\xe3o\n");
    f.close();
    EXPECT_EQ(LeIni(p.arquivos, QStringLiteral("Localização"), QStringLiteral("PASTA DA AUTOMAÇÃO"), kIni),
              QStringLiteral("Automação €"));
    EXPECT_EQ(LeIni(p.arquivos, "OUTRAS", "Nome da Empresa", kIni), QStringLiteral("João"));
}

} // namespace
