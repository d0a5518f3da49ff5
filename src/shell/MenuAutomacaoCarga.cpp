// The window's load: start-up and the configuration file.
#include "shell/MenuAutomacao.h"

#include "platform/Conversoes.h"
#include "platform/Erro.h"
#include "platform/LeitorIni.h"
#include "support/CodigosSaida.h"
#include "support/Entradas.h"
#include "support/Instalacao.h"

#include <exception>

namespace talvero {

namespace {

const QString kQuebra = QStringLiteral("\r\n");
const QString kOutras = QStringLiteral("OUTRAS");
const QString kEmail = QStringLiteral("EMAIL");
const QString kAutomacao = QStringLiteral("AUTOMACAO");
const QString kLocalizacao = QStringLiteral("LOCALIZACAO");
const QString kPastaPadrao = QStringLiteral("Automacao");
const QString kSuporte = QStringLiteral("Entre em contato com o suporte técnico.");
const QString kSeraFechado = QStringLiteral("Este programa será fechado automaticamente.");
const QString kErroConfiguracao = QStringLiteral("Erro de Configuração!");
const QString kNaoAutorizado =
    QStringLiteral("Computador Não Autorizado a Executar Este Programa!");

// Flags are on only for the exact text.
bool sim(const QString& valor) {
    return valor == QLatin1String("SIM");
}

} // namespace

QString MenuAutomacao::le(const QString& secao, const QString& chave) const {
    return LeIni(plataforma.arquivos, secao, chave, instalacao::kArquivoIni);
}

// A start-up that cannot finish ends the agent with its cause, never leaves it
// half started looking healthy.
void MenuAutomacao::Form_Load() {
    inicio_ = plataforma.relogio.agora();
    QString falha;
    try {
        carrega();
        return;
    } catch (const Erro& e) {
        falha = e.comNumero();
    } catch (const std::exception& e) {
        falha = QString::fromLocal8Bit(e.what()) + QStringLiteral(" - Err: 0");
    }
    registro.registra(QStringLiteral(" - ERRO Form Load: ") + falha);
    const QString causa = chaveEmLeitura_.isEmpty()
                              ? falha
                              : QStringLiteral("valor inválido em ") + chaveEmLeitura_ +
                                    QStringLiteral(" (") + falha + QLatin1Char(')');
    erroFatal(QStringLiteral("A configuração do AutoTalvero não pôde ser lida: ") + causa +
                  QLatin1Char('\n') + kSuporte + QLatin1Char('\n') + kSeraFechado,
              kErroConfiguracao, saida::Configuracao);
}

void MenuAutomacao::carrega() {
    janela.defineTitulo(instalacao::kTituloJanela + QStringLiteral(" V-") + instalacao::kVersao);
    registro.registra(QStringLiteral(" - AutoTalvero Iniciado: "));
    if (plataforma.processos.outraInstanciaAtiva()) {
        registro.registra(QStringLiteral(" - AutoTalvero será fechado, pois existe outro aberto"));
        const QString causa = QStringLiteral("outro AutoTalvero já está aberto nesta estação (") +
                              plataforma.caminhos.local(instalacao::kPastaPrograma) +
                              QLatin1Char(')');
        plataforma.operador.mensagem(QStringLiteral("O AutoTalvero será fechado: ") + causa +
                                         QLatin1Char('.'),
                                     QStringLiteral("AutoTalvero já aberto!"), Icone::Critico);
        return encerraNaPartida(causa, saida::OutraInstancia);
    }
    IconeBandeja(0);
    if (!plataforma.arquivos.existe(instalacao::kArquivoIni))
        return erroFatal(QStringLiteral("Arquivo de configuração não encontrado: ") +
                             instalacao::kArquivoIni + QStringLiteral(" (") +
                             plataforma.caminhos.local(instalacao::kArquivoIni) +
                             QStringLiteral(")\n") + kSuporte + QLatin1Char('\n') + kSeraFechado,
                         kErroConfiguracao, saida::Configuracao);
    leConfiguracao();
    const QString diasDeLog = le(kOutras, QStringLiteral("Dias de Log"));
    const std::optional<int> dias = entradas::DiasDeLog(diasDeLog);
    if (!dias)
        return erroFatal(
            QStringLiteral("Valor inválido em \"Dias de Log\": ") + entradas::Citado(diasDeLog) +
                QStringLiteral(
                    "\nInforme quantos dias os logs são guardados (padrão 90; 0 guarda todos).\n") +
                kSuporte + QLatin1Char('\n') + kSeraFechado,
            kErroConfiguracao, saida::Configuracao);
    registro.defineRetencao(*dias);
    if (!conectaBanco()) return;
    monta();
    TimerPainel->setHabilitado(true);

    config.lPastaAutomacao = le(kLocalizacao, QStringLiteral("Pasta da automacao"));
    if (config.lPastaAutomacao.isEmpty()) config.lPastaAutomacao = kPastaPadrao;
    // The name composes the request folder and every answer's path.
    if (!entradas::NomePastaValido(config.lPastaAutomacao))
        return erroFatal(
            QStringLiteral("Valor inválido em \"Pasta da automacao\": ") +
                entradas::Citado(config.lPastaAutomacao) +
                QStringLiteral("\nInforme só o nome de uma pasta, sem \\, /, : nem \"..\".\n") +
                kSuporte + QLatin1Char('\n') + kSeraFechado,
            kErroConfiguracao, saida::Configuracao);
    FileList.Path = QStringLiteral("C:\\") + config.lPastaAutomacao + QLatin1Char('\\');
    FileList.Pattern = QStringLiteral("Pedido_*.AUT");
    TimerArquivo->setHabilitado(true);
    requisicoes().vigiaPasta();
    // With the vendor library the link opening enables it once the library answers.
    if (!config.lUsarDllCompany) TimerAutomacao->setHabilitado(true);
    if (!verificaComputadorEAbreEnlace()) return;
    acompanhamento.inicio(descricaoDoInicio());
    avisaPronto();
}

// Keys in their order of reading; a conversion error stops the load here.
void MenuAutomacao::leConfiguracao() {
    Configuracao& c = config;
    // Names the key in the message when its conversion raises.
    const auto lendo = [this](const QString& secao, const QString& chave,
                              const QString& valor) -> const QString& {
        chaveEmLeitura_ = QLatin1Char('[') + secao + QStringLiteral("] \"") + chave +
                          QStringLiteral("\": ") + entradas::Citado(valor);
        return valor;
    };
    c.lUsarDllCompany = false;
    c.lUsarIdentFid = false;
    const QString bicos = le(kOutras, QStringLiteral("Quantidade de Bicos"));
    c.lQuantidadeBicos =
        ConverteNumero(lendo(kOutras, QStringLiteral("Quantidade de Bicos"), bicos));
    const QString empresa = le(kOutras, QStringLiteral("Codigo da Empresa"));
    c.lCodigoEmpresa = ConverteNumero(lendo(kOutras, QStringLiteral("Codigo da Empresa"), empresa));
    chaveEmLeitura_.clear();
    c.lNomeEmpresa = le(kOutras, QStringLiteral("Nome da Empresa"));
    c.gEmailConcluido = false;
    const QString numeroEmail = le(kEmail, QStringLiteral("Numero do Email"));
    c.lCriarLogTimer = false;
    c.lCriarLogTimer = sim(le(kOutras, QStringLiteral("Criar Log Timer")));
    c.gEmailConcluido = sim(le(kEmail, QStringLiteral("Concluido")));
    c.lUsarDllCompany = sim(le(kAutomacao, QStringLiteral("Usar Dll da Company")));
    registro.registra(c.lUsarDllCompany ? QStringLiteral(" - Usando DLL da Company")
                                        : QStringLiteral(" - Usando DLL da Talvero"));
    c.lUsarIdentFid = sim(le(kAutomacao, QStringLiteral("Usar IdentFID")));
    registro.registra(c.lUsarIdentFid ? QStringLiteral(" - Usando IdentFID")
                                      : QStringLiteral(" - Não Usando IdentFID"));
    c.lEsperaFixa = sim(le(kAutomacao, QStringLiteral("Espera Fixa")));
    c.lDescargaRapida = sim(le(kAutomacao, QStringLiteral("Descarga Rapida")));
    registro.registra(QStringLiteral(" - Esperas ") + ModoDasEsperas(c) +
                      (c.lDescargaRapida ? QStringLiteral(", descarga rápida") : QString()));
    c.gCodigoEmpresa = c.lCodigoEmpresa;
    // Converted only now, so that a bad value still leaves the transport lines in the log.
    c.gNumeroEmail =
        ConverteNumeroEstrito(lendo(kEmail, QStringLiteral("Numero do Email"), numeroEmail));
    chaveEmLeitura_.clear();
}

// False when the program has been ended: without the database the automation
// cannot store a single fueling. The cause is told first; the notification
// mail's own troubles come after it.
bool MenuAutomacao::conectaBanco() {
    Conexao& conexao = dados.conexao();
    const QDateTime agora = plataforma.relogio.agora();
    QString corpo = QStringLiteral("Empresa: ") + config.lNomeEmpresa + kQuebra +
                    QStringLiteral("Data: ") + RegistroEventos::DataPadrao(agora.date()) +
                    QStringLiteral(" as ") + RegistroEventos::HoraDoDia(agora.time()) + kQuebra +
                    kQuebra;
    if (conexao.Conecta()) {
        registro.registra(QStringLiteral(" - Conectado ao Banco"));
        return true;
    }
    const QString causa = conexao.opcoes().destino() + QStringLiteral(": ") + conexao.ultimoErro();
    registro.registra(QStringLiteral(" - AutoTalvero Nao Conectado com o BD"));
    registro.registra(QStringLiteral(" - Banco de dados ") + causa);
    acompanhamento.falha(QStringLiteral("banco de dados inacessível: ") + causa);
    plataforma.operador.mensagem(
        QStringLiteral(
            "A automação não irá funcionar por falta de comunicação com o banco de dados!\n") +
            causa + QLatin1Char('\n') + kSuporte,
        QStringLiteral("Erro de Comunicação!"), Icone::Critico);
    corpo +=
        QStringLiteral("Conexao com banco de dados não ativa ao iniciar o AutoTalvero.") + kQuebra;
    pedidoEmail.GravaPedidoEmail(QString::number(config.lCodigoEmpresa), config.lNomeEmpresa,
                                 QStringLiteral("AutoTalvero!"), corpo, config.gEmailConcluido,
                                 config.gNumeroEmail);
    plataforma.processos.encerraImediatamente(saida::BancoInacessivel);
    return false;
}

// False when the start-up ended here.
bool MenuAutomacao::verificaComputadorEAbreEnlace() {
    const QString configurado = le(kLocalizacao, QStringLiteral("Computador com automacao"));
    const QString host = socket.NomeDoHost();
    if (configurado.isEmpty() && !host.isEmpty()) {
        erroFatal(QStringLiteral("Falta informar em AutoTalvero.INI, seção [LOCALIZACAO], "
                                 "\"Computador com automacao\": "
                                 "o nome deste computador é ") +
                      host + QLatin1Char('\n') + kSuporte + QLatin1Char('\n') + kSeraFechado,
                  kNaoAutorizado, saida::ComputadorNaoAutorizado);
        return false;
    }
    if (configurado.toUpper() != host.toUpper()) {
        erroFatal(QStringLiteral("O computador configurado para rodar este programa deve ser o: ") +
                      entradas::SemControle(configurado) + QLatin1Char('\n') + kSuporte +
                      QLatin1Char('\n') + kSeraFechado,
                  kNaoAutorizado, saida::ComputadorNaoAutorizado);
        return false;
    }
    if (enlace.IniciaAutomacao()) return true;
    erroFatal(QStringLiteral("Erro ao Iniciar comunicação com o equipamento de Automação!\n") +
                  enlace.motivoFalha() + QLatin1Char('\n') + kSuporte + QLatin1Char('\n') +
                  kSeraFechado,
              QStringLiteral("Erro Grave de Comunicação!"),
              enlace.falhaDeConfiguracao() ? saida::Configuracao : saida::EnlaceNaoAbre);
    return false;
}

// The cause goes to standard error and the window's header before the box; the
// window then closes and the process ends with the cause's status.
void MenuAutomacao::erroFatal(const QString& texto, const QString& titulo, int codigo) {
    falhaPartida_ = texto.section(QLatin1Char('\n'), 0, 0);
    acompanhamento.falha(titulo + QLatin1Char(' ') + texto.section(QLatin1Char('\n'), 0, -3));
    codigoSaida_ = codigo;
    // The box runs its own event loop: nothing may collect or answer meanwhile
    // (on the wrong computer above all).
    TimerAutomacao->setHabilitado(false);
    TimerArquivo->setHabilitado(false);
    atualizaPainel();
    plataforma.operador.mensagem(texto, titulo, Icone::Critico);
    FechaJanela();
}

void MenuAutomacao::encerraNaPartida(const QString& causa, int codigo) {
    acompanhamento.falha(causa);
    plataforma.processos.encerraImediatamente(codigo);
}

QString MenuAutomacao::descricaoDoInicio() {
    return instalacao::kVersao + QStringLiteral(", raiz ") +
           (plataforma.caminhos.nativo() ? QStringLiteral("(caminhos do Windows)")
                                         : plataforma.caminhos.raiz()) +
           QStringLiteral(", ") + porta_->nome() + QStringLiteral(" em ") +
           config.lPortaComunicacao + QStringLiteral(", banco ") +
           dados.conexao().opcoes().destino() + QStringLiteral(", esperas ") +
           ModoDasEsperas(config) +
           (config.lDescargaRapida ? QStringLiteral(", descarga rápida") : QString());
}

} // namespace talvero
