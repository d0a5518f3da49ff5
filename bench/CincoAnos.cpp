#include "CincoAnos.h"

#include "Respostas.h"
#include "platform/Erro.h"
#include "store/Esquema.h"
#include "store/Importacao.h"
#include "store/Valores.h"

#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <array>
#include <random>
#include <set>
#include <stdexcept>

namespace talvero::medicao {

namespace {

constexpr int kBicos = 8;
constexpr int kLinhasPorComando = 100;
constexpr int kDiasPorTransacao = 30;
constexpr std::array<int, kBicos> kProdutoDoBico = {1, 2, 3, 1, 1, 2, 3, 1};
constexpr std::array<int, kBicos> kPesoDoBico = {16, 10, 12, 16, 14, 8, 12, 12};
constexpr std::array<int, 24> kPesoDaHora = {2,  1, 1, 1, 2,  5,  9,  12, 11, 9, 8, 9,
                                             10, 9, 8, 9, 11, 13, 12, 9,  7,  5, 4, 3};
constexpr std::array<int, 7> kAjusteDoDia = {40, 20, 20,  40,
                                             90, 0,  -210}; // Monday to Sunday, around 986
constexpr int kMediaPorDia = 986;
const std::array<Moeda, 3> kPrecos = {Moeda::deTexto(u"5.79"), Moeda::deTexto(u"3.89"),
                                      Moeda::deTexto(u"5.99")};

[[noreturn]] void falha(const QString& texto) {
    throw std::runtime_error(texto.toStdString());
}

void confere(bool ok, const QSqlQuery& q, const char* passo) {
    if (!ok) falha(QLatin1String(passo) + QStringLiteral(": ") + q.lastError().text());
}

struct Venda {
    int segundo = 0; // of the day
    int bico = 0;    // 0-based
    Moeda litros;
};

class Gerador {
public:
    explicit Gerador(std::uint64_t semente) : sorteio_(semente) {}

    std::vector<Venda> dia(const QDate& d) {
        const int n =
            kMediaPorDia + kAjusteDoDia[std::size_t(d.dayOfWeek() - 1)] + inteiro(-30, 30);
        std::set<std::pair<int, int>> tomados;
        std::vector<Venda> r;
        for (int i = 0; i < n; ++i) {
            const int bico = int(bicos_(sorteio_));
            const int minuto = int(horas_(sorteio_)) * 60 + inteiro(0, 59);
            // A taken second moves on by five, as the store does in a busy minute.
            for (int s = 0; s <= 55; s += 5)
                if (tomados.insert({bico, minuto * 60 + s}).second) {
                    r.push_back({minuto * 60 + s, bico, litros(kProdutoDoBico[std::size_t(bico)])});
                    break;
                }
        }
        std::sort(r.begin(), r.end(),
                  [](const Venda& a, const Venda& b) { return a.segundo < b.segundo; });
        return r;
    }
    int inteiro(int de, int ate) { return std::uniform_int_distribution<int>(de, ate)(sorteio_); }

private:
    // Motorcycles, cars and, on diesel, lorries; millilitres.
    Moeda litros(int produto) {
        const int p = inteiro(1, 100);
        const int ml = produto == 3 ? (p <= 25 ? inteiro(80'000, 400'000) : inteiro(20'000, 80'000))
                                    : (p <= 20 ? inteiro(3'000, 12'000) : inteiro(15'000, 55'000));
        return Moeda::deDezMilesimos(std::int64_t(ml) * 10);
    }

    std::mt19937_64 sorteio_;
    std::discrete_distribution<int> bicos_{kPesoDoBico.begin(), kPesoDoBico.end()};
    std::discrete_distribution<int> horas_{kPesoDaHora.begin(), kPesoDaHora.end()};
};

// The columns in the schema's order, each with its default.
class LinhaAbastecimento {
public:
    LinhaAbastecimento() : tabela_(*esquema::tabela(QStringLiteral("Abastecimento"))) {
        for (const esquema::Coluna& c : tabela_.colunas)
            valores_ << (c.tipo == esquema::Tipo::Texto ? valores::deTexto(QString())
                                                        : QVariant(0));
    }
    void poe(const char* coluna, const QVariant& v) {
        const int i = int(tabela_.nomes().indexOf(QLatin1String(coluna)));
        valores_[i] = v;
    }
    const QVariantList& valores() const { return valores_; }
    QString insercao(int linhas) const {
        const QString uma = QLatin1Char('(') +
                            QStringList(valores_.size(), QStringLiteral("?")).join(',') +
                            QLatin1Char(')');
        return QStringLiteral("INSERT INTO Abastecimento (%1) VALUES ")
                   .arg(tabela_.nomes().join(',')) +
               QStringList(linhas, uma).join(',');
    }

private:
    const esquema::Tabela& tabela_;
    QVariantList valores_;
};

class Carga {
public:
    explicit Carga(QSqlDatabase& db) : lote_(db), um_(db) {
        confere(lote_.prepare(modelo_.insercao(kLinhasPorComando)), lote_, "INSERT em lote");
        confere(um_.prepare(modelo_.insercao(1)), um_, "INSERT");
    }
    void adiciona(const QVariantList& linha) {
        pendentes_ << linha;
        if (pendentes_.size() == kLinhasPorComando * linha.size()) despeja(lote_);
    }
    void conclui() {
        const qsizetype largura = modelo_.valores().size();
        QVariantList resto = std::exchange(pendentes_, {});
        for (qsizetype i = 0; i < resto.size(); i += largura) {
            pendentes_ = resto.mid(i, largura);
            despeja(um_);
        }
    }
    LinhaAbastecimento& modelo() { return modelo_; }

private:
    void despeja(QSqlQuery& q) {
        for (qsizetype i = 0; i < pendentes_.size(); ++i)
            q.bindValue(int(i), pendentes_[i]);
        confere(q.exec(), q, "INSERT");
        pendentes_.clear();
    }

    LinhaAbastecimento modelo_;
    QSqlQuery lote_;
    QSqlQuery um_;
    QVariantList pendentes_;
};

void rejeita(QSqlQuery& q, const QDate& d, Gerador& g, int sequencia) {
    const QDateTime recebido(d, QTime(g.inteiro(6, 21), g.inteiro(0, 59), g.inteiro(0, 59)));
    const bool reprocessado = g.inteiro(1, 100) <= 95;
    const QString bruta = respostaPadrao(90 + g.inteiro(0, 9), recebido, Moeda::deInteiro(20),
                                         kPrecos[0], Moeda(), sequencia);
    const QVariant nenhum(QMetaType::fromType<QString>());
    const QVariantList v = {
        1,
        valores::deDataHora(recebido),
        bruta,
        QStringLiteral("Código de bico não cadastrado em BicoAutomacao: %1").arg(bruta.mid(23, 2)),
        QStringLiteral("1"),
        reprocessado ? valores::deDataHora(recebido.addDays(1)) : nenhum,
        reprocessado ? valores::deData(d) : nenhum,
        reprocessado ? valores::deHora(QTime(recebido.time().hour(), recebido.time().minute()))
                     : nenhum,
        reprocessado ? QVariant(1) : QVariant(QMetaType::fromType<int>())};
    for (qsizetype i = 0; i < v.size(); ++i)
        q.bindValue(int(i), v[i]);
    confere(q.exec(), q, "INSERT AbastecimentoRejeitado");
}

QByteArray cadastros(const std::array<Moeda, kBicos>& encerrantes, QByteArray& bicos,
                     QByteArray& codigos) {
    QByteArray atual = "Empresa,Bico,Encerrante\n";
    bicos = "Empresa,Bico,Produto,Complemento\n";
    codigos = "Codigo,Bico\n";
    for (int b = 1; b <= kBicos; ++b) {
        atual += QStringLiteral("1,%1,%2\n")
                     .arg(b)
                     .arg(encerrantes[std::size_t(b - 1)].textoPonto(2))
                     .toLatin1();
        bicos += QStringLiteral("1,%1,%2,ILHA %3\n")
                     .arg(b)
                     .arg(kProdutoDoBico[std::size_t(b - 1)])
                     .arg((b + 1) / 2)
                     .toLatin1();
        codigos += QStringLiteral("%1,%2\n").arg(b, 2, 10, QLatin1Char('0')).arg(b).toLatin1();
    }
    return atual;
}

} // namespace

QSqlDatabase conexaoDireta(const OpcoesBanco& o, const QString& nome) {
    const bool pg = o.driver == OpcoesBanco::Driver::PostgreSQL;
    if (QSqlDatabase::contains(nome)) QSqlDatabase::removeDatabase(nome);
    QSqlDatabase db =
        QSqlDatabase::addDatabase(pg ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"), nome);
    db.setDatabaseName(pg ? o.banco : o.arquivo);
    db.setHostName(o.servidor);
    db.setPort(o.porta);
    db.setUserName(o.usuario);
    if (!db.open()) falha(db.lastError().text());
    QSqlQuery q(db);
    if (pg && !o.esquema.isEmpty())
        confere(q.exec(QStringLiteral("SET search_path TO ") + o.esquema), q, "search_path");
    return db;
}

Preenchimento preencheAnos(Conexao& conexao, const QDate& ultimoDia, int dias) {
    Preenchimento p;
    p.primeiroDia = ultimoDia.addDays(1 - dias);
    p.ultimoDia = ultimoDia;
    QElapsedTimer relogio;
    relogio.start();
    std::array<Moeda, kBicos> encerrantes{};
    struct Remove {
        ~Remove() { QSqlDatabase::removeDatabase(QStringLiteral("carga")); }
    } remove;
    {
        QSqlDatabase db = conexaoDireta(conexao.opcoes(), QStringLiteral("carga"));
        QSqlQuery pragma(db);
        if (!conexao.postgres())
            confere(pragma.exec(QStringLiteral("PRAGMA synchronous = OFF")), pragma, "PRAGMA");
        Carga carga(db);
        QSqlQuery rejeitado(db);
        confere(rejeitado.prepare(
                    QStringLiteral("INSERT INTO AbastecimentoRejeitado (Empresa, DataHoraRecebido, "
                                   "RegistroAutomacao, Erro, Passo, "
                                   "DataHoraReprocessado, DataAbastecimento, HoraAbastecimento, "
                                   "BicoAbastecimento) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)")),
                rejeitado, "INSERT AbastecimentoRejeitado");
        Gerador g(20261207);
        LinhaAbastecimento& l = carga.modelo();
        l.poe("Empresa", 1);
        for (QDate d = p.primeiroDia; d <= ultimoDia; d = d.addDays(1)) {
            if (p.primeiroDia.daysTo(d) % kDiasPorTransacao == 0 && !db.transaction())
                falha(db.lastError().text());
            l.poe("Data", valores::deData(d));
            for (const Venda& v : g.dia(d)) {
                const int bico = v.bico + 1;
                const Moeda preco = kPrecos[std::size_t(kProdutoDoBico[std::size_t(v.bico)] - 1)];
                const Moeda inicial = encerrantes[std::size_t(v.bico)];
                const Moeda final = inicial + v.litros;
                encerrantes[std::size_t(v.bico)] = final;
                const QDateTime momento(d, QTime(0, 0).addSecs(v.segundo));
                const QString bruta =
                    respostaPadrao(bico, momento, v.litros, preco, final, int(p.abastecimentos));
                l.poe("Hora", valores::deHora(momento.time()));
                l.poe("Bico", bico);
                l.poe("TempoAbastecimento", bruta.mid(19, 4));
                l.poe("Produto", kProdutoDoBico[std::size_t(v.bico)]);
                l.poe("PrecoUnitario", valores::deMoeda(preco));
                l.poe("Quantidade", valores::deMoeda(v.litros));
                l.poe("ValorTotal", valores::deMoeda(v.litros.vezes(preco).arredondada(2)));
                l.poe("Encerrante", valores::deMoeda(final));
                l.poe("EncerranteInicial", valores::deMoeda(inicial));
                l.poe("RegistroAutomacao", bruta);
                l.poe("Complemento", QStringLiteral("ILHA %1").arg((bico + 1) / 2));
                carga.adiciona(l.valores());
                ++p.abastecimentos;
            }
            if (g.inteiro(0, 1) == 0) rejeita(rejeitado, d, g, int(++p.rejeitados));
            const bool fimDoLote =
                p.primeiroDia.daysTo(d) % kDiasPorTransacao == kDiasPorTransacao - 1 ||
                d == ultimoDia;
            if (fimDoLote) {
                carga.conclui();
                if (!db.commit()) falha(db.lastError().text());
            }
        }
        // Autovacuum would do it within the minute; the plans should not wait for it.
        for (const char* tabela : {"Abastecimento", "AbastecimentoRejeitado"})
            if (conexao.postgres())
                confere(pragma.exec(QStringLiteral("ANALYZE ") + QLatin1String(tabela)), pragma,
                        "ANALYZE");
    }
    QByteArray bicos, codigos;
    const QByteArray atual = cadastros(encerrantes, bicos, codigos);
    try {
        importacao::importa(conexao,
                            {{QStringLiteral("EncerranteAtual.csv"), atual},
                             {QStringLiteral("Bico.csv"), bicos},
                             {QStringLiteral("BicoAutomacao.csv"), codigos},
                             {QStringLiteral("Produto.csv"),
                              QByteArray("Produto,PrecoVenda\n1,5.79\n2,3.89\n3,5.99\n")}});
    } catch (const Erro& e) {
        falha(e.descricao());
    }
    p.segundos = double(relogio.elapsed()) / 1000.0;
    return p;
}

} // namespace talvero::medicao
