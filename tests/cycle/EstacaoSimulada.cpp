#include "cycle/EstacaoSimulada.h"

#include "store/Importacao.h"
#include "store/RecusaGravacao.h"

#include <QHash>

namespace talvero::teste {

namespace {

int bicoDoCodigo(const QString& codigo) { return codigo == QLatin1String("0C") ? 5 : codigo.toInt(); }

} // namespace

sim::ConfiguracaoConcentrador ConcentradorDoCenario(const Cenario& c, double porMinuto, std::uint64_t semente) {
    sim::ConfiguracaoConcentrador cfg;
    cfg.layout = c.layout;
    cfg.casasLitragem = c.casasLitragem;
    cfg.casasValor = c.casasValor;
    cfg.precoZero = c.precoZero;
    cfg.rolloverMilhao = true;
    cfg.bicos = sim::bicosPadrao();
    for (auto& b : cfg.bicos) b.encerrante = Moeda::deInteiro(990'000);
    cfg.taxaPorMinuto = porMinuto;
    cfg.semente = semente;
    return cfg;
}

EstacaoSimulada::EstacaoSimulada(sim::ConfiguracaoConcentrador cfgConcentrador, const QDateTime& inicio,
                                 OpcoesBanco b)
    : relogio(inicio),
      banco(b.driver == OpcoesBanco::Driver::SQLite && b.arquivo.isEmpty() ? OpcoesBanco::sqlite(dir.filePath("Talvero.db")) : b),
      nucleo(relogio, std::move(cfgConcentrador)) {
    const auto& c = nucleo.configuracao();
    cfg.lCodigoEmpresa = 1;
    cfg.gCodigoEmpresa = 1;
    cfg.lCasasDecimaisLitragem = std::int16_t(c.casasLitragem);
    cfg.lCasasDecimaisValor = std::int16_t(c.casasValor);
    cfg.lUsarIdentFid = c.layout == sim::Layout::IdentFid;
    Conexao conexao(banco);
    EXPECT_TRUE(conexao.Conecta()) << conexao.ultimoErro().toStdString();
    CadastraEstacao(conexao);
    QByteArray encerrantes = "Empresa,Bico,Encerrante\n";
    for (const auto& bico : c.bicos)
        encerrantes += "1," + QByteArray::number(bicoDoCodigo(bico.codigo)) + ',' + bico.encerrante.textoPonto(2).toLatin1() + '\n';
    importacao::importa(conexao, {{QStringLiteral("EncerranteAtual.csv"), encerrantes}});
}

EstacaoSimulada::~EstacaoSimulada() { mataAgente(); }

void EstacaoSimulada::iniciaAgente() {
    transportes = std::make_unique<TransportesConcentrador>(fabrica, relogio);
    serial = std::make_unique<SerialVigiado>(transportes->serial(), vigias);
    biblioteca = std::make_unique<BibliotecaVigiada>(transportes->biblioteca(), vigias);
    agente = std::make_unique<AgenteDeTeste>(agendador, log.registro, cfg, banco, *serial, *biblioteca);
    agente->abreLink();
}

void EstacaoSimulada::mataAgente() {
    if (!agente) return;
    agente.reset();
    biblioteca.reset();
    serial.reset();
    transportes.reset();
    ++mortes;
}

bool EstacaoSimulada::roda(std::int64_t ms) {
    try {
        agendador.avanca(ms);
        return false;
    } catch (const MorteDoAgente&) {
        mataAgente();
        return true;
    }
}

bool EstacaoSimulada::esvazia(std::int64_t limiteMs) {
    for (std::int64_t passado = 0; passado < limiteMs; passado += 500) {
        if (nucleo.pendentes() == 0) return true;
        if (roda(500)) iniciaAgente();
    }
    return nucleo.pendentes() == 0;
}

int EstacaoSimulada::confirmacoesEntre(std::int64_t deMs, std::int64_t ateMs) const {
    int n = 0;
    for (const auto& e : nucleo.livro().eventos())
        if (e.evento == sim::EventoLivro::Confirmado && e.ms >= deMs && e.ms <= ateMs) ++n;
    return n;
}

void EstacaoSimulada::cadastraCartoes(int gravados, int cadastrados) {
    Conexao conexao(banco);
    ASSERT_TRUE(conexao.Conecta());
    QByteArray csv = "Empresa,Cartao,Codigo\n";
    for (int i = 0; i < gravados; ++i) {
        const QString cartao = QStringLiteral("CAFE%1").arg(i, 12, 10, QLatin1Char('0'));
        nucleo.cartoes().grava(cartao);
        if (i >= cadastrados) continue;
        codigoDoCartao[cartao] = 100 + i;
        csv += "1," + cartao.toLatin1() + ',' + QByteArray::number(100 + i) + '\n';
    }
    importacao::importa(conexao, {{QStringLiteral("CartaoIdentFid.csv"), csv}});
}

// As a full or failing disk does: every insert and update fails inside the
// database, whatever the table, until the refusal is lifted.
void EstacaoSimulada::recusaGravacoes(bool recusa) {
    Conexao conexao(banco);
    ASSERT_TRUE(conexao.Conecta());
    teste::recusaGravacoes(conexao, {"Abastecimento", "AbastecimentoRejeitado", "EncerranteAtual"}, {"INSERT", "UPDATE"},
                           recusa);
}

namespace {

// What the database must hold for one fueling of the ledger; empty when it does.
QString diferencas(const sim::AbastecimentoSimulado& a, const Abastecimento& r, const sim::ConfiguracaoConcentrador& c,
                   const std::map<QString, int>& cartoes) {
    QStringList d;
    const auto confere = [&d](const char* campo, const auto& obtido, const auto& esperado) {
        if (!(obtido == esperado)) d << QString::fromLatin1(campo);
    };
    Moeda preco = a.preco;
    for (const auto& b : c.bicos)
        if (b.codigo == a.codigoBico && preco == Moeda()) preco = b.preco;  // completed from the stock register
    const auto cartao = cartoes.find(a.cartao);
    confere("Bico", int(r.Bico), bicoDoCodigo(a.codigoBico));
    confere("Data", r.Data, a.relogio.date());
    confere("Hora", QTime(r.Hora.hour(), r.Hora.minute()), a.relogio.time());
    confere("Segundos", r.Hora.second() % 5, 0);
    confere("TempoAbastecimento", r.TempoAbastecimento, QString::number(a.duracaoS).rightJustified(4, QLatin1Char('0')));
    confere("Produto", r.Produto, a.produto);
    confere("PrecoUnitario", r.PrecoUnitario, preco);
    confere("Quantidade", r.Quantidade, a.litros);
    confere("ValorTotal", r.ValorTotal, a.total);
    confere("Encerrante", r.Encerrante, a.encerrante);
    confere("EncerranteInicial", r.EncerranteInicial, a.encerrante - a.litros);
    confere("Cartao", r.Cartao, c.layout == sim::Layout::IdentFid && cartao != cartoes.end() ? cartao->second : 0);
    confere("ValorParametro", int(r.ValorParametro), 1);
    return d.isEmpty() ? QString() : QStringLiteral("abastecimento %1 (%2): %3").arg(a.id).arg(a.resposta, d.join(u','));
}

} // namespace

void EstacaoSimulada::confereComOLivro() {
    Conexao conexao(banco);
    ASSERT_TRUE(conexao.Conecta());
    const QList<Abastecimento> gravados = Abastecimento::Lista(conexao);
    const auto& livro = nucleo.livro();
    const auto& c = nucleo.configuracao();
    EXPECT_EQ(std::size_t(gravados.size()), livro.abastecimentos().size());
    EXPECT_TRUE(AbastecimentoRejeitado::Lista(conexao).isEmpty());

    QHash<QString, const Abastecimento*> porResposta;
    QStringList problemas;
    for (const Abastecimento& r : gravados)
        if (std::exchange(porResposta[r.RegistroAutomacao], &r)) problemas << "gravado duas vezes: " + r.RegistroAutomacao;
    for (const auto& a : livro.abastecimentos()) {
        if (!livro.confirmado(a.id)) problemas << QStringLiteral("abastecimento %1 não confirmado").arg(a.id);
        const Abastecimento* r = porResposta.value(a.resposta);
        if (!r) problemas << QStringLiteral("abastecimento %1 não gravado: %2").arg(a.id).arg(a.resposta);
        else if (const QString d = diferencas(a, *r, c, codigoDoCartao); !d.isEmpty()) problemas << d;
    }
    EXPECT_TRUE(problemas.isEmpty()) << problemas.size() << " problemas, o primeiro: " << problemas.value(0).toStdString();

    // The current totalizer continues each counter across its rollovers.
    for (const auto& bico : c.bicos) {
        Moeda esperado = bico.encerrante;
        Moeda anterior = bico.encerrante;
        std::int64_t milhoes = 0;
        for (const auto& a : livro.abastecimentos()) {
            if (a.codigoBico != bico.codigo || c.layout == sim::Layout::Curto) continue;
            if (a.encerrante < anterior) ++milhoes;
            anterior = a.encerrante;
            esperado = a.encerrante + Moeda::deInteiro(1'000'000 * milhoes);
        }
        EncerranteAtual atual(conexao);
        ASSERT_TRUE(atual.Localiza(1, std::int16_t(bicoDoCodigo(bico.codigo))));
        EXPECT_EQ(atual.Encerrante, esperado) << "bico " << bico.codigo.toStdString();
        viradas += milhoes;
    }
}

} // namespace talvero::teste
