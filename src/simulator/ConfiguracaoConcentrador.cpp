#include "simulator/ConfiguracaoConcentrador.h"

#include "platform/Erro.h"
#include "simulator/AritmeticaConcentrador.h"

#include <QRegularExpression>
#include <set>

namespace talvero::sim {

namespace {

[[noreturn]] void recusa(const QString& texto) {
    throw Erro(texto, erros::TiposIncompativeis);
}

bool casasValidas(int casas) {
    return casas == 2 || casas == 3;
}

// The price field has four digits: 99.99 with two decimals, 9.999 with three.
void validaPreco(const BicoSimulado& b, int casasValor) {
    const Moeda limite =
        casasValor == 2 ? Moeda::deDigitos(u"9999", 2) : Moeda::deDigitos(u"9999", 3);
    if (b.preco < Moeda() || b.preco > limite || b.preco.arredondada(casasValor) != b.preco)
        recusa(QStringLiteral("Preço %1 do bico %2 não cabe em 4 dígitos com %3 casas decimais.")
                   .arg(b.preco.textoPonto(4), b.codigo)
                   .arg(casasValor));
}

void validaBicos(const ConfiguracaoConcentrador& cfg) {
    static const QRegularExpression codigoHex(QStringLiteral("^[0-9A-F]{2}$"));
    std::set<QString> vistos;
    for (const BicoSimulado& b : cfg.bicos) {
        if (!codigoHex.match(b.codigo).hasMatch())
            recusa(QStringLiteral(
                       "Código de bico inválido: \"%1\" (dois dígitos hexadecimais maiúsculos).")
                       .arg(b.codigo));
        if (!vistos.insert(b.codigo).second)
            recusa(QStringLiteral("Bico %1 repetido.").arg(b.codigo));
        if (b.produto < 0 || b.produto > 99)
            recusa(QStringLiteral("Produto %1 do bico %2 fora de 0 a 99.")
                       .arg(b.produto)
                       .arg(b.codigo));
        validaPreco(b, cfg.casasValor);
        if (totalDoAbastecimento(b.preco, cfg.litrosMaximo) > Moeda::deDigitos(u"999999", 2))
            recusa(
                QStringLiteral("O total do maior abastecimento do bico %1 não cabe em 6 dígitos.")
                    .arg(b.codigo));
        if (b.encerrante < Moeda() || b.encerrante >= Moeda::deInteiro(100'000'000))
            recusa(QStringLiteral("Encerrante inicial do bico %1 fora da faixa.").arg(b.codigo));
    }
    if (cfg.bicos.empty()) recusa(QStringLiteral("Nenhum bico configurado."));
}

void validaTrafego(const ConfiguracaoConcentrador& cfg) {
    if (cfg.taxaPorMinuto < 0 || cfg.taxaPorMinuto > 6000)
        recusa(QStringLiteral("Taxa de abastecimentos fora de 0 a 6000 por minuto."));
    const Moeda maximoCampo =
        cfg.casasLitragem == 2 ? Moeda::deDigitos(u"999999", 2) : Moeda::deDigitos(u"999999", 3);
    if (cfg.litrosMinimo <= Moeda() || cfg.litrosMaximo < cfg.litrosMinimo ||
        cfg.litrosMaximo > maximoCampo)
        recusa(QStringLiteral("Faixa de litros inválida."));
    if (cfg.mlPorSegundo <= 0) recusa(QStringLiteral("Vazão da bomba deve ser positiva."));
    if (cfg.percentualComCartao < 0 || cfg.percentualComCartao > 100)
        recusa(QStringLiteral("Percentual de abastecimentos com cartão fora de 0 a 100."));
}

} // namespace

std::vector<BicoSimulado> bicosPadrao() {
    return {
        {QStringLiteral("01"), 1, Moeda::deTexto(u"5.79"), Moeda()},
        {QStringLiteral("02"), 2, Moeda::deTexto(u"3.89"), Moeda()},
        {QStringLiteral("03"), 3, Moeda::deTexto(u"5.99"), Moeda()},
        {QStringLiteral("04"), 1, Moeda::deTexto(u"5.79"), Moeda()},
    };
}

ConfiguracaoConcentrador completa(ConfiguracaoConcentrador cfg) {
    if (cfg.bicos.empty()) cfg.bicos = bicosPadrao();
    return cfg;
}

void valida(const ConfiguracaoConcentrador& cfg) {
    if (!casasValidas(cfg.casasLitragem))
        recusa(QStringLiteral("Casas decimais da litragem devem ser 2 ou 3."));
    if (!casasValidas(cfg.casasValor))
        recusa(QStringLiteral("Casas decimais do valor devem ser 2 ou 3."));
    if (cfg.respostaRelogio != QLatin1String("(0)(&H)") &&
        cfg.respostaRelogio != QLatin1String("(&H)"))
        recusa(QStringLiteral("Resposta do relógio deve ser \"(0)(&H)\" ou \"(&H)\"."));
    if (cfg.tamanhoTabelaCartoes < 1 || cfg.tamanhoTabelaCartoes > 999999)
        recusa(QStringLiteral("Tamanho da tabela de cartões fora de 1 a 999999."));
    if (cfg.firmware.size() != 4 || cfg.monitor.size() != 4)
        recusa(QStringLiteral("Versões de firmware e monitor devem ter 4 caracteres."));
    if (cfg.atrasoRespostaMs < 0 || cfg.variacaoAtrasoMs < 0)
        recusa(QStringLiteral("Latência de resposta negativa."));
    if (cfg.baud != 0 && (cfg.baud < kMenorBaud || cfg.baud > kMaiorBaud))
        recusa(QStringLiteral("Velocidade da linha fora de %1 a %2 baud.")
                   .arg(kMenorBaud)
                   .arg(kMaiorBaud));
    validaTrafego(cfg); // the litres range first: the largest total is reckoned from it
    validaBicos(cfg);
}

} // namespace talvero::sim
