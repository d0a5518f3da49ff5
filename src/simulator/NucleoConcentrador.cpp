#include "simulator/NucleoConcentrador.h"

#include "platform/CodecAnsi.h"
#include "platform/Erro.h"
#include "simulator/AritmeticaConcentrador.h"
#include "simulator/FormatoRespostas.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace talvero::sim {

namespace {

constexpr std::int64_t kNunca = std::numeric_limits<std::int64_t>::max();

// The smallest step of a value with that many decimals, in ten-thousandths.
std::int64_t passoCasas(int casas) {
    return casas == 2 ? 100 : 10;
}

Moeda limiteEncerrante(bool viraNoMilhao) {
    return Moeda::deInteiro(viraNoMilhao ? 1'000'000 : 100'000'000);
}

[[noreturn]] void recusa(const QString& texto) {
    throw Erro(texto, erros::TiposIncompativeis);
}

ConfiguracaoConcentrador validada(ConfiguracaoConcentrador cfg) {
    valida(cfg);
    return cfg;
}

void validaCartao(const QString& cartao) {
    if (!cartao.isEmpty() && cartao.size() != 16)
        recusa(QStringLiteral("O cartão deve ter 16 caracteres."));
}

} // namespace

NucleoConcentrador::NucleoConcentrador(const Relogio& relogio, ConfiguracaoConcentrador cfg)
    : relogio_(relogio), cfg_(validada(completa(std::move(cfg)))),
      cartoes_(cfg_.tamanhoTabelaCartoes), injetor_(cfg_.semente), sorteio_(cfg_.semente),
      sorteioLatencia_(cfg_.semente ^ 0x1a7e9c1au) {
    for (const BicoSimulado& b : cfg_.bicos)
        bicos_.push_back({b, b.encerrante});
    proximaChegadaMs_ =
        cfg_.taxaPorMinuto > 0 ? relogio_.monotonicoMs() + intervaloChegadas() : kNunca;
}

// --- frames -----------------------------------------------------------------

std::vector<Trecho> NucleoConcentrador::respondeQuadro(const QString& quadro) {
    atualiza();
    guardaQuadro(quadro);
    const Comando c = interpretaComando(quadro);
    if (c.tipo == TipoComando::Desconhecido || c.tipo == TipoComando::ChecksumErrado) {
        ++ignorados_;
        return {};
    }
    const bool carrega = c.tipo == TipoComando::PedeAbastecimento && !fila_.empty();
    if (injetor_.desconecta(carrega)) return {{QByteArray(), 0, true}};
    if (c.tipo == TipoComando::Confirma) {
        confirma();
        return {};
    }
    if (injetor_.silencia(carrega)) return {};
    const QString resposta = responde(c);
    if (resposta.isEmpty()) return {};
    const QString enviada = injetor_.conteudo(resposta, carrega);
    if (carrega) {
        const std::int64_t agora = relogio_.monotonicoMs();
        livro_.entregue(fila_.front(), agora, momentoEm(agora), enviada);
    }
    return injetor_.entrega(ansi::codifica(enviada), latencia(), carrega);
}

std::int64_t NucleoConcentrador::latencia() {
    if (cfg_.variacaoAtrasoMs == 0) return cfg_.atrasoRespostaMs;
    const std::int64_t v = cfg_.variacaoAtrasoMs;
    const std::int64_t sorteada =
        cfg_.atrasoRespostaMs - v + std::int64_t(sorteioLatencia_() % std::uint64_t(2 * v + 1));
    return std::max<std::int64_t>(0, sorteada);
}

QString NucleoConcentrador::responde(const Comando& c) {
    switch (c.tipo) {
    case TipoComando::PedeAbastecimento:
        return fila_.empty() ? QStringLiteral("(0)") : livro_.abastecimento(fila_.front()).resposta;
    case TipoComando::Andamento:
        return respostaAndamento();
    case TipoComando::CartaoAndamento:
        return respostaCartaoAndamento();
    case TipoComando::AcertaRelogio:
        return acertaRelogio(c);
    case TipoComando::Versao:
        return formataVersao(cfg_.firmware, cfg_.monitor, cfg_.checksum);
    case TipoComando::GravaCartao:
    case TipoComando::ApagaCartao:
    case TipoComando::LeCartao:
        return respostaCartao(c);
    default:
        return {};
    }
}

void NucleoConcentrador::confirma() {
    const std::int64_t agora = relogio_.monotonicoMs();
    const std::int64_t id = fila_.empty() ? 0 : fila_.front();
    if (injetor_.perdeConfirmacao()) {
        livro_.confirmacaoPerdida(id, agora, momentoEm(agora));
        return;
    }
    if (!fila_.empty()) fila_.pop_front();
    livro_.confirmado(id, agora, momentoEm(agora));
}

// "(0)" when no nozzle is running; otherwise "(" + code + litres so far (6 digits)
// for every running nozzle, in the order they started, + ")".
QString NucleoConcentrador::respostaAndamento() const {
    if (andamento_.empty()) return QStringLiteral("(0)");
    const std::int64_t agora = relogio_.monotonicoMs();
    QString r = QStringLiteral("(");
    for (const Andamento& a : andamento_)
        r += bicos_[a.bico].cfg.codigo + litrosAteAgora(a, agora);
    return r + QLatin1Char(')');
}

QString NucleoConcentrador::respostaCartaoAndamento() const {
    const auto comCartao = std::find_if(andamento_.begin(), andamento_.end(),
                                        [](const Andamento& a) { return !a.cartao.isEmpty(); });
    if (comCartao == andamento_.end()) return QStringLiteral("(0)");
    const QString codigo = bicos_[comCartao->bico].cfg.codigo;
    const QString cartao = QLatin1Char('(') + codigo + comCartao->cartao + QLatin1Char(')');
    switch (cfg_.formatoCartaoAndamento) {
    case FormatoCartaoAndamento::Direto20:
        return cartao;
    case FormatoCartaoAndamento::Prefixo23:
        return QStringLiteral("(0)") + cartao;
    case FormatoCartaoAndamento::Prefixo30:
        break;
    }
    return QLatin1Char('(') + codigo + litrosAteAgora(*comCartao, relogio_.monotonicoMs()) +
           QLatin1Char(')') + cartao;
}

// A failed card command is answered "(1)"; an erase of a record that holds
// another card is answered with "999999" as second field and the record unchanged.
QString NucleoConcentrador::respostaCartao(const Comando& c) {
    const ModoChecksum m = cfg_.checksum;
    if (c.tipo == TipoComando::GravaCartao) {
        const auto pos = cartoes_.grava(c.cartao);
        return pos ? formataCartao(QLatin1Char('G'), *pos, seisDigitos(*pos), c.cartao, m)
                   : QStringLiteral("(1)");
    }
    if (!cartoes_.existe(c.posicao)) return QStringLiteral("(1)");
    if (c.tipo == TipoComando::LeCartao)
        return formataCartao(QLatin1Char('L'), c.posicao, seisDigitos(c.posicao),
                             cartoes_.le(c.posicao), m);
    if (cartoes_.apaga(c.posicao, c.cartao))
        return formataCartao(QLatin1Char('A'), c.posicao, seisDigitos(c.posicao),
                             TabelaCartoes::vazio(), m);
    return formataCartao(QLatin1Char('A'), c.posicao, QStringLiteral("999999"),
                         cartoes_.le(c.posicao), m);
}

// The concentrator keeps only a day of the month: of the dates with that day in
// the months around its own date, it takes the nearest (a clock running late on
// the 31st that is set to the 1st moves into the next month, not a month back).
QString NucleoConcentrador::acertaRelogio(const Comando& c) {
    const QDateTime agora = momentoEm(relogio_.monotonicoMs());
    const QDate atual = concentradorEm(relogio_.monotonicoMs()).date();
    QDate dia;
    for (int meses = -1; meses <= 1; ++meses) {
        const QDate mes = atual.addMonths(meses);
        const QDate candidato(mes.year(), mes.month(), c.dia);
        if (candidato.isValid() &&
            (!dia.isValid() || std::abs(atual.daysTo(candidato)) < std::abs(atual.daysTo(dia))))
            dia = candidato;
    }
    if (!dia.isValid()) return {};
    QDateTime alvo = agora;
    alvo.setDate(dia);
    alvo.setTime(QTime(c.hora, c.minuto));
    ajusteRelogioMs_ = agora.msecsTo(alvo);
    return cfg_.respostaRelogio;
}

// --- traffic ------------------------------------------------------------------

void NucleoConcentrador::atualiza() {
    const std::int64_t agora = relogio_.monotonicoMs();
    for (;;) {
        const auto primeiro = std::min_element(
            andamento_.begin(), andamento_.end(),
            [](const Andamento& a, const Andamento& b) { return a.fimMs < b.fimMs; });
        const std::int64_t fim = primeiro == andamento_.end() ? kNunca : primeiro->fimMs;
        const std::int64_t t = std::min(fim, proximaChegadaMs_);
        if (t > agora) return;
        if (fim <= proximaChegadaMs_) {
            const Andamento a = *primeiro;
            andamento_.erase(primeiro);
            criaAbastecimento(a.bico, a.litros, a.cartao, int((a.fimMs - a.inicioMs + 500) / 1000),
                              a.fimMs);
        } else {
            chegada(t);
            proximaChegadaMs_ = t + intervaloChegadas();
        }
    }
}

std::int64_t NucleoConcentrador::criaAbastecimento(std::size_t indice, Moeda litros,
                                                   const QString& cartao, int duracaoS,
                                                   std::int64_t ms) {
    Bico& b = bicos_[indice];
    const Moeda limite = limiteEncerrante(cfg_.viraNoMilhao);
    Moeda novo = b.encerrante + litros;
    while (novo >= limite)
        novo = novo - limite;
    const auto lido = [](Moeda m) { return Moeda::deDezMilesimos(m.dezMilesimos() / 100 * 100); };
    const bool comEncerrante = cfg_.leiaute != Leiaute::Curto;

    AbastecimentoSimulado a;
    a.id = std::int64_t(livro_.abastecimentos().size()) + 1;
    a.codigoBico = b.cfg.codigo;
    a.produto = b.cfg.produto;
    a.litros = litros;
    a.preco = cfg_.precoZero ? Moeda() : b.cfg.preco;
    a.total = totalDoAbastecimento(b.cfg.preco, litros);
    a.encerrante = comEncerrante ? lido(novo) : Moeda();
    a.encerranteInicial = comEncerrante ? lido(b.encerrante) : Moeda();
    a.cartao = cartao;
    a.duracaoS = std::clamp(duracaoS, 0, 9999);
    a.relogio = concentradorEm(ms);
    a.relogio.setTime(QTime(a.relogio.time().hour(), a.relogio.time().minute()));
    a.manual = injetor_.abastecimentoManual();
    b.encerrante = novo;
    if (a.manual) {
        livro_.manual(a, ms, momentoEm(ms));
        return a.id;
    }

    CamposAbastecimento c;
    c.total = a.total;
    c.litros = a.litros;
    c.preco = a.preco;
    c.v = QString::number(a.produto).rightJustified(2, QLatin1Char('0'));
    c.duracao = QString::number(a.duracaoS).rightJustified(4, QLatin1Char('0'));
    c.bico = a.codigoBico;
    c.dia = a.relogio.date().day();
    c.hora = a.relogio.time().hour();
    c.minuto = a.relogio.time().minute();
    c.r = QString::number(a.id % 10000).rightJustified(4, QLatin1Char('0'));
    c.encerrante = lido(novo);
    c.a = cartao.isEmpty() ? QStringLiteral("0") : QStringLiteral("1");
    if (!cartao.isEmpty()) c.cartao = cartao;
    a.resposta =
        formataAbastecimento(c, cfg_.leiaute, cfg_.casasLitragem, cfg_.casasValor, cfg_.checksum);

    livro_.criado(a, ms, momentoEm(ms));
    fila_.push_back(a.id);
    return a.id;
}

void NucleoConcentrador::chegada(std::int64_t ms) {
    std::vector<std::size_t> livres;
    for (std::size_t i = 0; i < bicos_.size(); ++i)
        if (!ocupado(i)) livres.push_back(i);
    if (livres.empty()) return;
    const std::size_t bico = livres[std::size_t(sorteia(std::int64_t(livres.size())))];
    const std::int64_t unidade = passoCasas(cfg_.casasLitragem);
    const std::int64_t minimo = (cfg_.litrosMinimo.dezMilesimos() + unidade - 1) / unidade;
    const std::int64_t maximo = cfg_.litrosMaximo.dezMilesimos() / unidade;
    const Moeda litros = Moeda::deDezMilesimos((minimo + sorteia(maximo - minimo + 1)) * unidade);
    const std::int64_t duracao =
        std::max<std::int64_t>(1000, litros.dezMilesimos() / 10 * 1000 / cfg_.mlPorSegundo);
    QString cartao;
    if (sorteia(100) < cfg_.percentualComCartao) {
        const std::vector<QString> gravados = cartoes_.gravados();
        if (!gravados.empty()) {
            cartao = gravados[std::size_t(sorteia(std::int64_t(gravados.size())))];
        } else {
            for (int i = 0; i < 16; ++i)
                cartao += QChar(char16_t(u'0' + sorteia(10)));
        }
    }
    andamento_.push_back({bico, litros, ms, ms + duracao, cartao});
}

std::int64_t NucleoConcentrador::intervaloChegadas() {
    // Poisson arrivals: exponential gaps around the mean the rate asks for.
    const double media = 60000.0 / cfg_.taxaPorMinuto;
    const double u = double(sorteio_() >> 11) * 0x1.0p-53;
    return std::max<std::int64_t>(1, std::int64_t(-std::log(1.0 - u) * media));
}

std::int64_t NucleoConcentrador::sorteia(std::int64_t limite) {
    return std::int64_t(sorteio_() % std::uint64_t(limite));
}

bool NucleoConcentrador::ocupado(std::size_t bico) const {
    return std::any_of(andamento_.begin(), andamento_.end(),
                       [&](const Andamento& a) { return a.bico == bico; });
}

QString NucleoConcentrador::litrosAteAgora(const Andamento& a, std::int64_t ms) const {
    const std::int64_t total = a.fimMs - a.inicioMs;
    const std::int64_t decorrido = std::clamp<std::int64_t>(ms - a.inicioMs, 0, total);
    const std::int64_t unidade = passoCasas(cfg_.casasLitragem);
    const std::int64_t v =
        total > 0 ? a.litros.dezMilesimos() * decorrido / total : a.litros.dezMilesimos();
    return digitosDe(Moeda::deDezMilesimos(v / unidade * unidade), 6 - cfg_.casasLitragem,
                     cfg_.casasLitragem);
}

// --- hooks for tests and the program --------------------------------------------

std::int64_t NucleoConcentrador::geraAbastecimento(const QString& codigoBico, Moeda litros,
                                                   const QString& cartao, int duracaoS) {
    atualiza();
    validaCartao(cartao);
    if (litros <= Moeda() || litros.arredondada(cfg_.casasLitragem) != litros)
        recusa(QStringLiteral("Litros %1 inválidos com %2 casas decimais.")
                   .arg(litros.textoPonto(4))
                   .arg(cfg_.casasLitragem));
    return criaAbastecimento(indiceBico(codigoBico), litros, cartao, duracaoS,
                             relogio_.monotonicoMs());
}

void NucleoConcentrador::iniciaAbastecimento(const QString& codigoBico, Moeda litros,
                                             std::int64_t duracaoMs, const QString& cartao) {
    atualiza();
    validaCartao(cartao);
    const std::size_t bico = indiceBico(codigoBico);
    if (ocupado(bico)) recusa(QStringLiteral("O bico %1 já está abastecendo.").arg(codigoBico));
    if (litros <= Moeda() || litros.arredondada(cfg_.casasLitragem) != litros)
        recusa(QStringLiteral("Litros %1 inválidos com %2 casas decimais.")
                   .arg(litros.textoPonto(4))
                   .arg(cfg_.casasLitragem));
    const std::int64_t agora = relogio_.monotonicoMs();
    andamento_.push_back(
        {bico, litros, agora, agora + std::max<std::int64_t>(0, duracaoMs), cartao});
}

std::int64_t NucleoConcentrador::enfileiraResposta(const QString& bruta) {
    atualiza();
    const std::int64_t agora = relogio_.monotonicoMs();
    AbastecimentoSimulado a;
    a.id = std::int64_t(livro_.abastecimentos().size()) + 1;
    a.resposta = bruta;
    a.roteiro = true;
    if (const auto c = leAbastecimento(bruta, cfg_.casasLitragem, cfg_.casasValor)) {
        a.codigoBico = c->bico;
        a.litros = c->litros;
        a.preco = c->preco;
        a.total = c->total;
        a.encerrante = c->encerrante;
        a.duracaoS = c->duracao.toInt();
        if (bruta.size() == 75 && c->cartao != TabelaCartoes::vazio()) a.cartao = c->cartao;
        if (const auto i = std::find_if(bicos_.begin(), bicos_.end(),
                                        [&](const Bico& b) { return b.cfg.codigo == c->bico; });
            i != bicos_.end())
            a.produto = i->cfg.produto;
    }
    livro_.criado(a, agora, momentoEm(agora));
    fila_.push_back(a.id);
    return a.id;
}

void NucleoConcentrador::defineEncerrante(const QString& codigoBico, Moeda encerrante) {
    if (encerrante < Moeda() || encerrante >= limiteEncerrante(cfg_.viraNoMilhao))
        recusa(QStringLiteral("Encerrante %1 fora da faixa do contador.")
                   .arg(encerrante.textoPonto(2)));
    bicos_[indiceBico(codigoBico)].encerrante = encerrante;
}

Moeda NucleoConcentrador::encerrante(const QString& codigoBico) const {
    return bicos_[indiceBico(codigoBico)].encerrante;
}

std::size_t NucleoConcentrador::indiceBico(const QString& codigo) const {
    for (std::size_t i = 0; i < bicos_.size(); ++i)
        if (bicos_[i].cfg.codigo == codigo) return i;
    recusa(QStringLiteral("Bico %1 não configurado no concentrador.").arg(codigo));
}

void NucleoConcentrador::guardaQuadro(const QString& quadro) {
    recebidos_.push_back(quadro);
    if (recebidos_.size() > kQuadrosGuardados) recebidos_.pop_front();
}

QDateTime NucleoConcentrador::momentoEm(std::int64_t ms) const {
    return relogio_.agora().addMSecs(ms - relogio_.monotonicoMs());
}

} // namespace talvero::sim
