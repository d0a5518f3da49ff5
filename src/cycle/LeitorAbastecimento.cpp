#include "cycle/LeitorAbastecimento.h"

#include "cycle/LeituraAbastecimento.h"

#include <limits>

namespace talvero {

using namespace leitura;

namespace {

constexpr int kLarguraTotal = 6;
constexpr int kLarguraLitros = 6;
constexpr int kLarguraPreco = 4;
constexpr int kLarguraTempo = 4;
constexpr int kLarguraEncerrante = 10;
constexpr int kLarguraCartao = 16;

std::int16_t produto16(std::int32_t produto) {
    if (produto < std::numeric_limits<std::int16_t>::min() ||
        produto > std::numeric_limits<std::int16_t>::max())
        throw Erro(QStringLiteral("Estouro"), erros::Estouro);
    return static_cast<std::int16_t>(produto);
}

} // namespace

LeitorAbastecimento::LeitorAbastecimento(Dependencias dependencias) : d_(std::move(dependencias)) {}

// Read into a copy: a fueling that cannot be read completely leaves nothing
// half-read behind to be stored.
LeitorAbastecimento::Leitura
LeitorAbastecimento::AutoAtualizaAbastecimento(const QString& pAbastecimento,
                                               const QDateTime& recebido,
                                               AbastecimentoEmTrabalho& abastecimento) {
    AbastecimentoEmTrabalho lido = abastecimento;
    try {
        le(pAbastecimento, recebido, lido);
    } catch (const ErroBanco& e) {
        registraErro(e);
        return Leitura::FalhaDoBanco;
    } catch (const Erro& e) {
        registraErro(e);
        return Leitura::Ilegivel;
    }
    abastecimento = lido;
    ultimoErro_.reset();
    return Leitura::Completa;
}

void LeitorAbastecimento::registraErro(const Erro& e) {
    d_.registro.registra(QStringLiteral(" ERRO AutoAtualizaAbastecimento: - ") + e.descricao() +
                         QStringLiteral(" - lPassoDebugarErroAbast:") + lPassoDebugarErroAbast +
                         QStringLiteral(" - Err: ") + QString::number(e.numero()));
    ultimoErro_ = e;
}

void LeitorAbastecimento::le(const QString& resposta, const QDateTime& recebido,
                             AbastecimentoEmTrabalho& a) {
    if (resposta.size() != kTamanhoIdentFid)
        d_.registro.registra(QStringLiteral(" - AutoPedeAbastecimento: ") + kLegendaPadrao);
    const Posicoes& p = PosicoesDoTamanho(resposta.size());
    passo("1");
    a.lBico = d_.bicoAutomacao.BicoDoCodigo(Campo(resposta, p.bico, 2));
    passo("4");
    const QDate data = DataDoAbastecimento(Campo(resposta, p.dia, 2), Campo(resposta, p.hora, 2),
                                           Campo(resposta, p.minuto, 2), recebido);
    passo("5");
    a.lDataAbastecimento = data;
    passo("6");
    a.lHoraAbastecimento =
        HoraDoAbastecimento(Campo(resposta, p.hora, 2), Campo(resposta, p.minuto, 2));
    passo("7");
    a.lTempoAbastecimento = Campo(resposta, p.tempo, kLarguraTempo);
    leValores(resposta, a);
    leEncerranteECartao(resposta, a);
    completaDoCadastro(a);
}

void LeitorAbastecimento::leValores(const QString& resposta, AbastecimentoEmTrabalho& a) {
    const bool padrao = resposta.size() != kTamanhoIdentFid;
    const Posicoes& p = PosicoesDoTamanho(resposta.size());
    passo("8");
    a.lPrecoUnitario =
        PrecoUnitario(Campo(resposta, p.preco, kLarguraPreco), cfg().lCasasDecimaisValor,
                      padrao && PrecoDedarud(cfg().lNomeEmpresa));
    passo("9");
    const QString litros = Campo(resposta, p.litros, kLarguraLitros);
    a.lQuantidadeLitros = Litros(litros, cfg().lCasasDecimaisLitragem);
    // Two of that station's nozzles always send litres with two decimals.
    if (padrao && LitrosDedarud(cfg().lNomeEmpresa) && (a.lBico == 5 || a.lBico == 6))
        a.lQuantidadeLitros = Moeda::deDigitos(litros, 2);
    passo("10");
    a.lValorTotal = Moeda::deDigitos(Campo(resposta, p.total, kLarguraTotal), 2);
}

void LeitorAbastecimento::leEncerranteECartao(const QString& resposta, AbastecimentoEmTrabalho& a) {
    const Posicoes& p = PosicoesDoTamanho(resposta.size());
    const QString encerrante = Campo(resposta, p.encerrante, kLarguraEncerrante);
    if (resposta.size() == kTamanhoIdentFid) {
        passo("12");
        a.lAutomacaoEncerrante = Moeda::deDigitos(encerrante, 2);
        a.lSemEncerrante = false;
        passo("13");
        if (cfg().lUsarIdentFid) a.lCartaoIdentFid = Campo(resposta, p.cartao, kLarguraCartao);
        return;
    }
    if (resposta.size() == kTamanhoPadrao) {
        passo("11");
        a.lAutomacaoEncerrante = Moeda::deDigitos(encerrante, 2);
        a.lSemEncerrante = false;
    } else {
        passo("13");
        a.lAutomacaoEncerrante = Moeda();
        a.lSemEncerrante = true;
    }
    passo("14");
    a.lCartaoIdentFid.clear();
}

void LeitorAbastecimento::completaDoCadastro(AbastecimentoEmTrabalho& a) {
    const std::int16_t empresa = cfg().lCodigoEmpresa;
    passo("20");
    if (d_.bico.Localiza(empresa, a.lBico)) {
        a.lProduto = produto16(d_.bico.Produto);
        a.lComplementoBico = d_.bico.Complemento;
    } else {
        a.lProduto = 0;
        a.lComplementoBico.clear();
    }
    passo("22");
    if (a.lPrecoUnitario != Moeda()) return;
    if (d_.produto.Localiza(a.lProduto)) {
        if (d_.estoque.Localiza(empresa, a.lProduto))
            a.lPrecoUnitario =
                d_.estoque.PrecoVenda != Moeda() ? d_.estoque.PrecoVenda : d_.produto.PrecoVenda;
        else
            d_.registro.registra(
                QStringLiteral(" AutoAtualizaAbastecimento: - Estoque não cadastrado."));
    }
    a.lValorTotal = a.lPrecoUnitario.vezes(a.lQuantidadeLitros).arredondada(2);
}

} // namespace talvero
