// The window's load: start-up and the configuration file.
#include "shell/MenuAutomacao.h"

#include "platform/Conversoes.h"
#include "platform/Erro.h"
#include "platform/LeitorIni.h"
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

// Flags are on only for the exact text.
bool sim(const QString& valor) { return valor == QLatin1String("SIM"); }

} // namespace

QString MenuAutomacao::le(const QString& secao, const QString& chave) const {
    return LeIni(plataforma.arquivos, secao, chave, instalacao::kArquivoIni);
}

void MenuAutomacao::Form_Load() {
    try {
        carrega();
    } catch (const Erro& e) {
        registro.registra(QStringLiteral(" - ERRO Form Load: ") + e.comNumero());
    } catch (const std::exception& e) {
        registro.registra(QStringLiteral(" - ERRO Form Load: ") + QString::fromLocal8Bit(e.what()) +
                          QStringLiteral(" - Err: 0"));
    }
}

void MenuAutomacao::carrega() {
    janela.defineTitulo(instalacao::kTituloJanela + QStringLiteral(" V-") + instalacao::kVersao);
    registro.registra(QStringLiteral(" - AutoTalvero Iniciado: "));
    if (plataforma.processos.outraInstanciaAtiva()) {
        registro.registra(QStringLiteral(" - AutoTalvero será fechado, pois existe outro aberto"));
        plataforma.processos.encerraImediatamente();
        return;
    }
    IconeBandeja(0);
    leConfiguracao();
    if (!conectaBanco()) return;
    TimerPainel->setHabilitado(true);

    config.lPastaAutomacao = le(kLocalizacao, QStringLiteral("Pasta da automacao"));
    if (config.lPastaAutomacao.isEmpty()) config.lPastaAutomacao = kPastaPadrao;
    // The name composes the request folder and every answer's path.
    if (!entradas::NomePastaValido(config.lPastaAutomacao))
        return erroFatal(QStringLiteral("Valor inválido em \"Pasta da automacao\": ") +
                             entradas::Citado(config.lPastaAutomacao) +
                             QStringLiteral("\nInforme só o nome de uma pasta, sem \\, /, : nem \"..\".\n") + kSuporte +
                             QLatin1Char('\n') + kSeraFechado,
                         QStringLiteral("Erro de Configuração!"));
    lAutomacaoPausada = false;
    FileList.Path = QStringLiteral("C:\\") + config.lPastaAutomacao + QLatin1Char('\\');
    FileList.Pattern = QStringLiteral("Pedido_*.AUT");
    TimerArquivo->setHabilitado(true);
    // With the vendor library the link opening enables it once the library answers.
    if (!config.lUsarDllCompany) TimerAutomacao->setHabilitado(true);
    verificaComputadorEAbreEnlace();
}

// Keys in their order of reading; a conversion error stops the load here.
void MenuAutomacao::leConfiguracao() {
    Configuracao& c = config;
    c.lUsarDllCompany = false;
    c.lUsarIdentFid = false;
    c.lQuantidadeBicos = ConverteNumero(le(kOutras, QStringLiteral("Quantidade de Bicos")));
    c.lCodigoEmpresa = ConverteNumero(le(kOutras, QStringLiteral("Codigo da Empresa")));
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
    registro.registra(c.lUsarIdentFid ? QStringLiteral(" - Usando IdentFID") : QStringLiteral(" - Não Usando IdentFID"));
    c.gCodigoEmpresa = c.lCodigoEmpresa;
    // Converted only now, so that a bad value still leaves the transport lines in the log.
    c.gNumeroEmail = ConverteNumeroEstrito(numeroEmail);
}

// False when the program has been ended: without the database the automation
// cannot store a single fueling.
bool MenuAutomacao::conectaBanco() {
    Conexao& conexao = dados.conexao();
    const QDateTime agora = plataforma.relogio.agora();
    QString corpo = QStringLiteral("Empresa: ") + config.lNomeEmpresa + kQuebra + QStringLiteral("Data: ") +
                    RegistroEventos::DataPadrao(agora.date()) + QStringLiteral(" as ") +
                    RegistroEventos::HoraDoDia(agora.time()) + kQuebra + kQuebra;
    if (conexao.Conecta()) {
        registro.registra(QStringLiteral(" - Conectado ao Banco"));
        return true;
    }
    registro.registra(QStringLiteral(" - AutoTalvero Nao Conectado com o BD"));
    corpo += QStringLiteral("Conexao com banco de dados não ativa ao iniciar o AutoTalvero.") + kQuebra;
    pedidoEmail.GravaPedidoEmail(QString::number(config.lCodigoEmpresa), config.lNomeEmpresa,
                                 QStringLiteral("AutoTalvero!"), corpo, config.gEmailConcluido, config.gNumeroEmail);
    plataforma.operador.mensagem(
        QStringLiteral("A automação não irá funcionar por falta de comunicação com o banco de dados!\n") + kSuporte,
        QStringLiteral("Erro de Comunicação!"), Icone::Critico);
    plataforma.processos.encerraImediatamente();
    return false;
}

void MenuAutomacao::verificaComputadorEAbreEnlace() {
    const QString configurado = le(kLocalizacao, QStringLiteral("Computador com automacao"));
    if (configurado.toUpper() != socket.NomeDoHost().toUpper()) {
        erroFatal(QStringLiteral("O computador configurado para rodar este programa deve ser o: ") +
                      entradas::SemControle(configurado) +
                      QLatin1Char('\n') + kSuporte + QLatin1Char('\n') + kSeraFechado,
                  QStringLiteral("Computador Não Autorizado a Executar Este Programa!"));
        return;
    }
    if (!enlace.IniciaAutomacao())
        erroFatal(QStringLiteral("Erro ao Iniciar comunicação com o equipamento de Automação!\n") + kSuporte +
                      QLatin1Char('\n') + kSeraFechado,
                  QStringLiteral("Erro Grave de Comunicação!"));
}

void MenuAutomacao::erroFatal(const QString& texto, const QString& titulo) {
    plataforma.operador.mensagem(texto, titulo, Icone::Critico);
    FechaJanela();
}

} // namespace talvero
