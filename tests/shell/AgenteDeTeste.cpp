#include "AgenteDeTeste.h"

#include "platform/CodecAnsi.h"
#include "platform/Erro.h"
#include "support/Instalacao.h"

#include <QFile>

namespace talvero::teste {

std::unique_ptr<CanalBytes> CanaisMudos::serial(int porta) {
    portasPedidas.push_back(porta);
    if (falham) throw Erro(QStringLiteral("Número de porta inválido"), erros::PortaInvalida);
    return std::make_unique<CanalMudo>();
}

AgenteDeTeste::AgenteDeTeste(JanelaPrincipal* outraJanela)
    : menu(mundo.plataforma(), outraJanela ? *outraJanela : janela, [this] {
          auto b = std::make_unique<BibliotecaGravador>();
          biblioteca = b.get();
          return b;
      }) {
    mundo.criaPastaPrograma();
}

void AgenteDeTeste::escreveIni(const QStringList& linhas) {
    QFile f(mundo.local(instalacao::kArquivoIni));
    if (!f.open(QIODevice::WriteOnly)) throw Erro(QStringLiteral("Permissão negada"), erros::PermissaoNegada);
    f.write(ansi::codifica(linhas.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
}

QStringList AgenteDeTeste::iniCompleto() {
    return {"[OUTRAS]", "Quantidade de Bicos=12", "Codigo da Empresa=7",
            "Nome da Empresa=POSTO CENTRAL LTDA DE COMBUSTIVEIS", "Criar Log Timer=SIM",
            "[EMAIL]", "Numero do Email=0", "Concluido=SIM",
            "[AUTOMACAO]", "Usar Dll da Company=NAO", "Usar IdentFID=SIM", "Porta de Comunicacao=COM1",
            "[LOCALIZACAO]", "Pasta da automacao=Automacao", "Computador com automacao=CAIXA01"};
}

QByteArray AgenteDeTeste::logBruto() const {
    QFile f(mundo.local(RegistroEventos::NomeArquivo(mundo.relogio.agora())));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList AgenteDeTeste::log() const {
    QStringList linhas;
    const QString texto = ansi::decodifica(logBruto());
    for (const QString& l : texto.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) linhas.append(l.mid(8));
    return linhas;
}

} // namespace talvero::teste
