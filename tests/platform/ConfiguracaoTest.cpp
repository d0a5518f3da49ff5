#include "comum/Ajuda.h"
#include "ensaio/PlataformaDeTeste.h"
#include "platform/Conversoes.h"
#include "platform/LeitorIni.h"

using namespace talvero;
using namespace talvero::teste;

// Every awkward line a hand-edited configuration file has shown, in one file.
TEST(LeIni, NomesValoresAspasComentariosEDuplicatas) {
    const QByteArray ini =
        "Solta=1\n  [ outras ]  \r\n  quantidade DE bicos  =   12.5   \r\n"
        "Nome da Empresa=Posto Central\r\n; Porta=COM9\n   ;Outra=1\nPorta=COM1 ; a da "
        "parede\nSemIgual\nVazia=\n"
        "duplas=\"  com brancos  \"\nsimples='x'\nmisturadas=\"x'\n"
        "aberta=\"sem fim\nso=\"\nmeio=a\"b\"\n"
        "[EMAIL]\nNumero do Email=1\nnumero do email=2\n[email]\nNumero do Email=3\nConcluido=SIM\n"
        "[FIM]\nConcluido=SIM\n";
    const struct {
        const char *secao, *chave, *valor;
    } casos[] = {
        {"OUTRAS", "Quantidade de Bicos", "12.5"},
        {"Outras", " NOME DA EMPRESA ", "Posto Central"},
        {"OUTRAS", "Porta", "COM1 ; a da parede"},
        {"OUTRAS", "Outra", ""},
        {"OUTRAS", "; Porta", ""},
        {"OUTRAS", "SemIgual", ""},
        {"OUTRAS", "Vazia", ""},
        {"OUTRAS", "Nenhuma", ""},
        {"B", "Solta", ""},
        {"", "Solta", ""},
        {"OUTRAS", "duplas", "  com brancos  "},
        {"OUTRAS", "simples", "x"},
        {"OUTRAS", "misturadas", "\"x'"},
        {"OUTRAS", "aberta", "\"sem fim"},
        {"OUTRAS", "so", "\""},
        {"OUTRAS", "meio", "a\"b\""},
        // Only the first section of a name and the first key in it count.
        {"EMAIL", "Numero do Email", "1"},
        {"EMAIL", "Concluido", ""},
        {"FIM", "Concluido", "SIM"},
    };
    for (const auto& c : casos)
        EXPECT_EQ(LeIniDeTexto(ini, QString::fromLatin1(c.secao), QString::fromLatin1(c.chave)),
                  c.valor)
            << c.secao << "/" << c.chave;

    const QByteArray longo(300, 'x');
    EXPECT_EQ(LeIniDeTexto("[A]\nK=" + longo + "\n", "A", "K"), QString(254, QLatin1Char('x')));
    EXPECT_EQ(LeIniDeTexto("[A]\nK=\"" + longo + "\"\n", "A", "K"), QString(254, QLatin1Char('x')));
}

TEST(LeIni, ArquivoPeloMapaDeCaminhosEmWindows1252) {
    const QString arquivo = QStringLiteral("C:\\Talvero\\AutoTalvero\\AutoTalvero.INI");
    PlataformaDeTeste p;
    p.criaPastaPrograma();
    EXPECT_EQ(LeIni(p.arquivos, "OUTRAS", "Nome da Empresa", arquivo), ""); // no file
    p.arquivos.criaTexto(arquivo, {QStringLiteral("[LOCALIZAÇÃO]"),
                                   QStringLiteral("Pasta da automação=Automação €")});
    EXPECT_EQ(LeIni(p.arquivos, QStringLiteral("Localização"), QStringLiteral("PASTA DA AUTOMAÇÃO"),
                    arquivo),
              QStringLiteral("Automação €"));
}

// A converted value, or the number of the error the conversion raises.
struct Conversao {
    const char* texto;
    std::int64_t valor;
    int erro = 0;
};

template <typename F> void confere(F converte, std::initializer_list<Conversao> casos) {
    for (const Conversao& c : casos) {
        std::int64_t obtido = 0;
        EXPECT_EQ(erroDe([&] { obtido = converte(QString::fromLatin1(c.texto)); }), c.erro)
            << c.texto;
        if (!c.erro) {
            EXPECT_EQ(obtido, c.valor) << c.texto;
        }
    }
}

constexpr int kEstouro = erros::Estouro, kTipos = erros::TiposIncompativeis;

// The leading number of a text, or (strict) the whole text as a number, rounded half to even.
TEST(ConverteNumero, ParteNumericaDoInicioOuTextoInteiroArredondadosParaOPar) {
    confere(ConverteNumero, {{"-3.5", -4},
                             {"-2.5", -2},
                             {".5", 0},
                             {"0.51", 1},
                             {"12.50001", 13},
                             {"-", 0},
                             {"x7", 0},
                             {" 7x", 7},
                             {"\t+8.4.9", 8},
                             {"3,7", 3},
                             {"32767.4", 32767},
                             {"-32768.5", -32768},
                             {"32767.5", 0, kEstouro},
                             {"-32769", 0, kEstouro},
                             {"99999999999999999999999", 0, kEstouro}});
    confere(ConverteNumeroEstrito, {{" 42 ", 42},
                                    {"2.5", 2},
                                    {"3,5", 4},
                                    {"-7", -7},
                                    {"2147483647", 2147483647},
                                    {"2147483648", 0, kEstouro},
                                    {"   ", 0, kTipos},
                                    {"12a", 0, kTipos},
                                    {"-", 0, kTipos},
                                    {".", 0, kTipos},
                                    {"1 2", 0, kTipos},
                                    {"1.2.3", 0, kTipos}});
}
