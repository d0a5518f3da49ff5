#include "GravacaoMedida.h"

#include "Estatistica.h"
#include "platform/Erro.h"
#include "platform/MapaCaminhos.h"
#include "platform/OperadorSemJanela.h"
#include "platform/SistemaArquivosLocal.h"
#include "platform/TempoReal.h"
#include "store/Abastecimento.h"
#include "store/Cadastros.h"
#include "store/Conexao.h"
#include "store/GravacaoAbastecimento.h"
#include "store/Importacao.h"
#include "support/Configuracao.h"
#include "support/RegistroEventos.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <numeric>
#include <stdexcept>
#include <vector>

namespace talvero::medicao {

namespace {

constexpr int kBicos = 4;
constexpr int kMinutosDia = 24 * 60;

[[noreturn]] void falha(const QString& texto) {
    throw std::runtime_error(texto.toStdString());
}

// Fueling i: nozzles in turn, one minute apart per nozzle, so every key is new.
AbastecimentoEmTrabalho abastecimento(int i, const QDate& primeiroDia,
                                      std::array<Moeda, kBicos>& encerrantes) {
    AbastecimentoEmTrabalho a;
    const int bico = i % kBicos;
    const int minuto = i / kBicos;
    a.lBico = std::int16_t(bico + 1);
    a.lDataAbastecimento = primeiroDia.addDays(minuto / kMinutosDia);
    a.lHoraAbastecimento = QTime(0, 0).addSecs(60 * (minuto % kMinutosDia));
    a.lTempoAbastecimento = QStringLiteral("0130");
    a.lPrecoUnitario = Moeda::deTexto(u"5.79");
    a.lQuantidadeLitros = Moeda::deInteiro(10 + i % 30);
    a.lValorTotal = a.lPrecoUnitario.vezes(a.lQuantidadeLitros).arredondada(2);
    encerrantes[std::size_t(bico)] = encerrantes[std::size_t(bico)] + a.lQuantidadeLitros;
    a.lAutomacaoEncerrante = encerrantes[std::size_t(bico)];
    a.lProduto = 1;
    a.lComplementoBico = QStringLiteral("ILHA 1");
    return a;
}

// A 52-character raw answer, different for every fueling.
QString resposta(int i) {
    return QLatin1Char('(') + QStringLiteral("%1").arg(i, 50, 10, QLatin1Char('0')) +
           QLatin1Char(')');
}

double ms(qint64 ns) {
    return double(ns) / 1e6;
}

TemposGravacao resume(const std::vector<qint64>& ns) {
    TemposGravacao t;
    t.gravacoes = int(ns.size());
    if (ns.empty()) return t;
    std::vector<double> v;
    for (const qint64 n : ns)
        v.push_back(ms(n));
    t.medianaMs = mediana(v);
    t.p99Ms = percentil(v, 0.99);
    t.mediaMs = std::accumulate(v.begin(), v.end(), 0.0) / double(v.size());
    t.maximoMs = *std::max_element(v.begin(), v.end());
    return t;
}

// A throwaway test server often runs without flushing to disk; the figures say so.
QString duravel(Conexao& c) {
    if (!c.postgres()) return {};
    QStringList v;
    for (const char* nome : {"fsync", "synchronous_commit"}) {
        QSqlQuery q =
            c.executa(QStringLiteral("Medicao"), QStringLiteral("SHOW ") + QLatin1String(nome));
        v << QLatin1String(nome) + QLatin1Char('=') +
                 (q.next() ? q.value(0).toString() : QStringLiteral("?"));
    }
    return v.join(QStringLiteral(", "));
}

class EsquemaDescartavel {
public:
    explicit EsquemaDescartavel(Conexao& c) : c_(c) {}
    ~EsquemaDescartavel() {
        if (!c_.postgres() || c_.opcoes().esquema.isEmpty()) return;
        try {
            c_.executa(QStringLiteral("Medicao"), QStringLiteral("DROP SCHEMA ") +
                                                      c_.opcoes().esquema +
                                                      QStringLiteral(" CASCADE"));
        } catch (const Erro&) {
        }
    }

private:
    Conexao& c_;
};

} // namespace

TemposGravacao medeGravacao(const OpcoesBanco& opcoes, int n) {
    Conexao conexao(opcoes);
    if (!conexao.Conecta()) falha(conexao.ultimoErro());
    EsquemaDescartavel descarte(conexao);
    try {
        importacao::importa(
            conexao, {{QStringLiteral("EncerranteAtual.csv"),
                       QByteArray("Empresa,Bico,Encerrante\n1,1,0\n1,2,0\n1,3,0\n1,4,0\n")}});
    } catch (const Erro& e) {
        falha(e.descricao());
    }
    return medeGravacao(conexao, n, QDate(2026, 1, 1));
}

TemposGravacao medeGravacao(Conexao& conexao, int n, const QDate& primeiroDia) {
    QTemporaryDir raiz;
    if (!raiz.isValid() || !QDir(raiz.path()).mkpath(QStringLiteral("C/Talvero/AutoTalvero")))
        falha(QStringLiteral("pasta temporária para o log"));
    const MapaCaminhos caminhos(raiz.path());
    RelogioSistema relogio;
    SistemaArquivosLocal arquivos(caminhos);
    OperadorSemJanela operador([](const QString&) {});
    RegistroEventos registro(relogio, arquivos, operador);
    Configuracao cfg;
    cfg.lCodigoEmpresa = 1;
    cfg.gCodigoEmpresa = 1;
    Abastecimento registroAbastecimento(conexao);
    EncerranteAtual encerrante(conexao);
    ParametroEmpresa parametro(conexao);
    CartaoIdentFid cartao(conexao);
    GravacaoAbastecimento gravacao({cfg, registro, conexao, registroAbastecimento, encerrante,
                                    parametro, cartao, std::function<void()>()});
    std::array<Moeda, kBicos> encerrantes{};
    TemposGravacao t = cronometra(n, [&](int i) {
        AbastecimentoEmTrabalho a = abastecimento(i, primeiroDia, encerrantes);
        if (!GravacaoAbastecimento::noBanco(gravacao.AutoAtualTabeAbastecimento(a, resposta(i))))
            falha(QStringLiteral("o abastecimento %1 não foi gravado").arg(i));
    });
    t.duravel = duravel(conexao);
    return t;
}

TemposGravacao cronometra(int n, const std::function<void(int)>& passo) {
    std::vector<qint64> ns;
    ns.reserve(std::size_t(n));
    for (int i = 0; i < n; ++i) {
        QElapsedTimer cronometro;
        cronometro.start();
        passo(i);
        ns.push_back(cronometro.nsecsElapsed());
    }
    return resume(std::move(ns));
}

std::optional<OpcoesBanco> postgresDoAmbiente() {
    if (qEnvironmentVariableIsEmpty("TALVERO_TESTE_PG_HOST")) return std::nullopt;
    OpcoesBanco o;
    o.driver = OpcoesBanco::Driver::PostgreSQL;
    o.servidor = qEnvironmentVariable("TALVERO_TESTE_PG_HOST");
    o.porta = qEnvironmentVariableIntValue("TALVERO_TESTE_PG_PORTA");
    o.usuario = qEnvironmentVariable("TALVERO_TESTE_PG_USUARIO");
    o.banco = qEnvironmentVariable("TALVERO_TESTE_PG_BANCO");
    o.esquema = QStringLiteral("medicao_%1").arg(QCoreApplication::applicationPid());
    return o;
}

} // namespace talvero::medicao
