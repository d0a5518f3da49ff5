#include "DiaSoak.h"

#include "ConfereEncerrantes.h"
#include "estacao/ServidorPgDeTeste.h"
#include "support/Instalacao.h"

#include <QDir>
#include <optional>
#include <random>

namespace talvero::soak {

namespace {

using teste::Estacao;
using teste::MorteDoAgente;

// The SQLite file stays outside the program folder, which holds the log and may go.
const QString kArquivoBanco = QStringLiteral("C:\\Talvero\\Dados\\Talvero.db");

constexpr qsizetype kMenorAbastecimento = 34;

// A kill waiting for its moment in the byte hooks; `precisa` waits for an
// acknowledgement going out or, on reading, for an answer that carries a fueling.
struct MorteArmada {
    std::optional<TipoFalha> tipo;
    bool precisa = false;
    bool atinge(TipoFalha ponto, const QByteArray& bytes) {
        if (tipo != ponto) return false;
        const bool alvo = ponto == TipoFalha::MorteDepoisDeReceber
                              ? bytes.size() >= kMenorAbastecimento
                              : bytes.startsWith("(&I)");
        if (precisa && !alvo) return false;
        tipo.reset();
        return true;
    }
};

class Dia {
public:
    Dia(const PlanoDia& p, teste::ServidorPgDeTeste* servidor, OpcoesBanco banco)
        : p_(p), servidor_(servidor), e_(p.concentrador, p.inicio, std::move(banco)),
          sorteio_(p.semente ^ std::uint64_t(p.dia) << 32) {}
    ResultadoDia roda();

private:
    void preparaEstacao();
    void vigia();
    void ate(std::int64_t ms);
    void aplica(const FalhaSorteada& f);
    void falhaDeLinha(const FalhaSorteada& f, bool liga);
    void termina(const FalhaSorteada& f);
    void removePasta();
    void restauraPasta();
    void morreu();
    void iniciaAgente();
    void encerraFalhas();

    const PlanoDia& p_;
    teste::ServidorPgDeTeste* servidor_;
    Estacao e_;
    ResultadoDia r_;
    MorteArmada armada_;
    std::mt19937_64 sorteio_;
    std::int64_t inicioMs_ = 0;
    std::int64_t reinicioMs_ = 0;
    bool pastaRemovida_ = false;
    std::vector<FalhaSorteada> ativas_; // faults that last, by their end
};

void Dia::preparaEstacao() {
    const auto sim = [](bool v) { return v ? QStringLiteral("SIM") : QStringLiteral("NAO"); };
    if (p_.cenario.biblioteca) e_.defineIni(QStringLiteral("Usar Dll da Company"), sim(true));
    e_.defineIni(QStringLiteral("Espera Fixa"), sim(p_.esperaFixa));
    e_.defineIni(QStringLiteral("Descarga Rapida"), sim(p_.descargaRapida));
    if (p_.cenario.leiaute == sim::Leiaute::IdentFid)
        e_.cadastraCartoes(p_.cartoesGravados, p_.cartoesCadastrados);
    inicioMs_ = e_.mundo.relogio.ms();
}

// The armed kill strikes at its point of the exchange. The station checks every
// acknowledgement against the database itself and reports it with the ledger's
// discrepancies.
void Dia::vigia() {
    e_.vigias.antesDeEnviar = [this](const QByteArray& b) {
        if (armada_.atinge(TipoFalha::MorteAntesDeEnviar, b)) throw MorteDoAgente{};
    };
    e_.vigias.depoisDeEnviar = [this](const QByteArray& b) {
        if (armada_.atinge(TipoFalha::MorteDepoisDeEnviar, b)) throw MorteDoAgente{};
    };
    e_.vigias.depoisDeReceber = [this](const QByteArray& b) {
        if (armada_.atinge(TipoFalha::MorteDepoisDeReceber, b)) throw MorteDoAgente{};
    };
}

// A killed agent is started again after its pause, as a service manager would.
void Dia::ate(std::int64_t ms) {
    const std::int64_t alvo = inicioMs_ + ms;
    while (e_.mundo.relogio.ms() < alvo) {
        const std::int64_t agora = e_.mundo.relogio.ms();
        if (e_.vivo()) {
            if (e_.roda(alvo - agora)) morreu();
        } else if (agora >= reinicioMs_) {
            if (pastaRemovida_) restauraPasta(); // the technician puts the folder back first
            iniciaAgente();
        } else {
            e_.roda(std::min(alvo, reinicioMs_) - agora);
        }
    }
}

// An agent that finds no database ends its process at start-up; the service
// manager starts it again later.
void Dia::iniciaAgente() {
    const int antes = e_.mundo.processos.encerramentos;
    e_.iniciaAgente();
    if (e_.mundo.processos.encerramentos == antes) return;
    e_.mataAgente();
    morreu();
}

void Dia::morreu() {
    ++r_.mortes;
    reinicioMs_ = e_.mundo.relogio.ms() + std::int64_t(1'000 + sorteio_() % (5 * teste::kMinuto));
}

void Dia::aplica(const FalhaSorteada& f) {
    ++r_.falhas[std::size_t(f.tipo)];
    switch (f.tipo) {
    case TipoFalha::MorteAntesDeEnviar:
    case TipoFalha::MorteDepoisDeEnviar:
    case TipoFalha::MorteDepoisDeReceber:
        armada_ = {f.tipo, f.valor == 1};
        return;
    case TipoFalha::MorteEntreTicks:
        if (!e_.vivo()) return;
        e_.mataAgente();
        morreu();
        return;
    case TipoFalha::BancoRecusaGravar:
        e_.recusaGravacoes(true);
        break;
    case TipoFalha::ServidorParado:
        servidor_->para();
        break;
    case TipoFalha::PastaDoLogRemovida:
        removePasta();
        break;
    case TipoFalha::RelogioDoConcentrador:
        e_.nucleo.defineAdiantamento(f.valor);
        return;
    case TipoFalha::RelogioDoComputador:
        e_.mundo.relogio.acertaHora(f.valor);
        return;
    default:
        falhaDeLinha(f, true);
        break;
    }
    ativas_.push_back(f);
}

void Dia::falhaDeLinha(const FalhaSorteada& f, bool liga) {
    sim::PlanoFalhas& plano = e_.nucleo.falhas();
    plano.pedacos = p_.pedacos;
    plano.intervaloPedacosMs = p_.intervaloPedacosMs;
    sim::Falha* alvo = nullptr;
    switch (f.tipo) {
    case TipoFalha::Ruido:
        alvo = &plano.ruido;
        break;
    case TipoFalha::Silencio:
        alvo = &plano.silencio;
        break;
    case TipoFalha::Atraso:
        alvo = &plano.atraso;
        break;
    case TipoFalha::Partida:
        alvo = &plano.partida;
        break;
    case TipoFalha::Truncada:
        alvo = &plano.truncada;
        break;
    case TipoFalha::Adulterada:
        alvo = &plano.adulterada;
        alvo->soAbastecimentos = true;
        break;
    case TipoFalha::ConfirmacaoPerdida:
        alvo = &plano.confirmacaoPerdida;
        break;
    case TipoFalha::AbastecimentoManual:
        alvo = &plano.manual;
        break;
    default:
        alvo = &plano.desconexao;
        break;
    }
    alvo->proximas = liga ? int(f.valor) : 0;
    alvo->probabilidade = liga ? f.probabilidade : 0;
}

void Dia::termina(const FalhaSorteada& f) {
    switch (f.tipo) {
    case TipoFalha::BancoRecusaGravar:
        e_.recusaGravacoes(false);
        break;
    case TipoFalha::ServidorParado:
        servidor_->inicia();
        break;
    case TipoFalha::PastaDoLogRemovida:
        restauraPasta();
        break;
    default:
        falhaDeLinha(f, false);
        break;
    }
}

// Through the platform's file system: every file of the program folder, then the folder.
void Dia::removePasta() {
    SistemaArquivos& arquivos = e_.mundo.arquivos;
    for (const EntradaPasta& e :
         arquivos.entradas(instalacao::kPastaPrograma, QStringLiteral("*"), 1'000'000))
        arquivos.apaga(instalacao::kPastaPrograma + e.nome, true);
    QDir().rmdir(e_.mundo.local(instalacao::kPastaPrograma));
    pastaRemovida_ = true;
}

void Dia::restauraPasta() {
    if (!pastaRemovida_) return;
    e_.mundo.criaPastaPrograma();
    pastaRemovida_ = false;
}

void Dia::encerraFalhas() {
    for (const FalhaSorteada& f : ativas_)
        termina(f);
    ativas_.clear();
    armada_ = {};
    e_.nucleo.falhas() = {};
}

ResultadoDia Dia::roda() {
    preparaEstacao();
    vigia();
    iniciaAgente();
    for (const FalhaSorteada& f : p_.falhas) {
        // The faults that end before this one starts end first, in their order.
        std::sort(ativas_.begin(), ativas_.end(), [](const auto& a, const auto& b) {
            return a.inicioMs + a.duracaoMs < b.inicioMs + b.duracaoMs;
        });
        while (!ativas_.empty() &&
               ativas_.front().inicioMs + ativas_.front().duracaoMs <= f.inicioMs) {
            ate(ativas_.front().inicioMs + ativas_.front().duracaoMs);
            termina(ativas_.front());
            ativas_.erase(ativas_.begin());
        }
        ate(f.inicioMs);
        aplica(f);
    }
    ate(p_.duracaoMs);
    encerraFalhas();
    if (!e_.vivo()) { // killed near the end: started again now, to drain the concentrator
        restauraPasta();
        e_.iniciaAgente();
    }
    if (!e_.esvazia(2 * teste::kHora))
        r_.discrepancias
            << QStringLiteral("concentrador não esvaziou: %1 pendentes").arg(e_.nucleo.pendentes());
    r_.discrepancias << e_.discrepancias(&r_.viradas, &r_.identicas);
    const ConferenciaEncerrantes c = confereEncerrantes(e_);
    r_.discrepancias << c.discrepancias;
    r_.manuais = c.manuais;
    r_.lacunas = c.lacunas;
    r_.meiaNoite = c.meiaNoite;
    r_.foraDeOrdem = c.foraDeOrdem;
    if (r_.discrepancias.isEmpty())
        r_.abastecimentos =
            std::int64_t(e_.nucleo.livro().abastecimentos().size()) - r_.identicas - r_.manuais;
    return r_;
}

// A schema of its own for the day, on the soak's server: a fresh database.
OpcoesBanco bancoDoDia(const PlanoDia& p, teste::ServidorPgDeTeste* servidor) {
    OpcoesBanco o;
    if (!servidor) {
        o.arquivo = kArquivoBanco;
        return o;
    }
    o = servidor->opcoes();
    o.esquema = QStringLiteral("soak_%1_%2").arg(p.semente).arg(p.dia);
    Conexao admin(servidor->opcoes());
    if (!admin.Conecta()) throw Erro(admin.ultimoErro(), erros::BancoDeDados);
    admin.executa(QStringLiteral("soak"),
                  QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(o.esquema));
    admin.executa(QStringLiteral("soak"), QStringLiteral("CREATE SCHEMA ") + o.esquema);
    return o;
}

void apagaBanco(const OpcoesBanco& o, teste::ServidorPgDeTeste* servidor) {
    Conexao admin(servidor->opcoes());
    if (admin.Conecta())
        admin.executa(QStringLiteral("soak"),
                      QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(o.esquema));
}

} // namespace

ResultadoDia rodaDia(const PlanoDia& plano, teste::ServidorPgDeTeste* servidor) {
    const OpcoesBanco banco = bancoDoDia(plano, servidor);
    ResultadoDia r;
    {
        Dia dia(plano, servidor, banco);
        r = dia.roda();
    }
    if (servidor) apagaBanco(banco, servidor);
    if (servidor && !servidor->erro().isEmpty())
        r.discrepancias << QStringLiteral("servidor: ") + servidor->erro();
    return r;
}

} // namespace talvero::soak
