#include "estacao/Estacao.h"
#include "platform/LeitorIni.h"
#include "support/CodigosSaida.h"
#include "support/Instalacao.h"

#include <QDirIterator>
#include <QFile>
#include <condition_variable>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace talvero::teste {
namespace {

const QString kCartao = QStringLiteral("0123456789ABCDEF");

QString id(int n) {
    return QStringLiteral("%1").arg(n, 15, 10, QLatin1Char('0'));
}
QString pedido(int n) {
    return QStringLiteral("C:\\Automacao\\Pedido_") + id(n) + QStringLiteral(".AUT");
}
QString resposta(int n, const QString& origem = QStringLiteral("PC1")) {
    return QStringLiteral("\\\\") + origem + QStringLiteral("\\Automacao\\Retorno_") + id(n) +
           QStringLiteral(".AUT");
}

QByteArray textoPedido(const QString& comando, const QString& origem, const QString& parametro) {
    return ("[PEDIDO AUTOMACAO]\r\nComando=" + comando + "\r\nOrigem=" + origem +
            "\r\nParametro=" + parametro + "\r\n")
        .toLatin1();
}

// Fuelings come through the vendor library only in the card identifier's layout.
sim::ConfiguracaoConcentrador concentrador(bool biblioteca) {
    sim::ConfiguracaoConcentrador c;
    if (biblioteca) c.leiaute = sim::Leiaute::IdentFid;
    return c;
}

// A station whose other computers PC1 and PC2 share their answer folders.
class Posto {
public:
    explicit Posto(bool biblioteca = false) : e(concentrador(biblioteca)) {
        if (biblioteca) e.defineIni(QStringLiteral("Usar Dll da Company"), QStringLiteral("SIM"));
        for (const char* pasta : {"C:\\Automacao", "\\\\PC1\\Automacao", "\\\\PC2\\Automacao"})
            e.mundo.criaPasta(QString::fromLatin1(pasta));
        e.iniciaAgente();
    }

    void poe(int n, const QByteArray& conteudo) {
        QFile f(e.mundo.local(pedido(n)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(conteudo);
    }
    void pede(int n, const QString& comando, const QString& parametro = {},
              const QString& origem = QStringLiteral("PC1")) {
        poe(n, textoPedido(comando, origem, parametro));
    }
    bool pendente(int n) { return e.mundo.arquivos.existe(pedido(n)); }
    bool respondido(int n, const QString& origem = QStringLiteral("PC1")) {
        return e.mundo.arquivos.existe(resposta(n, origem));
    }
    // Retorno and Parametro of the answer, which the requester then takes away.
    std::pair<QString, QString> toma(int n, const QString& origem = QStringLiteral("PC1")) {
        if (!respondido(n, origem)) return {QStringLiteral("(sem resposta)"), {}};
        const QByteArray r = e.mundo.arquivos.le(resposta(n, origem));
        e.mundo.arquivos.apaga(resposta(n, origem), true);
        const QString secao = QStringLiteral("RETORNO AUTOMACAO");
        return {LeIniDeTexto(r, secao, QStringLiteral("Retorno")),
                LeIniDeTexto(r, secao, QStringLiteral("Parametro"))};
    }
    // Virtual milliseconds until the answer stands, looked at every 5.
    std::int64_t ateResponder(int n) {
        const std::int64_t inicio = e.mundo.relogio.ms();
        for (int i = 0; i < 400 && !respondido(n); ++i)
            e.roda(5);
        return e.mundo.relogio.ms() - inicio;
    }
    std::pair<QString, QString> aguarda(int n, const QString& origem = QStringLiteral("PC1")) {
        for (int i = 0; i < 500 && !respondido(n, origem); ++i)
            e.roda(500);
        return toma(n, origem);
    }
    QStringList arquivosDeResposta() {
        QStringList nomes;
        for (QDirIterator it(e.mundo.raiz.path(), QDir::Files, QDirIterator::Subdirectories);
             it.hasNext();)
            if (it.next().contains(QLatin1String("Retorno_"))) nomes << it.filePath();
        return nomes;
    }

    Estacao e;
};

class Pedidos : public ::testing::Test, public Posto {};

using P = std::pair<QString, QString>;
const QString kOk = QStringLiteral("OK");
const QString kNaoReconhecido = QStringLiteral("COMANDO NAO RECONHECIDO");

TEST_F(Pedidos, UmPorTickEmOrdemDeNomeCadaUmRespondidoComoChegou) {
    const std::pair<QByteArray, P> casos[] = {
        {textoPedido("AUTOMACAO ATIVADA", "PC1", {}), {kOk, {}}},
        {textoPedido("Automacao Ativada", "PC1", {}), {kNaoReconhecido, {}}},
        {textoPedido("TIRA PAUSA AUTOMACAO", "PC1", {}), {kNaoReconhecido, {}}},
        {"[PEDIDO AUTOMACAO]\r\nOrigem=PC1\r\n", {kNaoReconhecido, {}}},
        {"; por outro programa\r\n[pedido automacao]\r\n  ORIGEM = 'PC1' \r\ncomando=  \"AUTOMACAO "
         "ATIVADA\"  \r\n",
         {kOk, {}}},
        {textoPedido("AUTOMACAO NUMERO CARTAO", "PC1", {}), {kOk, {}}},
    };
    const int n = int(std::size(casos));
    for (int i = 0; i < n; ++i)
        poe(n - i, casos[n - 1 - i].first);
    e.roda(500);
    EXPECT_TRUE(respondido(1));
    EXPECT_FALSE(respondido(2));
    EXPECT_EQ(e.mundo.arquivos.le(resposta(1)),
              "[RETORNO AUTOMACAO]\r\nOrigem=PC1\r\nComando=AUTOMACAO "
              "ATIVADA\r\nRetorno=OK\r\nParametro=\r\n");
    e.roda(1000 * n); // the one without "Comando" is taken as it stands after 3 s
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(toma(i + 1), casos[i].second) << i;
        EXPECT_FALSE(pendente(i + 1)) << i;
    }
}

// Nothing read from a request leads a file out of the requester's share; a
// request that cannot be answered or deleted is logged once and passed over.
TEST_F(Pedidos, OrigensHostisCompartilhamentoAusenteNomeOcupadoEPedidoQueNaoSeApaga) {
    const QString origens[] = {"../PC1",
                               "PC1\\..\\..\\C",
                               "",
                               ".PC1",
                               "-PC1",
                               "PC1..x",
                               QString(64, QLatin1Char('A')),
                               "PC/1",
                               "PC9"};
    int n = 0;
    for (const QString& origem : origens)
        pede(++n, QStringLiteral("AUTOMACAO ATIVADA"), {}, origem);
    QByteArray lixo(4096, '\0');
    for (int i = 0; i < lixo.size(); ++i)
        lixo[i] = char((i * 7919) % 256);
    poe(++n, lixo);
    e.roda(500 * n + 3000);
    EXPECT_TRUE(arquivosDeResposta().isEmpty()) << arquivosDeResposta().join(' ').toStdString();
    EXPECT_EQ(e.conta(QStringLiteral("Erro ao gerar arquivo")), n);
    for (int i = 1; i <= n; ++i)
        EXPECT_FALSE(pendente(i));

    // A link planted under the temporary name is replaced, not written through.
    const QString ini = e.mundo.local(instalacao::kArquivoIni);
    const QByteArray antes = e.mundo.arquivos.le(instalacao::kArquivoIni);
    QFile::link(ini, e.mundo.local(QString(resposta(19)).replace(".AUT", ".TMP")));
    pede(19, QStringLiteral("AUTOMACAO ATIVADA"));
    e.roda(1000);
    EXPECT_EQ(e.mundo.arquivos.le(instalacao::kArquivoIni), antes);
    EXPECT_EQ(toma(19), P(kOk, {}));

    // The requester has not taken its last answer: the new one stays under ".TMP".
    e.mundo.arquivos.criaTexto(resposta(20), {QStringLiteral("anterior")});
    pede(20, QStringLiteral("AUTOMACAO ATIVADA"));
    pede(21, QStringLiteral("AUTOMACAO ATIVADA"));
    QFile::setPermissions(e.mundo.local(pedido(21)), QFileDevice::ReadOwner);
    pede(22, QStringLiteral("AUTOMACAO ATIVADA"));
    e.roda(10'000);
    EXPECT_EQ(e.mundo.arquivos.le(resposta(20)), "anterior\r\n");
    EXPECT_TRUE(e.mundo.arquivos.existe(QString(resposta(20)).replace(".AUT", ".TMP")));
    EXPECT_TRUE(pendente(21));
    EXPECT_EQ(e.conta(QStringLiteral("Erro LeRequisicaoAutomacao")), 1);
    EXPECT_EQ(toma(22), P(kOk, {}));
}

// Opens the FIFO's other end if the agent is still blocked on it after a few
// seconds of real time, so that a failing test ends instead of hanging.
class Vigia {
public:
    Vigia(QString fifo, std::function<void()> limpa)
        : fifo_(std::move(fifo)), limpa_(std::move(limpa)) {
        fio_ = std::thread([this] {
            std::unique_lock<std::mutex> trava(m_);
            if (cv_.wait_for(trava, std::chrono::seconds(10), [this] { return parado_; })) return;
            disparou = true;
            limpa_();
            const int fd = ::open(QFile::encodeName(fifo_).constData(), O_WRONLY);
            if (fd >= 0) ::close(fd);
        });
    }
    ~Vigia() { para(); }
    void para() {
        {
            std::lock_guard<std::mutex> trava(m_);
            parado_ = true;
        }
        cv_.notify_all();
        if (fio_.joinable()) fio_.join();
    }
    std::atomic<bool> disparou = false;

private:
    QString fifo_;
    std::function<void()> limpa_;
    std::mutex m_;
    std::condition_variable cv_;
    bool parado_ = false;
    std::thread fio_;
};

// Links to a FIFO, to a device, to a file, a folder, an oversize file and a name
// that would read as a path among the requests: each is told once and passed
// over, none blocks a tick or is read whole. Leftovers that never become requests
// are taken as they stand, after the real ones. Meanwhile requests are answered
// in time and fuelings collected.
TEST_F(Pedidos, EntradasQueNaoSaoPedidosNaoParamNemInchamOAgente) {
    const QString pasta = e.mundo.local(QStringLiteral("C:\\Automacao")) + QLatin1Char('/');
    const QString fifo = e.mundo.raiz.filePath(QStringLiteral("fila"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QByteArray grande = textoPedido(QStringLiteral("AUTOMACAO ATIVADA"), QStringLiteral("PC1"), {});
    grande += "; " + QByteArray(70'000, 'x') + "\r\n";
    const QString hostis[] = {"Pedido_!fifo.AUT",    "Pedido_!zero.AUT",
                              "Pedido_!ligacao.AUT", "Pedido_!pasta.AUT",
                              "Pedido_!grande.AUT",  "Pedido_!\\..\\Talvero\\AutoTalvero\\x.AUT"};
    ASSERT_TRUE(QFile::link(fifo, pasta + hostis[0]));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), pasta + hostis[1]));
    ASSERT_TRUE(QFile::link(e.mundo.local(instalacao::kArquivoIni), pasta + hostis[2]));
    ASSERT_TRUE(QDir().mkdir(pasta + hostis[3]));
    const auto escreve = [&](const QString& nome, const QByteArray& bytes) {
        QFile f(pasta + nome);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    escreve(hostis[4], grande);
    escreve(hostis[5], textoPedido(QStringLiteral("AUTOMACAO ATIVADA"), QStringLiteral("PC1"), {}));
    e.mundo.arquivos.criaTexto("C:\\Talvero\\AutoTalvero\\x.AUT", {"[PEDIDO AUTOMACAO]"});
    for (int i = 0; i < 30; ++i)
        escreve(QStringLiteral("Pedido_!lixo%1.AUT").arg(i, 2, 10, QLatin1Char('0')), "lixo");
    e.roda(4000);
    Vigia vigia(fifo, [&] {
        for (const QString& h : hostis)
            QFile::remove(pasta + h);
    });
    for (int i = 1; i <= 3; ++i) {
        for (const char* bico : {"01", "02"})
            e.nucleo.geraAbastecimento(QString::fromLatin1(bico), M("10"));
        pede(i, QStringLiteral("AUTOMACAO ATIVADA"));
        e.roda(1000);
        EXPECT_EQ(toma(i), P(kOk, {})) << i;
        e.roda(20'000);
    }
    vigia.para();
    EXPECT_FALSE(vigia.disparou) << "o agente ficou preso no FIFO";
    for (const QString& h : hostis)
        EXPECT_EQ(e.log().filter(h).size(), 1) << h.toStdString();
    EXPECT_EQ(e.janela().painel().pedidos, QStringLiteral("6 arquivos recusados na pasta"));
    EXPECT_TRUE(e.mundo.arquivos.existe("C:\\Talvero\\AutoTalvero\\x.AUT"));
    EXPECT_EQ(QDir(pasta).entryList({"Pedido_!lixo*"}, QDir::Files).size(), 0);
    EXPECT_TRUE(e.esvazia(kMinuto));
    e.confereComOLivro();
}

// A program that writes the request's values one at a time, as profile-string
// calls do (each reads what the file holds, adds its key and writes it all
// again), is answered once, as soon as the request is complete. A key written
// after that makes a file of its own, taken away as it stands.
TEST_F(Pedidos, PedidoEscritoChaveAChaveEhAtendidoQuandoCompleto) {
    const std::pair<QStringList, P> casos[] = {
        {{"Comando=AUTOMACAO ATIVADA", "Origem=PC1", "Parametro="}, {kOk, {}}},
        {{"Comando=AUTOMACAO INCLUI CARTAO", "Origem=PC1", "Parametro=" + kCartao + "|@|"},
         {kOk, "000000|@|"}}};
    int n = 0;
    for (const auto& [linhas, esperado] : casos) {
        const QString caminho = e.mundo.local(pedido(++n));
        int respostas = 0;
        for (const QString& linha : linhas) {
            QFile f(caminho);
            const QByteArray antes =
                f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("[PEDIDO AUTOMACAO]\r\n");
            f.close();
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(antes + linha.toLatin1() + "\r\n");
            f.close();
            e.roda(700);
            if (!respondido(n)) continue;
            EXPECT_EQ(toma(n), esperado) << n;
            ++respostas;
        }
        e.roda(5000);
        EXPECT_EQ(respostas + respondido(n), 1) << n;
        EXPECT_FALSE(pendente(n)) << n;
    }
}

// A request that could not be deleted for a moment holds nobody back and is
// answered once it can be.
TEST_F(Pedidos, PedidoSomenteLeituraPorUmMomentoEhAtendidoDepois) {
    pede(1, QStringLiteral("AUTOMACAO ATIVADA"));
    QFile::setPermissions(e.mundo.local(pedido(1)), QFileDevice::ReadOwner);
    e.roda(1000);
    pede(2, QStringLiteral("AUTOMACAO ATIVADA"));
    EXPECT_EQ(aguarda(2), P(kOk, {}));
    e.roda(10'000);
    EXPECT_TRUE(pendente(1));
    EXPECT_FALSE(respondido(1));
    QFile::setPermissions(e.mundo.local(pedido(1)),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    e.roda(4000);
    EXPECT_EQ(toma(1), P(kOk, {}));
    EXPECT_FALSE(pendente(1));
    EXPECT_EQ(e.conta(QStringLiteral("Erro LeRequisicaoAutomacao")), 1);
}

constexpr std::int64_t kEstavel = PastaPedidos::kEstavelMs;

// Told of by the folder's watch, a request is answered once it has stood still
// for a moment, wherever the tick is; untold, the tick finds it. One created
// empty and written a moment later, untold, gets its next look soon all the same.
TEST_F(Pedidos, AvisadoPelaVigiaEhAtendidoLogoSemAvisoNoTickSeguinte) {
    VigiaPastaDeTeste& vigia = e.mundo.vigiaPasta;
    e.roda(3000);
    int n = 0;
    for (const int fase : {0, 120, 250, 380, 490}) {
        for (const bool avisado : {true, false}) {
            e.roda(fase);
            pede(++n, QStringLiteral("AUTOMACAO ATIVADA"));
            if (avisado) vigia.notifica();
            EXPECT_LE(ateResponder(n), avisado ? kEstavel + 10 : 500 + kEstavel + 10)
                << fase << avisado;
            EXPECT_EQ(toma(n), P(kOk, {}));
        }
    }
    e.roda(250);
    poe(++n, {});
    vigia.notifica();
    e.roda(20);
    pede(n, QStringLiteral("AUTOMACAO ATIVADA"));
    EXPECT_LE(ateResponder(n), 2 * kEstavel + 10);
    EXPECT_EQ(toma(n), P(kOk, {}));
}

// A request told of while another is handled (its exchange lets events run)
// waits for it to end, then is answered at once.
TEST_F(Pedidos, AvisoDuranteUmPedidoNaoComecaOutroENaoSePerde) {
    e.roda(3000);
    bool escrito = false;
    std::optional<bool> respondidoDentro;
    e.vigias.depoisDeEnviar = [&](const QByteArray& b) {
        if (!b.startsWith("(?V") || std::exchange(escrito, true)) return;
        pede(2, QStringLiteral("AUTOMACAO ATIVADA"));
        e.mundo.vigiaPasta.notifica();
    };
    // The answer to the first one's exchange is read once whatever ran inside its wait is over.
    e.vigias.depoisDeReceber = [&](const QByteArray&) {
        if (escrito && !respondidoDentro) respondidoDentro = respondido(2);
    };
    e.roda(130);
    pede(1, QStringLiteral("AUTOMACAO NUMERO CARTAO"));
    e.mundo.vigiaPasta.notifica();
    ateResponder(1);
    ASSERT_TRUE(respondidoDentro.has_value());
    EXPECT_FALSE(*respondidoDentro) << "atendido dentro do outro";
    EXPECT_LE(ateResponder(2), kEstavel + 10);
    EXPECT_EQ(toma(1), P(kOk, {}));
    EXPECT_EQ(toma(2), P(kOk, {}));
}

// A watch that cannot start, or is lost, is told once; the ticks answer
// meanwhile, and the watch is tried again now and then.
TEST_F(Pedidos, SemVigiaOTickAtendeEAVigiaVoltaDepois) {
    VigiaPastaDeTeste& vigia = e.mundo.vigiaPasta;
    e.roda(1000);
    ASSERT_FALSE(vigia.pasta.isEmpty());
    vigia.recusa = true;
    vigia.perde();
    pede(1, QStringLiteral("AUTOMACAO ATIVADA"));
    EXPECT_EQ(aguarda(1), P(kOk, {}));
    const int inicios = vigia.inicios;
    e.roda(3 * RequisicoesAutomacao::kNovaVigiaMs);
    EXPECT_EQ(vigia.inicios, inicios + 3);
    EXPECT_EQ(e.conta(QStringLiteral("não pode ser vigiada")), 1);
    vigia.recusa = false;
    e.roda(RequisicoesAutomacao::kNovaVigiaMs);
    ASSERT_FALSE(vigia.pasta.isEmpty());
    e.roda(130);
    pede(2, QStringLiteral("AUTOMACAO ATIVADA"));
    vigia.notifica();
    EXPECT_LE(ateResponder(2), kEstavel + 10);
}

// While paused a resume is found wherever it stands; the others hear of the
// pause once, in their own origin's share, and are handled after it.
TEST(PedidosEmPausa, RetomadaPrimeiroOutrosAvisadosUmaVezENadaConfirmadoNaPausa) {
    for (const bool biblioteca : {false, true}) {
        Posto t(biblioteca);
        Estacao& e = t.e;
        e.roda(5000);
        t.pede(1, QStringLiteral("AUTOMACAO PAUSA"));
        e.roda(1000);
        ASSERT_TRUE(e.agente().ciclo().pausada()) << biblioteca;
        EXPECT_FALSE(e.agente().TimerAutomacao->habilitado());
        EXPECT_FALSE(t.respondido(1));
        const auto quadros = e.nucleo.quadrosRecebidos().size();
        e.nucleo.geraAbastecimento(QStringLiteral("02"), M("12.5"));
        t.pede(2, QStringLiteral("AUTOMACAO ATIVADA"));
        e.roda(2000);
        EXPECT_EQ(t.toma(2), P(QStringLiteral("AUTOMACAO EM PAUSA"), {}));
        e.roda(5000);
        EXPECT_FALSE(t.respondido(2));
        EXPECT_TRUE(t.pendente(2));
        EXPECT_EQ(e.nucleo.quadrosRecebidos().size(), quadros) << biblioteca;

        t.pede(3, QStringLiteral("TIRA PAUSA AUTOMACAO"), {}, QStringLiteral("PC2"));
        e.roda(500);
        EXPECT_EQ(t.toma(3, QStringLiteral("PC2")), P(kOk, {}));
        EXPECT_FALSE(e.agente().ciclo().pausada());
        e.roda(1000);
        EXPECT_EQ(t.toma(2), P(kOk, {}));
        EXPECT_FALSE(t.respondido(3));
        EXPECT_TRUE(e.esvazia(kMinuto));
        e.confereComOLivro();
    }
}

// A liveness request named before the resume, both put in one tick of the pause:
// the resume goes first, so the other is never told of a pause that is over.
TEST_F(Pedidos, RetomadaAtendidaAntesDoPedidoDeNomeAnteriorNoMesmoTick) {
    e.roda(3000);
    pede(9, QStringLiteral("AUTOMACAO PAUSA"));
    e.roda(1000);
    ASSERT_TRUE(e.agente().ciclo().pausada());
    pede(1, QStringLiteral("AUTOMACAO ATIVADA"));
    pede(2, QStringLiteral("TIRA PAUSA AUTOMACAO"));
    e.roda(1000);
    EXPECT_EQ(toma(2), P(kOk, {}));
    EXPECT_FALSE(e.agente().ciclo().pausada());
    e.roda(1000);
    EXPECT_EQ(toma(1), P(kOk, {}));
}

// The request ends the agent inside the cycle's wait for a fueling: what it had
// not yet acknowledged is handed over again and stored once after the restart.
TEST(PedidosQueEncerram, DuranteAEsperaDoCicloNenhumAbastecimentoSePerde) {
    for (const char* comando : {"AUTOMACAO FECHA", "AUTOMACAO LEITURA ENCERRANTE"}) {
        Estacao e(concentrador(true));
        e.defineIni(QStringLiteral("Usar Dll da Company"), QStringLiteral("SIM"));
        e.mundo.criaPasta(QStringLiteral("C:\\Automacao"));
        e.nucleo.geraAbastecimento(QStringLiteral("01"), M("20"));
        e.vigias.antesDeEnviar = [&](const QByteArray& b) {
            if (b.startsWith("(&A") && !e.mundo.arquivos.existe(pedido(7)))
                e.mundo.arquivos.criaTexto(
                    pedido(7), QString::fromLatin1(textoPedido(comando, "PC1", {})).split("\r\n"));
        };
        e.iniciaAgente();
        ASSERT_TRUE(e.roda(kMinuto)) << comando;
        EXPECT_TRUE(e.abastecimentos().isEmpty());
        e.vigias.antesDeEnviar = nullptr;
        e.iniciaAgente();
        EXPECT_TRUE(e.esvazia(kMinuto));
        e.confereComOLivro();
    }
}

TEST(PedidosQueEncerram, LeituraDoEncerranteEntregaOCaminhoDaRespostaELiberaAPorta) {
    Posto t;
    t.e.roda(3000);
    t.pede(9, QStringLiteral("AUTOMACAO LEITURA ENCERRANTE"));
    ASSERT_TRUE(t.e.roda(1000));
    EXPECT_EQ(t.e.mundo.arquivos.le(instalacao::kArquivoEntrega),
              "[TEMPORARIO]\r\nArquivo=\\\\PC1\\Automacao\\Retorno_000000000000009.AUT\r\n");
    ASSERT_EQ(t.e.mundo.processos.iniciados.size(), 1u);
    EXPECT_EQ(t.e.mundo.processos.iniciados[0].programa, instalacao::kProgramaEncerrante);
    EXPECT_FALSE(t.respondido(9));
    EXPECT_EQ(t.e.mundo.processos.codigoSaida, saida::LeituraEncerrante)
        << "um fim pedido, não uma falha";
}

// Cards written, found, erased through requests on both transports, each asked
// while the cycle is inside an exchange; fuelings keep their way meanwhile.
// On the library the cycle's fueling request holds the link for its whole wait;
// a card request that finds it taken ends that wait with its answer (the fueling
// stored and acknowledged first), not two seconds later.
TEST(PedidosDeCartao, NaBibliotecaAEsperaDoCicloTerminaParaOPedido) {
    Posto t(true);
    Estacao& e = t.e;
    e.roda(3000);
    e.nucleo.geraAbastecimento(QStringLiteral("03"), M("7"));
    std::int64_t escritoMs = -1;
    e.vigias.depoisDeEnviar = [&](const QByteArray& b) {
        if (!b.startsWith("(&A") || escritoMs >= 0) return;
        t.pede(1, QStringLiteral("AUTOMACAO INCLUI CARTAO"), kCartao + "|@|");
        e.mundo.vigiaPasta.notifica();
        escritoMs = e.mundo.relogio.ms();
    };
    for (int i = 0; i < 1000 && !t.respondido(1); ++i)
        e.roda(5);
    EXPECT_LE(e.mundo.relogio.ms() - escritoMs, 400);
    EXPECT_EQ(t.toma(1), P(kOk, QStringLiteral("000000|@|")));
    EXPECT_EQ(e.abastecimentos().size(), 1);
    e.confereComOLivro();
}

TEST(PedidosDeCartao, GravaAchaNaPosicaoApagaENaoAchaNoRegistro51) {
    const QString longe = QStringLiteral("FEDCBA9876543210");
    for (const bool biblioteca : {false, true}) {
        Posto t(biblioteca);
        Estacao& e = t.e;
        for (int r = 0; r < 3; ++r)
            e.nucleo.cartoes().defineRegistro(
                r, QStringLiteral("11112222333344%1").arg(r, 2, 10, QLatin1Char('0')));
        e.nucleo.cartoes().defineRegistro(51, longe);
        // The request timer out of step with the cycle's, as real timers drift apart.
        e.agente().TimerArquivo->setHabilitado(false);
        e.roda(3250);
        e.agente().TimerArquivo->setHabilitado(true);
        e.vigias.antesDeEnviar = [&](const QByteArray& b) {
            if (!b.startsWith("(&A") || t.pendente(1) || t.respondido(1)) return;
            t.pede(1, QStringLiteral("AUTOMACAO INCLUI CARTAO"), kCartao + "|@|");
            e.vigias.antesDeEnviar = nullptr;
        };
        e.nucleo.geraAbastecimento(QStringLiteral("03"), M("7"));
        EXPECT_EQ(t.aguarda(1), P(kOk, QStringLiteral("000003|@|"))) << biblioteca;
        // The library cycle had its fueling answer and acknowledgement before the card went out.
        const auto& f = e.nucleo.quadrosRecebidos();
        const auto grava = std::find_if(f.begin(), f.end(),
                                        [](const QString& q) { return q.startsWith("(?F27G"); });
        ASSERT_NE(grava, f.begin());
        EXPECT_TRUE(!biblioteca || !std::prev(grava)->startsWith("(&A"));
        t.pede(2, QStringLiteral("AUTOMACAO PESQUISA CARTAO"), kCartao + "|@|");
        EXPECT_EQ(t.aguarda(2), P(kOk, QStringLiteral("000003|@|"))) << biblioteca;
        t.pede(3, QStringLiteral("AUTOMACAO EXCLUI CARTAO"), kCartao + "|@|000003|@|");
        EXPECT_EQ(t.aguarda(3),
                  P(kOk, biblioteca ? QStringLiteral("000003|@|") : QStringLiteral("000000|@|")));
        EXPECT_EQ(e.nucleo.cartoes().posicaoDe(kCartao), std::nullopt);
        t.pede(4, QStringLiteral("AUTOMACAO PESQUISA CARTAO"), kCartao + "|@|");
        EXPECT_EQ(t.aguarda(4), P(kOk, QStringLiteral("|@|")));
        t.pede(5, QStringLiteral("AUTOMACAO PESQUISA CARTAO"), longe + "|@|");
        EXPECT_EQ(t.aguarda(5), P(kOk, QStringLiteral("|@|")));
        EXPECT_TRUE(e.agente().TimerAutomacao->habilitado());
        EXPECT_TRUE(e.esvazia(kMinuto));
        e.confereComOLivro();
    }
}

} // namespace
} // namespace talvero::teste
