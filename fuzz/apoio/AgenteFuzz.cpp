#include "AgenteFuzz.h"

#include "OraculoPedidos.h"
#include "platform/Erro.h"
#include "store/GravacaoAbastecimento.h"
#include "store/Importacao.h"

#include <QCoreApplication>
#include <map>

namespace talvero::fuzz {

void IniciaQt() {
    static int argc = 1;
    static char nome[] = "fuzz";
    static char* argv[] = {nome, nullptr};
    static QCoreApplication app(argc, argv);
}

void ArquivosSemLog::acrescentaLinha(const QString& caminho, const QString& linha) {
    if (!caminho.startsWith(instalacao::kPastaPrograma + QStringLiteral("AUTOMACAO_")))
        ArquivosComLog::acrescentaLinha(caminho, linha);
}

QByteArray ArquivosSemLog::le(const QString& caminho) const {
    return leituraPedidos::le(caminho, [&] { return ArquivosComLog::le(caminho); });
}

QByteArray ArquivosSemLog::leRegular(const QString& caminho, qint64 limite) const {
    return leituraPedidos::le(caminho, [&] { return ArquivosComLog::leRegular(caminho, limite); });
}

AgenteFuzz& AgenteFuzz::de(bool biblioteca, bool identFid) {
    // Never destroyed: Qt's SQL globals go before the statics of this file would.
    static auto& agentes = *new std::map<std::pair<bool, bool>, std::unique_ptr<AgenteFuzz>>;
    auto& a = agentes[{biblioteca, identFid}];
    if (!a) a.reset(new AgenteFuzz(biblioteca, identFid));
    return *a;
}

AgenteFuzz::AgenteFuzz(bool biblioteca, bool identFid) {
    IniciaQt();
    canais.liga(mundo.relogio);
    mundo.criaPastaPrograma();
    mundo.criaPasta(QStringLiteral("C:\\Automacao"));
    escreveIni(biblioteca, identFid);
    CadastraEstacao(banco_);
    leituraPedidos::vigia(kPastaPedidos);
    canais.observa(linha_);
    canais.falhaBanco = [this](int passam) { passamAteFalhar_ = passam; };
    const Plataforma p{mundo.relogio,   mundo.agendador, arquivos_,       mundo.operador,
                       mundo.processos, mundo.host,      mundo.icone,     canais,
                       mundo.caminhos,  mundo.servico,   mundo.vigiaPasta};
    agente_ = std::make_unique<MenuAutomacao>(p, janela_);
    agente_->dados.conexao().observa([this](const QString& operacao, const QString&,
                                            const QVariantList&) { falhaDoBanco(operacao); });
    agente_->Form_Load();
}

void AgenteFuzz::falhaDoBanco(const QString& operacao) {
    if (passamAteFalhar_ < 0) return;
    if (passamAteFalhar_ > 0) {
        --passamAteFalhar_;
        return;
    }
    throw ErroBanco(operacao + QStringLiteral(": banco de dados indisponível"));
}

// Stored, quarantined, or stored by an earlier delivery of the same answer.
bool AgenteFuzz::guardada(const QString& resposta) {
    const QString registro = resposta.left(GravacaoAbastecimento::kTamanhoRegistroAutomacao);
    for (const char* tabela : {"Abastecimento", "AbastecimentoRejeitado"}) {
        QSqlQuery q =
            banco_.executa(QStringLiteral("fuzz.confirmacao"),
                           QStringLiteral("SELECT COUNT(*) FROM %1 WHERE RegistroAutomacao = ?")
                               .arg(QLatin1String(tabela)),
                           {registro});
        if (q.next() && q.value(0).toInt() > 0) return true;
    }
    return false;
}

void AgenteFuzz::escreveIni(bool biblioteca, bool identFid) {
    const auto sim = [](bool v) { return v ? QStringLiteral("SIM") : QStringLiteral("NAO"); };
    mundo.arquivos.criaTexto(
        instalacao::kArquivoIni,
        {"[OUTRAS]", "Quantidade de Bicos=4", "Codigo da Empresa=1",
         "Nome da Empresa=POSTO DE TESTE", "Criar Log Timer=NAO", "[EMAIL]", "Numero do Email=0",
         "Concluido=NAO", "[AUTOMACAO]", "Usar Dll da Company=" + sim(biblioteca),
         "Usar IdentFID=" + sim(identFid), "Casas decimais da litragem=3",
         "Casas decimais do valor=3", "Porta de Comunicacao=COM1", "[LOCALIZACAO]",
         "Pasta da automacao=Automacao", "Computador com automacao=CAIXA01"});
}

void CadastraEstacao(Conexao& banco) {
    if (!banco.Conecta()) qFatal("%s", qPrintable(banco.ultimoErro()));
    importacao::importa(
        banco,
        {{QStringLiteral("BicoAutomacao.csv"), "Codigo,Bico\n01,1\n02,2\n03,3\n04,4\n0C,5\n"},
         {QStringLiteral("Bico.csv"),
          "Empresa,Bico,Produto,Complemento\n1,1,1,Gasolina\n1,2,2,Etanol\n1,5,3,Diesel\n"},
         {QStringLiteral("Produto.csv"), "Produto,PrecoVenda\n1,5.79\n2,3.89\n3,5.99\n"},
         {QStringLiteral("Estoque.csv"), "Empresa,Produto,PrecoVenda\n1,1,5.79\n1,2,0\n"}});
}

MenuAutomacao& AgenteFuzz::prepara(const QByteArray& roteiro) {
    canais.define(roteiro);
    linha_.novaEntrada();
    leituraPedidos::novoTick();
    arquivos_.linhas.clear();
    mundo.operador.exibidas.clear();
    mundo.processos.iniciados.clear();
    return *agente_;
}

} // namespace talvero::fuzz
