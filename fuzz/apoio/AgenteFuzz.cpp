#include "AgenteFuzz.h"

#include "store/Importacao.h"
#include "support/Instalacao.h"

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
    Conexao banco(OpcoesBanco::sqlite(mundo.local(instalacao::kBancoPadrao)));
    CadastraEstacao(banco);
    const Plataforma p{mundo.relogio, mundo.agendador, arquivos_, mundo.operador, mundo.processos,
                       mundo.host,    mundo.icone,     canais,    mundo.caminhos};
    agente_ = std::make_unique<MenuAutomacao>(p, janela_);
    agente_->Form_Load();
}

void AgenteFuzz::escreveIni(bool biblioteca, bool identFid) {
    const auto sim = [](bool v) { return v ? QStringLiteral("SIM") : QStringLiteral("NAO"); };
    mundo.arquivos.criaTexto(
        instalacao::kArquivoIni,
        {"[OUTRAS]", "Quantidade de Bicos=4", "Codigo da Empresa=1", "Nome da Empresa=POSTO DE TESTE",
         "Criar Log Timer=NAO", "[EMAIL]", "Numero do Email=0", "Concluido=NAO", "[AUTOMACAO]",
         "Usar Dll da Company=" + sim(biblioteca), "Usar IdentFID=" + sim(identFid), "Casas decimais da litragem=3",
         "Casas decimais do valor=3", "Porta de Comunicacao=COM1", "[LOCALIZACAO]", "Pasta da automacao=Automacao",
         "Computador com automacao=CAIXA01"});
}

void CadastraEstacao(Conexao& banco) {
    if (!banco.Conecta()) qFatal("%s", qPrintable(banco.ultimoErro()));
    importacao::importa(
        banco, {{QStringLiteral("BicoAutomacao.csv"), "Codigo,Bico\n01,1\n02,2\n03,3\n04,4\n0C,5\n"},
                {QStringLiteral("Bico.csv"), "Empresa,Bico,Produto,Complemento\n1,1,1,Gasolina\n1,2,2,Etanol\n1,5,3,Diesel\n"},
                {QStringLiteral("Produto.csv"), "Produto,PrecoVenda\n1,5.79\n2,3.89\n3,5.99\n"},
                {QStringLiteral("Estoque.csv"), "Empresa,Produto,PrecoVenda\n1,1,5.79\n1,2,0\n"}});
}

MenuAutomacao& AgenteFuzz::prepara(const QByteArray& roteiro) {
    canais.define(roteiro);
    arquivos_.linhas.clear();
    mundo.operador.exibidas.clear();
    mundo.processos.iniciados.clear();
    return *agente_;
}

} // namespace talvero::fuzz
