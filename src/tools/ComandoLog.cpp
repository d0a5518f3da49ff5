#include "tools/ComandoLog.h"

#include "platform/CodecAnsi.h"
#include "platform/Erro.h"
#include "platform/MapaCaminhos.h"
#include "platform/RaizEstacao.h"
#include "platform/SinaisEncerramento.h"
#include "platform/SistemaArquivosLocal.h"
#include "support/Instalacao.h"
#include "tools/LinhaComando.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>
#include <QTimer>
#include <cstdio>
#include <functional>

namespace talvero::leituraLog {
namespace {

constexpr int kSaidaErro = 1;
constexpr int kSaidaUso = 2;
constexpr int kIntervaloMs = 500;
// Years of hours; a folder flooded beyond that is not listed whole.
constexpr int kMaximoDeLogs = 100000;

struct Pedido {
    QString raiz;
    QString arquivo;
    bool seguir = false;
    QString erroUso;
};

Pedido lePedido(const QStringList& args) {
    const linhaComando::LinhaLida l =
        linhaComando::le(args, {QStringLiteral("log"), {}, {QStringLiteral("--seguir")}, 1});
    return {l.valores.value(QStringLiteral("--root")), l.livres.value(0), !l.marcadas.isEmpty(),
            l.erroUso};
}

// The newest of the names of the exact form the agent writes, judged by the
// hour in the name: "dd_mm_yyyy" does not sort by date.
QString maisRecente(const SistemaArquivosLocal& arquivos, const MapaCaminhos& caminhos) {
    static const QRegularExpression forma(
        QStringLiteral("^AUTOMACAO_(\\d\\d)_(\\d\\d)_(\\d{4})_(\\d\\d)\\.LOG$"));
    QString chaveMaior, nome;
    for (const EntradaPasta& e : arquivos.entradas(
             instalacao::kPastaPrograma, QStringLiteral("AUTOMACAO_*.LOG"), kMaximoDeLogs)) {
        const auto m = forma.match(e.nome);
        if (e.tipo != EntradaPasta::Tipo::Arquivo || !m.hasMatch()) continue;
        const QString chave = m.captured(3) + m.captured(2) + m.captured(1) + m.captured(4);
        if (chave > chaveMaior) chaveMaior = chave, nome = e.nome;
    }
    return nome.isEmpty() ? QString() : caminhos.local(instalacao::kPastaPrograma + nome);
}

// One log read on from where the last look stopped.
class Acompanhamento {
public:
    void abre(const QString& caminho) {
        caminho_ = caminho;
        lido_ = 0;
    }
    const QString& caminho() const { return caminho_; }

    QByteArray novos() {
        QFile f(caminho_);
        if (!QFileInfo::exists(caminho_))
            throw Erro(QStringLiteral("não há o arquivo ") + caminho_, erros::ArquivoNaoEncontrado);
        if (!QFileInfo(caminho_).isFile())
            throw Erro(caminho_ + QStringLiteral(" não é um arquivo"), erros::ModoDeArquivo);
        if (!f.open(QIODevice::ReadOnly))
            throw Erro(QStringLiteral("não foi possível ler %1: %2").arg(caminho_, f.errorString()),
                       erros::PermissaoNegada);
        if (f.size() < lido_) lido_ = 0; // written anew
        f.seek(lido_);
        QByteArray bytes = f.readAll();
        // A line end split between two looks is turned into one at the next.
        if (bytes.endsWith('\r')) bytes.chop(1);
        lido_ += bytes.size();
        return bytes;
    }

private:
    QString caminho_;
    qint64 lido_ = 0;
};

void imprime(const QByteArray& ansiBytes) {
    if (ansiBytes.isEmpty()) return;
    QString texto = ansi::decodifica(ansiBytes);
    texto.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QByteArray utf8 = texto.toUtf8();
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stdout);
    std::fflush(stdout);
}

// Like `tail -f`: a log removed or not yet there is waited for; without a named
// file, the next hour's log is taken up once it appears.
int segue(Acompanhamento& atual, const std::function<QString()>& ultimo) {
    auto imprimeNovos = [&] {
        if (atual.caminho().isEmpty()) return;
        try {
            imprime(atual.novos());
        } catch (const Erro&) {
        }
    };
    auto passo = [&] {
        imprimeNovos();
        QString novo;
        try {
            if (ultimo) novo = ultimo();
        } catch (const Erro&) {
        }
        if (novo.isEmpty() || novo == atual.caminho()) return;
        imprimeNovos(); // the old hour's last lines, written meanwhile
        atual.abre(novo);
        imprimeNovos();
    };
    QTimer relogio;
    QObject::connect(&relogio, &QTimer::timeout, passo);
    aoReceberSinalDeEncerramento([] { QCoreApplication::exit(0); });
    relogio.start(kIntervaloMs);
    return QCoreApplication::exec();
}

int executa(const Pedido& p, QTextStream& erro) {
    const MapaCaminhos caminhos(p.raiz);
    const SistemaArquivosLocal arquivos(caminhos);
    const QString pasta = caminhos.local(instalacao::kPastaPrograma);
    Acompanhamento atual;
    std::function<QString()> ultimo;
    if (!p.arquivo.isEmpty()) {
        atual.abre(QFileInfo::exists(p.arquivo)
                       ? p.arquivo
                       : caminhos.local(instalacao::kPastaPrograma + p.arquivo));
    } else {
        ultimo = [&] { return maisRecente(arquivos, caminhos); };
        try {
            atual.abre(ultimo());
        } catch (const Erro& e) {
            throw Erro(QStringLiteral(
                           "não foi possível listar os logs em %1: %2 (a raiz --root está certa?)")
                           .arg(pasta, e.descricao()),
                       e.numero());
        }
        if (atual.caminho().isEmpty() && !p.seguir)
            throw Erro(QStringLiteral("nenhum log horário (AUTOMACAO_dd_mm_aaaa_HH.LOG) em ") +
                           pasta,
                       erros::ArquivoNaoEncontrado);
        if (atual.caminho().isEmpty())
            erro << "talvero-dados: aguardando o primeiro log horário em " << pasta << Qt::endl;
    }
    if (!atual.caminho().isEmpty()) imprime(atual.novos());
    return p.seguir ? segue(atual, ultimo) : 0;
}

} // namespace

bool pedido(const QStringList& argumentos) {
    return linhaComando::comando(argumentos) == QLatin1String("log");
}

int executa(const QStringList& argumentos) {
    QTextStream erro(stderr);
    const Pedido p = lePedido(argumentos);
    if (!p.erroUso.isEmpty()) {
        erro << "talvero-dados: " << p.erroUso << "\n(use --help para ver os comandos)\n";
        return kSaidaUso;
    }
    const RaizEstacao raiz =
        RaizEstacao::escolhe(QStringLiteral("talvero-dados"), p.raiz, instalacao::kArquivoIni);
    if (!raiz.mensagem.isEmpty()) erro << raiz.mensagem << Qt::endl;
    if (!raiz.encontrada) return kSaidaUso;
    try {
        Pedido naRaiz = p;
        naRaiz.raiz = raiz.raiz;
        return executa(naRaiz, erro);
    } catch (const Erro& e) {
        erro << "talvero-dados: " << e.descricao() << '\n';
        return kSaidaErro;
    }
}

} // namespace talvero::leituraLog
