// concentrador-sim: the pump concentrator on a pseudo-terminal or a TCP port.

#include "platform/CodecAnsi.h"
#include "platform/Erro.h"
#include "platform/SinaisEncerramento.h"
#include "platform/TempoReal.h"
#include "simulator/NucleoConcentrador.h"
#include "simulator/OpcoesSimulador.h"
#include "simulator/ServidorPty.h"
#include "simulator/ServidorSerial.h"
#include "simulator/ServidorTcp.h"
#include "support/Instalacao.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <memory>

using namespace talvero;
using namespace talvero::sim;

namespace {

constexpr int kPassoTrafegoMs = 250;

void escreve(std::FILE* saida, const QString& texto) {
    std::fputs(texto.toLocal8Bit().constData(), saida);
    std::fputc('\n', saida);
    std::fflush(saida);
}

void falhaGrave(const QString& texto) {
    escreve(stderr, QStringLiteral("concentrador-sim: ") + texto);
    QCoreApplication::exit(1);
}

void mostraEvento(const RegistroLivro& r, const AbastecimentoSimulado* a) {
    QString t = QStringLiteral("%1 %2").arg(nomeEvento(r.evento)).arg(r.id);
    if (a && (r.evento == EventoLivro::Criado || r.evento == EventoLivro::Manual) &&
        !a->codigoBico.isEmpty())
        t += QStringLiteral(" bico %1 litros %2 total %3 encerrante %4")
                 .arg(a->codigoBico, a->litros.textoPonto(3), a->total.textoPonto(2),
                      a->encerrante.textoPonto(2));
    if (r.evento == EventoLivro::Entregue && !r.integra) t += QStringLiteral(" (com falha)");
    t += QStringLiteral(": ") + r.resposta;
    escreve(stdout, t);
}

void criaIniciais(NucleoConcentrador& nucleo, int quantos) {
    const auto& bicos = nucleo.configuracao().bicos;
    for (int i = 0; i < quantos; ++i)
        nucleo.geraAbastecimento(bicos[std::size_t(i) % bicos.size()].codigo,
                                 Moeda::deInteiro(10 + (i * 7) % 40));
}

void agendaRoteiro(NucleoConcentrador& nucleo, const QString& arquivo) {
    QFile f(arquivo);
    if (!f.open(QIODevice::ReadOnly))
        throw Erro(QStringLiteral("Não foi possível ler o roteiro \"%1\": %2")
                       .arg(arquivo, f.errorString()),
                   erros::ArquivoNaoEncontrado);
    for (const LinhaRoteiro& l : leRoteiro(ansi::decodifica(f.readAll()))) {
        if (l.aposMs == 0) {
            nucleo.enfileiraResposta(l.resposta);
            continue;
        }
        QTimer::singleShot(int(l.aposMs), qApp, [&nucleo, r = l.resposta] {
            try {
                nucleo.enfileiraResposta(r);
            } catch (const Erro& e) {
                falhaGrave(e.descricao());
            }
        });
    }
}

int executa(const OpcoesSimulador& o) {
    RelogioSistema relogio;
    NucleoConcentrador nucleo(relogio, o.cfg);
    nucleo.falhas() = o.falhas;
    if (!o.livro.isEmpty()) nucleo.livro().gravaEm(o.livro, o.formatoLivro);
    nucleo.livro().aoRegistrar = mostraEvento;
    criaIniciais(nucleo, o.iniciais);
    if (!o.roteiro.isEmpty()) agendaRoteiro(nucleo, o.roteiro);

    std::unique_ptr<ServidorTcp> tcp;
    std::unique_ptr<ServidorPty> pty;
    std::unique_ptr<ServidorSerial> serial;
    if (o.tcpHost) {
        tcp = std::make_unique<ServidorTcp>(nucleo, falhaGrave);
        tcp->escuta(*o.tcpHost, o.tcpPorta);
        escreve(stdout, QStringLiteral("Escutando em %1:%2").arg(*o.tcpHost).arg(tcp->porta()));
    }
    if (!o.pty.isEmpty()) {
        pty = std::make_unique<ServidorPty>(nucleo, falhaGrave);
        pty->abre(o.pty);
        escreve(stdout, QStringLiteral("Pseudo-terminal %1 em %2").arg(pty->dispositivo(), o.pty));
    }
    if (!o.serial.isEmpty()) {
        serial = std::make_unique<ServidorSerial>(nucleo, falhaGrave);
        serial->abre(o.serial);
        escreve(stdout, QStringLiteral("Porta serial %1").arg(o.serial));
    }

    QTimer trafego;
    QObject::connect(&trafego, &QTimer::timeout, [&nucleo] {
        try {
            nucleo.atualiza();
        } catch (const Erro& e) {
            falhaGrave(e.descricao());
        }
    });
    trafego.start(kPassoTrafegoMs);
    if (o.duracaoS > 0) QTimer::singleShot(o.duracaoS * 1000, qApp, &QCoreApplication::quit);
    aoReceberSinalDeEncerramento([] { QCoreApplication::quit(); });
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    OpcoesSimulador opcoes;
    try {
        opcoes = leOpcoes(app.arguments().mid(1));
    } catch (const Erro& e) {
        escreve(stderr, QStringLiteral("concentrador-sim: ") + e.descricao());
        escreve(stderr, QStringLiteral("Use --help para ver as opções."));
        return 2;
    }
    if (opcoes.versao) {
        escreve(stdout, instalacao::kVersao);
        return 0;
    }
    if (opcoes.ajuda) {
        std::fputs(textoAjuda().toLocal8Bit().constData(), stdout);
        return 0;
    }
    try {
        return executa(opcoes);
    } catch (const Erro& e) {
        escreve(stderr, QStringLiteral("concentrador-sim: ") + e.descricao());
        return 1;
    }
}
