#include "BancoCheio.h"

#include "CincoAnos.h"
#include "GravacaoMedida.h"
#include "platform/CodecAnsi.h"
#include "platform/Erro.h"
#include "store/Abastecimento.h"
#include "store/AbastecimentoRejeitado.h"
#include "store/ConferenciaEncerrantes.h"
#include "store/Esquema.h"
#include "store/Listagem.h"
#include "store/Valores.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>

namespace talvero::medicao {

namespace {

constexpr int kRodadasDados = 5;
constexpr int kDiasRecentes = 30;

[[noreturn]] void falha(const QString& texto) {
    throw std::runtime_error(texto.toStdString());
}

QTextStream& saida() {
    static QTextStream s(stdout);
    return s;
}

QString num(double v, int casas = 2) {
    return QString::number(v, 'f', casas);
}
QString linha(const TemposGravacao& t) {
    return QStringLiteral("mediana/median %1 ms, p99 %2 ms, máx/max %3 ms")
        .arg(num(t.medianaMs), num(t.p99Ms), num(t.maximoMs));
}

struct Medidas {
    TemposGravacao gravacao, repeticao, existeDesde, rejeitadoLocaliza, aguardando, rejeitadosLista,
        listagemDia, encerrantesDia, encerrantesMes;
    double dadosDiaMs = 0, dadosRejeitadosMs = 0, dadosEncerrantesMs = 0;
    int linhasDia = 0;
};

// Every distinct statement the store ran, with the values of its first run.
class Declaracoes {
public:
    void observa(Conexao& c) {
        c.observa([this](const QString& operacao, const QString& sql, const QVariantList& valores) {
            if (operacao != QLatin1String("Medicao") &&
                operacao != QLatin1String("Conexao.Conecta"))
                vistas_.try_emplace(sql, operacao, valores);
        });
    }
    // Prints the plan of each; returns how many read a whole table of fuelings.
    int explica(QSqlDatabase& db, bool pg) const {
        int varrem = 0;
        for (const auto& [sql, uso] : vistas_) {
            const QStringList plano = planoDe(db, pg, comValores(db, sql, uso.second));
            const bool varre = std::any_of(plano.begin(), plano.end(), [&](const QString& p) {
                return pg ? p.contains(QLatin1String("Seq Scan"))
                          : p.startsWith(QLatin1String("SCAN "));
            });
            varrem += varre && sql.contains(QLatin1String("FROM Abastecimento ")) ? 1 : 0;
            saida() << "      " << (varre ? "VARRE " : "índice ") << uso.first << ": "
                    << plano.join(QStringLiteral(" | ")) << "\n";
            // TALVERO_MEDICAO_SQL=1 shows the statement as it was explained, values in.
            if (varre && qEnvironmentVariableIsSet("TALVERO_MEDICAO_SQL"))
                saida() << "         " << comValores(db, sql, uso.second) << "\n";
        }
        return varrem;
    }

private:
    static QString comValores(QSqlDatabase& db, QString sql, const QVariantList& valores) {
        qsizetype de = 0;
        for (const QVariant& v : valores) {
            QSqlField campo(QString(), v.metaType());
            campo.setValue(v);
            const QString literal = db.driver()->formatValue(campo);
            de = sql.indexOf(QLatin1Char('?'), de);
            if (de < 0) break;
            sql.replace(de, 1, literal);
            de += literal.size();
        }
        return sql;
    }
    static QStringList planoDe(QSqlDatabase& db, bool pg, const QString& sql) {
        QSqlQuery q(db);
        if (!q.exec((pg ? QStringLiteral("EXPLAIN ") : QStringLiteral("EXPLAIN QUERY PLAN ")) +
                    sql))
            return {QStringLiteral("(sem plano: ") + q.lastError().text() + QLatin1Char(')')};
        QStringList r;
        while (q.next())
            r << q.value(pg ? 0 : 3).toString().trimmed();
        return r;
    }
    std::map<QString, std::pair<QString, QVariantList>> vistas_;
};

// `aceita`: the exit statuses that mean it worked (encerrantes says 3 on a gap).
double rodaDados(const QString& binarios, const QString& raiz, const QStringList& argumentos,
                 int* linhas, QList<int> aceita = {0}) {
    std::vector<double> ms;
    for (int i = 0; i < kRodadasDados; ++i) {
        QProcess p;
        QElapsedTimer t;
        t.start();
        p.start(binarios + QStringLiteral("/tools/talvero-dados"),
                QStringList{QStringLiteral("--root"), raiz} + argumentos);
        if (!p.waitForFinished(600'000) || !aceita.contains(p.exitCode()))
            falha(QStringLiteral("talvero-dados %1: %2")
                      .arg(argumentos.join(' '), QString::fromLocal8Bit(p.readAllStandardError())));
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
        if (linhas) *linhas = int(p.readAllStandardOutput().count('\n')) - 2;
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

Medidas mede(Conexao& c, const Preenchimento& p, const OpcoesCheio& o, const QDate& gravarDesde,
             const QString& raiz) {
    Medidas m;
    std::mt19937_64 sorteio(7);
    const auto dia = [&](int ultimos) {
        return p.ultimoDia.addDays(-std::uniform_int_distribution<int>(0, ultimos - 1)(sorteio));
    };
    const auto inteiro = [&](int de, int ate) {
        return std::uniform_int_distribution<int>(de, ate)(sorteio);
    };
    m.gravacao = medeGravacao(c, o.gravacoes, gravarDesde);
    Abastecimento a(c);
    const int todos = int(p.primeiroDia.daysTo(p.ultimoDia)) + 1;
    m.repeticao = cronometra(o.consultas, [&](int) {
        a.RegistrosNoMinuto(1, dia(todos), QTime(inteiro(0, 23), inteiro(0, 59)),
                            std::int16_t(inteiro(1, 8)));
    });
    // The reprocessing asks whether the nozzle has anything later: recent days are the long search.
    m.existeDesde = cronometra(o.consultas, [&](int) {
        a.ExisteDesde(1, dia(kDiasRecentes), QTime(inteiro(0, 23), inteiro(0, 59)),
                      std::int16_t(inteiro(1, 8)));
    });
    const auto lista = AbastecimentoRejeitado::Lista(c);
    AbastecimentoRejeitado r(c);
    m.rejeitadoLocaliza = cronometra(o.consultas, [&](int i) {
        r.Localiza(1, lista.isEmpty() ? QString() : lista[i % lista.size()].RegistroAutomacao);
    });
    m.aguardando =
        cronometra(o.consultas, [&](int) { AbastecimentoRejeitado::ContaAguardando(c, 1); });
    m.rejeitadosLista =
        cronometra(std::max(10, o.consultas / 20), [&](int) { AbastecimentoRejeitado::Lista(c); });
    const esquema::Tabela& tabela = *esquema::tabela(QStringLiteral("Abastecimento"));
    m.listagemDia = cronometra(std::max(10, o.consultas / 20), [&](int i) {
        listagem::linhas(c, tabela, {},
                         listagem::Filtro{QStringLiteral("Data"), valores::deData(dia(todos - i))});
    });
    const int conferencias = std::max(10, o.consultas / 20);
    m.encerrantesDia = cronometra(conferencias, [&](int) {
        const QDate d = dia(todos);
        encerrantes::calcula(c, 1, d, d);
    });
    m.encerrantesMes = cronometra(conferencias, [&](int) {
        const QDate d = dia(todos - 30);
        encerrantes::calcula(c, 1, d, d.addDays(29));
    });
    if (raiz.isEmpty()) return m;
    m.dadosDiaMs = rodaDados(o.binarios, raiz,
                             {QStringLiteral("abastecimentos"), QStringLiteral("--data"),
                              p.ultimoDia.toString(Qt::ISODate)},
                             &m.linhasDia);
    m.dadosRejeitadosMs = rodaDados(o.binarios, raiz, {QStringLiteral("rejeitados")}, nullptr);
    m.dadosEncerrantesMs =
        rodaDados(o.binarios, raiz,
                  {QStringLiteral("encerrantes"), QStringLiteral("--empresa"), QStringLiteral("1"),
                   QStringLiteral("--data"), p.ultimoDia.toString(Qt::ISODate)},
                  nullptr, {0, 3});
    return m;
}

void imprime(const Medidas& m, const TemposGravacao& vazio) {
    saida() << "      gravação / storing (AutoAtualTabeAbastecimento): " << linha(m.gravacao)
            << "\n"
            << "         p99 / p99 do banco vazio / of the empty database: "
            << num(m.gravacao.p99Ms / vazio.p99Ms) << "×"
            << (m.gravacao.p99Ms <= 1.5 * vazio.p99Ms ? " (dentro de / within 1.5×)"
                                                      : " (ACIMA DE / ABOVE 1.5×)")
            << "\n"
            << "      repetição no minuto / same-minute repeat check (RegistrosNoMinuto): "
            << linha(m.repeticao) << "\n"
            << "      bico desde / nozzle since (ExisteDesde, reprocessamento): "
            << linha(m.existeDesde) << "\n"
            << "      quarentena / quarantine: Localiza " << linha(m.rejeitadoLocaliza) << "\n"
            << "         ContaAguardando " << linha(m.aguardando) << "\n"
            << "         Lista " << linha(m.rejeitadosLista) << "\n"
            << "      listagem de um dia / one day's listing (listagem::linhas, Data = ?): "
            << linha(m.listagemDia) << "\n"
            << "      encerrantes de um dia / one day's totalizer report (encerrantes::calcula): "
            << linha(m.encerrantesDia)
            << "\n         de 30 dias / of 30 days: " << linha(m.encerrantesMes) << "\n";
    if (m.linhasDia == 0) return;
    saida() << "      talvero-dados abastecimentos --data (um dia / one day, " << m.linhasDia
            << " linhas): " << num(m.dadosDiaMs, 0)
            << " ms; talvero-dados rejeitados: " << num(m.dadosRejeitadosMs, 0)
            << " ms; talvero-dados encerrantes --data: " << num(m.dadosEncerrantesMs, 0)
            << " ms (mediana de / median of " << kRodadasDados
            << ", processo inteiro / whole process)" << Qt::endl;
}

void escreveIni(const QString& raiz, const OpcoesBanco& b) {
    QStringList ini = {QStringLiteral("[BANCO DE DADOS]")};
    if (b.driver == OpcoesBanco::Driver::PostgreSQL)
        ini << "Driver=POSTGRESQL"
            << "Servidor=" + b.servidor << QStringLiteral("Porta=%1").arg(b.porta)
            << "Banco=" + b.banco << "Usuario=" + b.usuario << "Esquema=" + b.esquema;
    else
        ini << "Driver=SQLITE";
    QDir(raiz).mkpath(QStringLiteral("C/Talvero/AutoTalvero"));
    QFile f(raiz + QStringLiteral("/C/Talvero/AutoTalvero/AutoTalvero.INI"));
    if (!f.open(QIODevice::WriteOnly) || f.write(ansi::codifica(ini.join("\r\n") + "\r\n")) < 0)
        falha(f.fileName());
}

// A database of the previous schema version: the same tables, none of the indexes.
void tiraIndices(QSqlDatabase& db) {
    QSqlQuery q(db);
    for (const QString& criacao : esquema::indices()) {
        const QString nome = criacao.section(QLatin1Char(' '), 5, 5);
        if (!q.exec(QStringLiteral("DROP INDEX ") + nome)) falha(q.lastError().text());
    }
    if (!q.exec(QStringLiteral("UPDATE VersaoEsquema SET Versao = 2"))) falha(q.lastError().text());
}

void limpa(const OpcoesBanco& banco) {
    if (banco.driver != OpcoesBanco::Driver::PostgreSQL) return;
    {
        QSqlDatabase db = conexaoDireta(banco, QStringLiteral("limpeza"));
        QSqlQuery q(db);
        q.exec(QStringLiteral("SET client_min_messages TO warning"));
        q.exec(QStringLiteral("DROP SCHEMA ") + banco.esquema + QStringLiteral(" CASCADE"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("limpeza"));
}

void medeEmUm(const QString& nome, OpcoesBanco banco, const OpcoesCheio& o) {
    QTemporaryDir raiz;
    const bool pg = banco.driver == OpcoesBanco::Driver::PostgreSQL;
    // At the default place, which talvero-dados finds without a file name in the INI file.
    if (!pg) banco.arquivo = raiz.filePath(QStringLiteral("C/Talvero/AutoTalvero/Talvero.db"));
    escreveIni(raiz.path(), banco);
    const TemposGravacao vazio = medeGravacao(
        pg ? *postgresDoAmbiente() : OpcoesBanco::sqlite(raiz.filePath(QStringLiteral("Vazio.db"))),
        o.gravacoes);
    saida() << "   " << nome << ", banco vazio / empty database: gravação / storing "
            << linha(vazio) << Qt::endl;
    QSqlDatabase db;
    auto c = std::make_unique<Conexao>(banco);
    if (!c->Conecta()) falha(c->ultimoErro());
    const Preenchimento p = preencheAnos(*c, QDate(2025, 12, 31), o.dias);
    const QFileInfo arquivo(banco.arquivo);
    saida() << "   " << nome << ": " << p.abastecimentos << " abastecimentos / fuelings "
            << p.primeiroDia.toString(Qt::ISODate) << " a / to "
            << p.ultimoDia.toString(Qt::ISODate) << ", " << p.rejeitados
            << " em quarentena / quarantined; carga / fill " << num(p.segundos, 0) << " s"
            << (pg ? QString() : QStringLiteral(", %1 MiB").arg(arquivo.size() >> 20)) << Qt::endl;

    db = conexaoDireta(banco, QStringLiteral("planos"));
    tiraIndices(db);
    Declaracoes antes;
    antes.observa(*c);
    saida() << "   " << nome
            << ", antes / before: esquema 2, sem os índices / schema 2, without the indexes\n";
    imprime(mede(*c, p, o, QDate(2026, 1, 1), QString()), vazio);
    saida() << "      planos / plans:\n";
    const int varriamAntes = antes.explica(db, pg);
    c.reset();

    QElapsedTimer atualizacao;
    atualizacao.start();
    c = std::make_unique<Conexao>(banco);
    if (!c->Conecta()) falha(c->ultimoErro());
    saida() << "   " << nome << ", depois / after: esquema 3 / schema 3; atualização / upgrade "
            << num(double(atualizacao.elapsed()) / 1000.0, 1) << " s\n";
    Declaracoes depois;
    depois.observa(*c);
    imprime(mede(*c, p, o, QDate(2026, 2, 1), raiz.path()), vazio);
    saida() << "      planos / plans:\n";
    db = QSqlDatabase();
    db = conexaoDireta(banco, QStringLiteral("planos")); // a fresh look at the upgraded schema
    const int varrem = depois.explica(db, pg);
    saida() << "      consultas que varrem Abastecimento / queries scanning Abastecimento: "
               "antes/before "
            << varriamAntes << ", depois/after " << varrem << Qt::endl;
    c.reset();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("planos"));
}

} // namespace

bool medeBancoCheio(const QString& nome, const OpcoesBanco& banco, const OpcoesCheio& o) {
    try {
        medeEmUm(nome, banco, o);
        limpa(banco);
        return true;
    } catch (const std::exception& e) {
        saida() << "   " << nome << ": FALHOU / FAILED: " << e.what() << Qt::endl;
        limpa(banco);
        return false;
    }
}

} // namespace talvero::medicao
