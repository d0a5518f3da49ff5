#include "ensaio/PlataformaDeTeste.h"

#include "platform/Erro.h"

#include <QDir>

namespace talvero {

QDateTime PlataformaDeTeste::inicioPadrao() {
    return QDateTime(QDate(2026, 12, 5), QTime(18, 0));
}

PlataformaDeTeste::PlataformaDeTeste(FabricaCanais& canais, const QDateTime& inicio)
    : relogio(inicio), agendador(relogio), caminhos(raiz.path()), arquivos(caminhos),
      canais_(canais) {
    if (!raiz.isValid())
        throw Erro(QStringLiteral("Caminho não encontrado"), erros::CaminhoNaoEncontrado);
}

PlataformaDeTeste::PlataformaDeTeste(const QDateTime& inicio)
    : PlataformaDeTeste(semCanais_, inicio) {}

Plataforma PlataformaDeTeste::plataforma() {
    return Plataforma{relogio, agendador, arquivos, operador, processos, host,
                      icone,   canais_,   caminhos, servico,  vigiaPasta};
}

void PlataformaDeTeste::criaPasta(const QString& pastaWindows) {
    if (!QDir().mkpath(local(pastaWindows)))
        throw Erro(QStringLiteral("Permissão negada"), erros::PermissaoNegada);
}

void PlataformaDeTeste::criaPastaPrograma() {
    criaPasta(QStringLiteral("C:\\Talvero\\AutoTalvero"));
}

} // namespace talvero
