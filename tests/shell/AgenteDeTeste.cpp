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
    return {QStringLiteral("[OUTRAS]"),
            QStringLiteral("Quantidade de Bicos=12"),
            QStringLiteral("Codigo da Empresa=7"),
            QStringLiteral("Nome da Empresa=POSTO CENTRAL LTDA DE COMBUSTIVEIS"),
            QStringLiteral("Criar Log Timer=SIM"),
            QStringLiteral("[EMAIL]"),
            QStringLiteral("Numero do Email=0"),
            QStringLiteral("Concluido=SIM"),
            QStringLiteral("[AUTOMACAO]"),
            QStringLiteral("Usar Dll da Company=NAO"),
            QStringLiteral("Usar IdentFID=SIM"),
            QStringLiteral("Porta de Comunicacao=COM1"),
            QStringLiteral("[LOCALIZACAO]"),
            QStringLiteral("Pasta da automacao=Automacao"),
            QStringLiteral("Computador com automacao=CAIXA01")};
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
