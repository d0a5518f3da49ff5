#include "shell/FerramentasOperador.h"

#include "platform/Conversoes.h"
#include "platform/Erro.h"
#include "support/Instalacao.h"

namespace talvero {

namespace {

const QString kPedidoVersao = QStringLiteral("(&S)");
constexpr int kTamanhoVersao = 51;

#ifdef Q_OS_WIN
constexpr bool kProgramasDoWindows = true;
#else
constexpr bool kProgramasDoWindows = false;
#endif

} // namespace

QString FerramentasOperador::PastaWindows(const QString& diretorioSistema) {
    const QStringList partes = diretorioSistema.split(QLatin1Char('\\'));
    QString pasta;
    for (qsizetype i = 0; i + 2 < partes.size(); ++i)
        pasta += partes[i] + QLatin1Char('\\');
    return pasta;
}

// On Windows the system's own notepad and explorer; elsewhere the desktop's
// viewer for the file or folder itself.
void FerramentasOperador::abre(const QString& programa, const QString& caminho) {
    try {
        if (kProgramasDoWindows)
            d_.plataforma.processos.iniciaSemEsperar(PastaWindows(DiretorioSistema()) + programa,
                                                     caminho.isEmpty() ? QStringList()
                                                                       : QStringList{caminho});
        else
            d_.plataforma.processos.abreNaAreaDeTrabalho(
                caminho.isEmpty() ? instalacao::kPastaPrograma : caminho);
    } catch (const Erro&) {
        d_.plataforma.operador.mensagem(
            QStringLiteral("Aplicativo inexistente ou localidade desconhecida!"),
            QStringLiteral("Erro ao Executar Aplicataivo!"), Icone::Informacao);
    }
}

void FerramentasOperador::cmdBlocoNotas_Click(const QDateTime& clique) {
    d_.ciclo.AutoPedeAbastecimentoEmAndamentoIdentFid();
    abre(QStringLiteral("notepad.exe"), RegistroEventos::NomeArquivo(clique));
}

void FerramentasOperador::cmdExplorer_Click() {
    abre(QStringLiteral("explorer.exe"), {});
}

// The automation waits while the concentrator answers; it goes on while the
// operator reads the box.
void FerramentasOperador::mnuVersaoEquipamento_Click() {
    QString versao;
    try {
        EnlaceConcentrador::Reserva reserva(d_.enlace,
                                            EnlaceConcentrador::Reserva::Timer::Desligado);
        versao = d_.enlace.porta().pedeVersao(kPedidoVersao);
    } catch (const Erro& e) {
        registra(QStringLiteral(" ERRO mnuVersaoEquipamento_Click: ") + e.descricao() +
                 QStringLiteral(" - Err: ") + QString::number(e.numero()) +
                 QStringLiteral(" lTimerAutoString:") + d_.enlace.porta().ultimoTexto());
        return;
    }
    Operador& operador = d_.plataforma.operador;
    if (versao.size() == kTamanhoVersao)
        operador.mensagem(QStringLiteral("Versão de firmware=") + versao.mid(39, 4) +
                              QStringLiteral("\r\n") +
                              QStringLiteral("Versão do software Monitor=") + versao.mid(43, 4),
                          QStringLiteral("Versão do Concentrador!"), Icone::Informacao);
    else
        operador.mensagem(QStringLiteral("Erro ao ver versão de firmware!"),
                          QStringLiteral("Erro ao Pedir Versão!"), Icone::Critico);
}

} // namespace talvero
