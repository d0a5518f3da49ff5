#include "estacao/Estacao.h"

#include "comum/RecusaGravacao.h"
#include "store/Importacao.h"
#include "support/Instalacao.h"

namespace talvero::teste {

namespace {

QString textoMoeda(Moeda m) {
    return m.textoPonto(2);
}

} // namespace

int bicoDoCodigo(const QString& codigo) {
    return codigo == QLatin1String("0C") ? 5 : codigo.toInt();
}

std::string nomeDoCenario(const ::testing::TestParamInfo<Cenario>& info) {
    return info.param.nome;
}

// Writes and reads of one byte stream, under the station's own check and the test's hooks.
class Estacao::CanalVigiado : public CanalBytes {
public:
    CanalVigiado(std::unique_ptr<CanalBytes> real, Estacao& e) : real_(std::move(real)), e_(e) {}
    void abre() override { real_->abre(); }
    void fecha() override { real_->fecha(); }
    bool aberto() const override { return real_->aberto(); }
    void escreve(const QByteArray& bytes) override {
        e_.antesDeEnviar(bytes);
        real_->escreve(bytes);
        if (e_.vigias.depoisDeEnviar) e_.vigias.depoisDeEnviar(bytes);
    }
    qsizetype disponiveis() override { return real_->disponiveis(); }
    QByteArray le() override {
        QByteArray bytes = real_->le();
        if (!bytes.isEmpty() && e_.vigias.depoisDeReceber) e_.vigias.depoisDeReceber(bytes);
        return bytes;
    }
    void descarta() override { real_->descarta(); }
    bool aguardaDados(int maxMs) override { return real_->aguardaDados(maxMs); }

private:
    std::unique_ptr<CanalBytes> real_;
    Estacao& e_;
};

std::unique_ptr<CanalBytes> Estacao::CanaisVigiados::serial(const QString& porta) {
    return std::make_unique<CanalVigiado>(real_.serial(porta), e_);
}

std::unique_ptr<CanalBytes> Estacao::CanaisVigiados::tcp(const QString& host, quint16 porta) {
    return std::make_unique<CanalVigiado>(real_.tcp(host, porta), e_);
}

// Every acknowledgement is checked, whatever hooks the test sets; a hook that
// kills the agent here stops an acknowledgement that had to be right all the same.
void Estacao::antesDeEnviar(const QByteArray& bytes) {
    if (bytes.startsWith("(&I)"))
        if (const QString d = confirmacaoSemGravacao(); !d.isEmpty()) confirmadosSemGravacao_ << d;
    if (vigias.antesDeEnviar) vigias.antesDeEnviar(bytes);
}

Estacao::Estacao(sim::ConfiguracaoConcentrador concentrador, const QDateTime& inicio,
                 OpcoesBanco banco)
    : mundo(canais_, inicio), nucleo(mundo.relogio, std::move(concentrador)) {
    linhas_.liga(nucleo, mundo.relogio);
    mundo.criaPastaPrograma();
    mundo.criaPasta(QStringLiteral("C:\\Automacao")); // the request folder a station has
    const QString arquivoBanco = banco.arquivo.isEmpty() ? instalacao::kBancoPadrao : banco.arquivo;
    mundo.criaPasta(arquivoBanco.left(arquivoBanco.lastIndexOf(QLatin1Char('\\'))));
    opcoesBanco = banco.driver == OpcoesBanco::Driver::PostgreSQL
                      ? banco
                      : OpcoesBanco::sqlite(mundo.local(arquivoBanco));
    const auto& c = nucleo.configuracao();
    const auto sim = [](bool v) { return v ? QStringLiteral("SIM") : QStringLiteral("NAO"); };
    ini = QStringList{"[OUTRAS]",
                      "Quantidade de Bicos=4",
                      "Codigo da Empresa=1",
                      "Nome da Empresa=POSTO DE TESTE",
                      "Criar Log Timer=NAO",
                      "[EMAIL]",
                      "Numero do Email=0",
                      "Concluido=NAO",
                      "[AUTOMACAO]",
                      "Usar Dll da Company=NAO",
                      "Usar IdentFID=" + sim(c.leiaute == sim::Leiaute::IdentFid),
                      "Espera Fixa=NAO",
                      "Descarga Rapida=NAO",
                      "Casas decimais da litragem=" + QString::number(c.casasLitragem),
                      "Casas decimais do valor=" + QString::number(c.casasValor),
                      "Porta de Comunicacao=COM1",
                      "[LOCALIZACAO]",
                      "Pasta da automacao=Automacao",
                      "Computador com automacao=CAIXA01",
                      "[BANCO DE DADOS]"};
    if (opcoesBanco.driver == OpcoesBanco::Driver::PostgreSQL)
        ini << "Driver=POSTGRESQL"
            << "Servidor=" + opcoesBanco.servidor << "Porta=" + QString::number(opcoesBanco.porta)
            << "Banco=" + opcoesBanco.banco << "Usuario=" + opcoesBanco.usuario
            << "Esquema=" + opcoesBanco.esquema;
    else if (!banco.arquivo.isEmpty())
        ini << "Arquivo=" + banco.arquivo;
    cadastraEstacao();
}

sim::ConfiguracaoConcentrador ConcentradorDoCenario(const Cenario& c, double porMinuto,
                                                    std::uint64_t semente) {
    sim::ConfiguracaoConcentrador cfg;
    cfg.leiaute = c.leiaute;
    cfg.casasLitragem = c.casasLitragem;
    cfg.casasValor = c.casasValor;
    cfg.precoZero = c.precoZero;
    cfg.viraNoMilhao = true;
    cfg.bicos = sim::bicosPadrao();
    for (auto& bico : cfg.bicos)
        bico.encerrante = Moeda::deInteiro(990'000);
    cfg.taxaPorMinuto = porMinuto;
    cfg.semente = semente;
    return cfg;
}

Estacao::Estacao(const Cenario& c, double porMinuto, std::uint64_t semente, const QDateTime& inicio,
                 OpcoesBanco b)
    : Estacao(ConcentradorDoCenario(c, porMinuto, semente), inicio, std::move(b)) {
    if (c.biblioteca) defineIni(QStringLiteral("Usar Dll da Company"), QStringLiteral("SIM"));
}

Estacao::~Estacao() {
    mataAgente();
}

// The registers: nozzle codes 01-04 are nozzles 1-4 and 0C is nozzle 5; products
// 1-3 with their prices; each nozzle's current totalizer where its counter starts.
void Estacao::cadastraEstacao() {
    std::map<int, Moeda> inicial{{1, {}}, {2, {}}, {3, {}}, {4, {}}, {5, {}}};
    for (const auto& b : nucleo.configuracao().bicos)
        inicial[bicoDoCodigo(b.codigo)] = b.encerrante;
    QByteArray encerrantes = "Empresa,Bico,Encerrante\n";
    for (const auto& [bico, encerrante] : inicial)
        encerrantes +=
            "1," + QByteArray::number(bico) + ',' + textoMoeda(encerrante).toLatin1() + '\n';
    importacao::importa(
        banco(),
        {{QStringLiteral("BicoAutomacao.csv"), "Codigo,Bico\n01,1\n02,2\n03,3\n04,4\n0C,5\n"},
         {QStringLiteral("Bico.csv"), "Empresa,Bico,Produto,Complemento\n1,1,1,Gasolina\n1,2,2,"
                                      "Etanol\n1,3,3,Diesel\n1,4,1,Gasolina\n1,5,3,Diesel\n"},
         {QStringLiteral("Produto.csv"), "Produto,PrecoVenda\n1,5.79\n2,3.89\n3,5.99\n"},
         {QStringLiteral("Estoque.csv"),
          "Empresa,Produto,PrecoVenda\n1,1,5.79\n1,2,3.89\n1,3,5.99\n"},
         {QStringLiteral("EncerranteAtual.csv"), encerrantes}});
}

void Estacao::defineIni(const QString& chave, const QString& valor) {
    for (qsizetype i = ini.size() - 1; i >= 0; --i) {
        if (!ini[i].startsWith(chave + QLatin1Char('='))) continue;
        if (valor.isNull())
            ini.removeAt(i);
        else
            ini[i] = chave + QLatin1Char('=') + valor;
    }
}

void Estacao::escreveIni() {
    if (ini.isEmpty()) {
        if (mundo.arquivos.existe(instalacao::kArquivoIni))
            mundo.arquivos.apaga(instalacao::kArquivoIni, true);
        return;
    }
    mundo.arquivos.criaTexto(instalacao::kArquivoIni, ini);
}

MenuAutomacao& Estacao::criaAgente(JanelaPrincipal* janela) {
    mataAgente();
    escreveIni();
    janela_ = std::make_unique<JanelaSemTela>();
    const Plataforma p{mundo.relogio,   mundo.agendador, arquivos_,       mundo.operador,
                       mundo.processos, mundo.host,      mundo.icone,     canais_,
                       mundo.caminhos,  servico,         mundo.vigiaPasta};
    agente_ = std::make_unique<MenuAutomacao>(p, janela ? *janela : *janela_);
    agente_->registro.defineSaidaErro([this](const QString&) { ++linhasForaDoLog; });
    agente_->acompanhamento.defineSaida([this](const QString& linha) { saidaErro << linha; });
    return *agente_;
}

MenuAutomacao& Estacao::iniciaAgente(JanelaPrincipal* janela) {
    criaAgente(janela).Form_Load();
    return *agente_;
}

void Estacao::mataAgente() {
    agente_.reset();
}

// While the clock runs, the agent's own end of its process is its death.
bool Estacao::roda(std::int64_t ms) {
    mundo.processos.aoEncerrar = [] { throw MorteDoAgente{}; };
    try {
        mundo.agendador.avanca(ms);
        mundo.processos.aoEncerrar = nullptr;
        return false;
    } catch (const MorteDoAgente&) {
        mundo.processos.aoEncerrar = nullptr;
        mataAgente();
        return true;
    }
}

bool Estacao::esvazia(std::int64_t limiteMs) {
    for (std::int64_t passado = 0; passado < limiteMs; passado += 500) {
        if (nucleo.pendentes() == 0) return true;
        if (roda(500)) iniciaAgente();
    }
    return nucleo.pendentes() == 0;
}

int Estacao::confirmacoesEntre(std::int64_t deMs, std::int64_t ateMs) const {
    int n = 0;
    for (const auto& e : nucleo.livro().eventos())
        if (e.evento == sim::EventoLivro::Confirmado && e.ms >= deMs && e.ms <= ateMs) ++n;
    return n;
}

Conexao& Estacao::banco() {
    if (!banco_) {
        banco_ = std::make_unique<Conexao>(opcoesBanco);
        EXPECT_TRUE(banco_->Conecta()) << banco_->ultimoErro().toStdString();
    }
    return *banco_;
}

void Estacao::cadastra(const char* arquivo, const QByteArray& csv) {
    importacao::importa(banco(), {{QString::fromLatin1(arquivo), csv}});
}

void Estacao::cadastraCartoes(int gravados, int cadastrados) {
    QByteArray csv = "Empresa,Cartao,Codigo\n";
    for (int i = 0; i < gravados; ++i) {
        const QString cartao = QStringLiteral("CAFE%1").arg(i, 12, 10, QLatin1Char('0'));
        nucleo.cartoes().grava(cartao);
        if (i >= cadastrados) continue;
        codigoDoCartao[cartao] = 100 + i;
        csv += "1," + cartao.toLatin1() + ',' + QByteArray::number(100 + i) + '\n';
    }
    cadastra("CartaoIdentFid.csv", csv);
}

namespace {

// A connection that found its server gone fails once and is opened again by the next call.
template <typename F> auto comNovaTentativa(Conexao& c, F f) {
    try {
        return f(c);
    } catch (const ErroBanco&) {
        return f(c);
    }
}

} // namespace

void Estacao::recusaGravacoes(bool recusa) {
    comNovaTentativa(banco(), [recusa](Conexao& c) {
        teste::recusaGravacoes(c, {"Abastecimento", "AbastecimentoRejeitado", "EncerranteAtual"},
                               {"INSERT", "UPDATE"}, recusa);
    });
}

QList<Abastecimento> Estacao::abastecimentos() {
    return comNovaTentativa(banco(), Abastecimento::Lista);
}
QList<AbastecimentoRejeitado> Estacao::rejeitados() {
    return comNovaTentativa(banco(), AbastecimentoRejeitado::Lista);
}

} // namespace talvero::teste
