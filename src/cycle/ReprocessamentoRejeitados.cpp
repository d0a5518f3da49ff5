#include "cycle/ReprocessamentoRejeitados.h"

#include "link/EnlaceConcentrador.h"
#include "platform/LeitorIni.h"
#include "support/Instalacao.h"

namespace talvero {

namespace {

QString textoDataHora(const QDateTime& d) {
    return d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString chaveDe(const AbastecimentoRejeitado& r) {
    return QStringLiteral("abastecimento de %1 %2, bico %3")
        .arg(r.DataAbastecimento.toString(QStringLiteral("yyyy-MM-dd")),
             r.HoraAbastecimento.toString(QStringLiteral("HH:mm:ss")))
        .arg(r.BicoAbastecimento);
}

} // namespace

ReprocessamentoRejeitados::ReprocessamentoRejeitados(Conexao& conexao, RegistroEventos& registro,
                                                     const Relogio& relogio,
                                                     const Configuracao& leitura)
    : conexao_(conexao), registro_(registro), relogio_(relogio), cfg_(leitura) {}

Configuracao ReprocessamentoRejeitados::LeConfiguracao(const SistemaArquivos& arquivos) {
    Configuracao c;
    const auto le = [&](const char* secao, const char* chave) {
        return LeIni(arquivos, QLatin1String(secao), QLatin1String(chave), instalacao::kArquivoIni);
    };
    c.lNomeEmpresa = le("OUTRAS", "Nome da Empresa");
    c.lUsarIdentFid = le("AUTOMACAO", "Usar IdentFID") == QLatin1String("SIM");
    // The agent opens no link with a setting its parser cannot read.
    EnlaceConcentrador::LeCasasDecimais(arquivos, c);
    if (const auto invalida = EnlaceConcentrador::CasaDecimalInvalida(c))
        throw Erro(QStringLiteral("Valor inválido em \"%1\" de %2: %3 (aceitos: 2 ou 3)")
                       .arg(invalida->first, instalacao::kArquivoIni)
                       .arg(invalida->second),
                   erros::TiposIncompativeis);
    return c;
}

ReprocessamentoRejeitados::Resumo
ReprocessamentoRejeitados::Reprocessa(std::optional<std::int64_t> id,
                                      const std::function<void(const QString&)>& informa) {
    Resumo resumo;
    bool achado = false;
    for (AbastecimentoRejeitado& r : AbastecimentoRejeitado::Lista(conexao_)) {
        if (id && r.Id != *id) continue;
        achado = true;
        if (r.Reprocessado()) {
            if (id)
                informa(QStringLiteral("Id %1: já reprocessado em %2 (%3); nada a fazer.")
                            .arg(r.Id)
                            .arg(textoDataHora(r.DataHoraReprocessado), chaveDe(r)));
            continue;
        }
        QString linha;
        try {
            linha = reprocessa(r, resumo);
        } catch (const ErroBanco& e) {
            throw ErroBanco(
                QStringLiteral("Reprocessamento interrompido no Id %1, que continua à espera: %2")
                    .arg(r.Id)
                    .arg(e.descricao()));
        }
        registro_.registra(QStringLiteral(" - talvero-dados reprocessar: ") + linha);
        informa(linha);
    }
    if (id && !achado)
        throw Erro(QStringLiteral("Id %1 não encontrado em AbastecimentoRejeitado").arg(*id),
                   erros::ArquivoNaoEncontrado);
    return resumo;
}

QString ReprocessamentoRejeitados::reprocessa(AbastecimentoRejeitado& r, Resumo& resumo) {
    cfg_.lCodigoEmpresa = r.Empresa;
    cfg_.gCodigoEmpresa = r.Empresa;
    Transacao transacao(conexao_);
    const std::optional<Erro> erro = leEGrava(r);
    const QString linha = erro ? continuaAEspera(r, *erro) : marcaGravado(r);
    transacao.confirma();
    ++(erro ? resumo.aEspera : resumo.gravados);
    return linha;
}

// The error that keeps the answer waiting, none when it is stored now or was
// stored already (the repeat rule recognises it). Raises ErroBanco.
std::optional<Erro> ReprocessamentoRejeitados::leEGrava(const AbastecimentoRejeitado& r) {
    AbastecimentoEmTrabalho a;
    switch (leitor_.AutoAtualizaAbastecimento(r.RegistroAutomacao, r.DataHoraRecebido, a)) {
    case LeitorAbastecimento::Leitura::FalhaDoBanco:
        throw ErroBanco(leitor_.ultimoErro()->descricao());
    case LeitorAbastecimento::Leitura::Ilegivel:
        return leitor_.ultimoErro();
    case LeitorAbastecimento::Leitura::Completa:
        break;
    }
    // A later reading is in the current totalizer already; an older one would be taken for a
    // rollover.
    a.lEncerranteSuperado =
        abastecimento_.ExisteDesde(r.Empresa, a.lDataAbastecimento, a.lHoraAbastecimento, a.lBico);
    using Resultado = GravacaoAbastecimento::Resultado;
    jaGravado_ = false;
    switch (gravacao_.AutoAtualTabeAbastecimento(a, r.RegistroAutomacao)) {
    case Resultado::JaGravado:
        jaGravado_ = true;
        [[fallthrough]];
    case Resultado::Gravado:
        return std::nullopt;
    case Resultado::SemHorarioLivre:
    case Resultado::Recusado:
        return gravacao_.ultimoErro();
    case Resultado::FalhaDoBanco:
        break;
    }
    const std::optional<Erro>& erro = gravacao_.ultimoErro();
    throw ErroBanco(erro ? erro->descricao() : QStringLiteral("o abastecimento não foi gravado"));
}

// The routine's Abastecimento object holds the record as stored, its key included.
QString ReprocessamentoRejeitados::marcaGravado(AbastecimentoRejeitado& r) {
    r.DataHoraReprocessado = relogio_.agora();
    r.DataAbastecimento = abastecimento_.Data;
    r.HoraAbastecimento = abastecimento_.Hora;
    r.BicoAbastecimento = abastecimento_.Bico;
    altera(r);
    if (jaGravado_)
        return QStringLiteral("Id %1: o %2 já estava gravado; resposta marcada como reprocessada.")
            .arg(r.Id)
            .arg(chaveDe(r));
    return QStringLiteral("Id %1: gravado o %2.").arg(r.Id).arg(chaveDe(r));
}

QString ReprocessamentoRejeitados::continuaAEspera(AbastecimentoRejeitado& r, const Erro& erro) {
    r.Erro = erro.comNumero();
    r.Passo = leitor_.lPassoDebugarErroAbast;
    altera(r);
    return QStringLiteral("Id %1: continua à espera: %2 (passo %3).")
        .arg(r.Id)
        .arg(r.Erro, r.Passo);
}

void ReprocessamentoRejeitados::altera(AbastecimentoRejeitado& r) {
    if (!r.Altera(r.Id))
        throw ErroBanco(
            QStringLiteral("AbastecimentoRejeitado.Altera não encontrou o Id %1").arg(r.Id));
}

} // namespace talvero
