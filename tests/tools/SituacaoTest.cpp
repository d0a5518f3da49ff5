#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <map>
#include <optional>

namespace talvero::teste {
namespace {

// A status file as the agent writes it, its times at the station's offset
// (not necessarily this computer's), `segundos` before now.
class Situacao {
public:
    Situacao& com(const QString& chave, const QString& valor) {
        chaves_[chave] = valor;
        return *this;
    }
    Situacao& ha(const QString& chave, int segundos) {
        const QDateTime t = QDateTime::currentDateTime().addSecs(-segundos);
        return com(chave, t.toOffsetFromUtc(-3 * 3600).toString(Qt::ISODate));
    }
    QByteArray conteudo() const {
        QByteArray s;
        for (const auto& [chave, valor] : chaves_)
            s += (chave + '=' + valor + '\n').toUtf8();
        return s;
    }

private:
    std::map<QString, QString> chaves_;
};

// The healthy agent each case departs from.
Situacao emFuncionamento() {
    return Situacao()
        .com("versao", "4.04.26-0")
        .com("pid", QString::number(QCoreApplication::applicationPid()))
        .ha("inicio", 3600)
        .ha("batimento", 5)
        .com("raiz", "/var/lib/autotalvero")
        .com("transporte", "Controle serial COM3")
        .com("banco", "SQLite Talvero.db")
        .com("banco_estado", "conectado")
        .com("enlace", "respondendo")
        .ha("ultima_resposta", 1)
        .com("pausada", "nao")
        .com("abastecimentos_hoje", "12")
        .ha("ultimo_abastecimento", 600)
        .com("quarentena", "0")
        .com("recusados_na_pasta", "0")
        .com("resumo", "OK · 12 hoje");
}

struct Caso {
    const char* nome;
    std::optional<Situacao> situacao; // none: the agent never wrote one
    QStringList argumentos;
    int saida;
    const char* motivo; // a piece of the first line that names the reason
};

// The check through the built talvero-dados, on a root with no INI and no
// database: it must need neither.
TEST(SituacaoTest, EstadoDoArquivoDeSituacaoComoPluginDeMonitoracao) {
    const QStringList semPrazo{"situacao"};
    const Caso casos[] = {
        {"em funcionamento", emFuncionamento(), semPrazo, 0, "OK - OK · 12 hoje"},
        {"quarentena", emFuncionamento().com("quarentena", "2"), semPrazo, 1, "2 resposta(s)"},
        {"lacunas de encerrante",
         emFuncionamento().com("lacunas_encerrante_hoje", "2").com("litros_lacunas_hoje", "31.500"),
         semPrazo, 1, "2 lacuna(s) de encerrante hoje, 31,5 L"},
        {"pasta com recusados", emFuncionamento().com("recusados_na_pasta", "1"), semPrazo, 1,
         "1 entrada(s)"},
        {"central em dia",
         emFuncionamento()
             .com("central_wal_retido", "2048")
             .com("central_wal_limite", "4294967296"),
         semPrazo, 0, "OK"},
        {"central sem receber",
         emFuncionamento()
             .com("central_wal_retido", "2147483649")
             .com("central_wal_limite", "4294967296"),
         semPrazo, 1, "retém 2048 MB de WAL (limite 4096 MB)"},
        {"slot da central descartado", emFuncionamento().com("central_wal_retido", "perdido"),
         semPrazo, 1, "descartado"},
        {"pausada e calada", emFuncionamento().com("pausada", "sim").ha("ultima_resposta", 600),
         semPrazo, 1, "pausada"},
        {"enlace calado", emFuncionamento().com("enlace", "sem_resposta").ha("ultima_resposta", 75),
         semPrazo, 2, "há 1 min"},
        {"calado menos que --critico",
         emFuncionamento().com("enlace", "sem_resposta").ha("ultima_resposta", 75),
         {"situacao", "--critico", "120"},
         0,
         "OK"},
        {"respondendo, arquivo sem mudança", emFuncionamento().ha("ultima_resposta", 75), semPrazo,
         0, "OK"},
        {"nunca respondeu",
         emFuncionamento().com("enlace", "aguardando").com("ultima_resposta", "").ha("inicio", 61),
         semPrazo, 2, "nenhuma vez"},
        {"enlace perdido há pouco",
         emFuncionamento().com("enlace", "perdido").ha("ultima_resposta", 30), semPrazo, 0, "OK"},
        {"enlace perdido", emFuncionamento().com("enlace", "perdido").ha("ultima_resposta", 120),
         semPrazo, 2, "perdido"},
        {"agente parado", emFuncionamento().ha("batimento", 91), semPrazo, 2, "não está rodando"},
        {"banco perdido", emFuncionamento().com("banco_estado", "perdido"), semPrazo, 2,
         "banco de dados perdido"},
        {"agente morto há pouco", emFuncionamento().com("pid", "99999999"), semPrazo, 2,
         "processo 99999999 terminou"},
        {"relógio voltou", emFuncionamento().ha("batimento", -3600), semPrazo, 2, "relógio"},
        {"sem batimento", emFuncionamento().com("batimento", "ontem"), semPrazo, 3, "batimento"},
        {"sem arquivo", std::nullopt, semPrazo, 3, "não há arquivo de situação"},
        {"prazo inválido", emFuncionamento(), {"situacao", "--critico", "0"}, 3, "--critico"},
        {"argumento a mais", emFuncionamento(), {"situacao", "todos"}, 3, "todos"},
    };
    for (const Caso& c : casos) {
        QTemporaryDir raiz;
        const QString pasta = raiz.filePath("C/Talvero/AutoTalvero");
        ASSERT_TRUE(QDir().mkpath(pasta));
        if (c.situacao) {
            QFile f(pasta + "/AutoTalvero.situacao");
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.situacao->conteudo());
        }
        QProcess p;
        p.start(QStringLiteral(TALVERO_DADOS_EXE),
                QStringList{"--root", raiz.path()} + c.argumentos);
        ASSERT_TRUE(p.waitForFinished(60000)) << c.nome;
        const QString saida = QString::fromUtf8(p.readAllStandardOutput());
        const QString primeira = saida.section('\n', 0, 0);
        EXPECT_EQ(p.exitCode(), c.saida) << c.nome << ": " << saida.toStdString();
        static const char* const kEstados[] = {"OK", "AVISO", "CRITICO", "DESCONHECIDO"};
        EXPECT_TRUE(
            primeira.startsWith(QStringLiteral("AUTOTALVERO %1 - ").arg(kEstados[c.saida])) &&
            primeira.contains(QString::fromUtf8(c.motivo)))
            << c.nome << ": " << primeira.toStdString();
        EXPECT_FALSE(QFile::exists(pasta + "/Talvero.db")) << c.nome;
    }
}

} // namespace
} // namespace talvero::teste
