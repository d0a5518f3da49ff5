#include "EstacaoMedida.h"

#include "platform/CodecAnsi.h"

#include <QDir>
#include <QFile>
#include <QHostInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <algorithm>
#include <stdexcept>

namespace talvero::medicao {

namespace {

constexpr int kPartidaMs = 30'000;
constexpr int kParadaMs = 20'000;
int conexoes = 0;

[[noreturn]] void falha(const QString& texto) {
    throw std::runtime_error(texto.toStdString());
}

QByteArray leArquivo(const QString& caminho) {
    QFile f(caminho);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString finalDe(const QString& nome, const QByteArray& conteudo) {
    constexpr qsizetype kLinhas = 30;
    const QStringList linhas = ansi::decodifica(conteudo).split(QLatin1Char('\n'));
    return QStringLiteral("--- ") + nome + QLatin1Char('\n') +
           linhas.mid(std::max<qsizetype>(0, linhas.size() - kLinhas)).join('\n');
}

void para(QProcess& p, const char* nome) {
    if (!encerra(p, kParadaMs))
        falha(QStringLiteral("%1 não terminou com SIGTERM").arg(QLatin1String(nome)));
}

} // namespace

EstacaoMedida::EstacaoMedida(QString binarios, PerfilEstacao perfil)
    : binarios_(std::move(binarios)), perfil_(perfil),
      conexao_(QStringLiteral("medicao-%1").arg(++conexoes)) {
    if (!raiz_.isValid()) falha(QStringLiteral("pasta temporária: ") + raiz_.errorString());
}

EstacaoMedida::~EstacaoMedida() {
    try {
        paraAgente();
        paraSimulador();
        para(xvfb_, "Xvfb");
    } catch (const std::exception&) {
    }
    QSqlDatabase::database(conexao_, false).close();
    QSqlDatabase::removeDatabase(conexao_);
}

void EstacaoMedida::escreve(const QString& relativo, const QByteArray& conteudo) {
    QFile f(caminho(relativo));
    if (!f.open(QIODevice::WriteOnly) || f.write(conteudo) != conteudo.size())
        falha(f.fileName() + ": " + f.errorString());
}

void EstacaoMedida::dados(const QStringList& argumentos) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(binarios_ + QStringLiteral("/tools/talvero-dados"),
            QStringList{QStringLiteral("--root"), raiz()} + argumentos);
    if (!p.waitForFinished(kParadaMs) || p.exitCode() != 0)
        falha(QStringLiteral("talvero-dados %1: %2 %3")
                  .arg(argumentos.join(' '), p.errorString(), QString::fromLocal8Bit(p.readAll())));
}

QString EstacaoMedida::pastaRespostas() const {
    return caminho(QStringLiteral("UNC/") + origemPedidos() + QStringLiteral("/Automacao"));
}

// The same station as the demo's: four nozzles, COM3, by default the serial control
// and layout 52.
void EstacaoMedida::prepara() {
    const QString resposta =
        QStringLiteral("UNC/") + origemPedidos() + QStringLiteral("/Automacao");
    for (const QString& p : {QStringLiteral("C/Talvero/AutoTalvero"), QStringLiteral("C/Automacao"),
                             QStringLiteral("dev"), QStringLiteral("cadastros"), resposta})
        if (!QDir(raiz()).mkpath(p)) falha(QStringLiteral("não criou ") + caminho(p));
    const auto sim = [](bool ligado) { return ligado ? "SIM" : "NAO"; };
    QStringList ini = {"[OUTRAS]",
                       "Quantidade de Bicos=4",
                       "Codigo da Empresa=1",
                       "Nome da Empresa=POSTO MEDICAO",
                       "Criar Log Timer=NAO",
                       "[EMAIL]",
                       "Numero do Email=0",
                       "Concluido=NAO",
                       "[AUTOMACAO]",
                       QStringLiteral("Usar Dll da Company=") + sim(perfil_.biblioteca),
                       QStringLiteral("Usar IdentFID=") + sim(perfil_.identFid),
                       "Casas decimais da litragem=3",
                       "Casas decimais do valor=3",
                       "Porta de Comunicacao=COM3",
                       QStringLiteral("Espera Fixa=SIM"),
                       QStringLiteral("Descarga Rapida=SIM"),
                       "[LOCALIZACAO]",
                       "Pasta da automacao=Automacao",
                       "Computador com automacao=" + QHostInfo::localHostName(),
                       "[BANCO DE DADOS]",
                       "Driver=SQLITE"};
    // Absent, not "NAO": the agent's own default is what is measured.
    if (!perfil_.esperaFixa) ini.removeOne(QStringLiteral("Espera Fixa=SIM"));
    if (!perfil_.descargaRapida) ini.removeOne(QStringLiteral("Descarga Rapida=SIM"));
    escreve("C/Talvero/AutoTalvero/AutoTalvero.INI", ansi::codifica(ini.join("\r\n") + "\r\n"));
    escreveCadastros(caminho(QStringLiteral("cadastros")));
    dados({QStringLiteral("criar")});
    dados({QStringLiteral("importar"), caminho(QStringLiteral("cadastros"))});
}

void EstacaoMedida::iniciaSimulador(const QStringList& opcoes) {
    const QString link = caminho(QStringLiteral("dev/COM3"));
    simulador_.setProcessChannelMode(QProcess::MergedChannels);
    simulador_.setStandardOutputFile(caminho(QStringLiteral("simulador.txt")));
    simulador_.start(binarios_ + QStringLiteral("/simulator/concentrador-sim"),
                     QStringList{QStringLiteral("--pty"), link, QStringLiteral("--layout"),
                                 perfil_.identFid ? QStringLiteral("75") : QStringLiteral("52")} +
                         opcoes);
    if (!simulador_.waitForStarted())
        falha(QStringLiteral("concentrador-sim: ") + simulador_.errorString());
    if (!aguardaAte([&] { return QFile::exists(link) || simulador_.state() != QProcess::Running; },
                    kPartidaMs) ||
        !QFile::exists(link))
        falha(QStringLiteral("concentrador-sim não criou ") + link + ": " +
              QString::fromLocal8Bit(leArquivo(caminho(QStringLiteral("simulador.txt")))));
}

QString EstacaoMedida::iniciaAgente(bool janela) {
    agente_.setProcessChannelMode(QProcess::MergedChannels);
    agente_.setStandardOutputFile(caminho(QStringLiteral("agente.txt")));
    QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
    QString plataforma = QStringLiteral("offscreen");
    if (janela && !QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) {
        xvfb_.start(QStringLiteral("Xvfb"),
                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                     QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                     QStringLiteral("1280x1024x24")});
        if (!aguardaAte(
                [&] { return xvfb_.canReadLine() || xvfb_.state() == QProcess::NotRunning; },
                kPartidaMs) ||
            !xvfb_.canReadLine())
            falha(QStringLiteral("Xvfb não iniciou: ") +
                  QString::fromLocal8Bit(xvfb_.readAllStandardError()));
        plataforma =
            QStringLiteral("xcb, Xvfb :") + QString::fromLatin1(xvfb_.readLine().trimmed());
        tela_ = plataforma.section(QLatin1Char(' '), -1);
        ambiente.insert(QStringLiteral("DISPLAY"), tela_);
        ambiente.remove(QStringLiteral("QT_QPA_PLATFORM"));
    } else {
        // Without a display the agent runs headless by itself; a dummy one makes it show its window
        // offscreen.
        ambiente.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        if (janela && !ambiente.contains(QStringLiteral("DISPLAY")))
            ambiente.insert(QStringLiteral("DISPLAY"), QStringLiteral(":0"));
    }
    agente_.setProcessEnvironment(ambiente);
    QStringList argumentos = {QStringLiteral("--root"), raiz()};
    if (!janela) argumentos << QStringLiteral("--headless");
    agente_.start(binarios_ + QStringLiteral("/shell/autotalvero"), argumentos);
    if (!agente_.waitForStarted()) falha(QStringLiteral("autotalvero: ") + agente_.errorString());
    return janela ? plataforma : QStringLiteral("--headless");
}

void EstacaoMedida::paraAgente() {
    para(agente_, "autotalvero");
}
void EstacaoMedida::paraSimulador() {
    para(simulador_, "concentrador-sim");
}

QString EstacaoMedida::diagnostico() const {
    QString t;
    for (const QFileInfo& log :
         QDir(caminho(QStringLiteral("C/Talvero/AutoTalvero")))
             .entryInfoList({QStringLiteral("AUTOMACAO_*.LOG")}, QDir::Files, QDir::Name))
        t += finalDe(log.fileName(), leArquivo(log.filePath())) + QLatin1Char('\n');
    for (const char* arquivo : {"agente.txt", "simulador.txt"})
        t += finalDe(QLatin1String(arquivo), leArquivo(caminho(QLatin1String(arquivo)))) +
             QLatin1Char('\n');
    return t;
}

bool EstacaoMedida::primeiraTroca() const {
    for (const QFileInfo& log :
         QDir(caminho(QStringLiteral("C/Talvero/AutoTalvero")))
             .entryInfoList({QStringLiteral("AUTOMACAO_*.LOG")}, QDir::Files)) {
        const QByteArray texto = leArquivo(log.filePath());
        // The serial control reads the answer; the library tells its send went through.
        if (texto.contains("TimerAutomacao_Timer: Input=") ||
            texto.contains("AutoAtualizaRelogioEquip OK"))
            return true;
    }
    return false;
}

int EstacaoMedida::gravados() {
    QSqlDatabase db = QSqlDatabase::contains(conexao_)
                          ? QSqlDatabase::database(conexao_, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), conexao_);
    if (!db.isOpen()) {
        db.setDatabaseName(caminho(QStringLiteral("C/Talvero/AutoTalvero/Talvero.db")));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open()) falha(db.lastError().text());
    }
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM Abastecimento")) || !q.next())
        falha(q.lastError().text());
    return q.value(0).toInt();
}

} // namespace talvero::medicao
