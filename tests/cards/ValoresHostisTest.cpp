#include "estacao/Estacao.h"
#include "platform/LeitorIni.h"

namespace talvero::teste {
namespace {

using Tipo = OperadorRoteirizado::Tipo;
const QString kCartao = QStringLiteral("0123456789ABCDEF");
const QString kPosicao = QStringLiteral("000002");

// What a buggy program or a careless paste can hand over as a card or a
// position: frames, line breaks, a letter beyond ASCII, a blank.
const QString kCartoesHostis[] = {
    QStringLiteral("(&I)(&I)(&I)(&I)"), QStringLiteral("(&A)(&I)(&V)(&I)"),
    QStringLiteral("0123456789ABC(&I"), QStringLiteral("01234567\r\n(&I)12"),
    QStringLiteral("ÁBCDEFGHIJKLMNOP"), QStringLiteral("0123456789ABCDE ")};
const QString kPosicoesHostis[] = {QStringLiteral("(&I)00"), QStringLiteral("00000a"),
                                   QStringLiteral("0000-1"), QStringLiteral(" 00002")};

sim::ConfiguracaoConcentrador concentrador(bool biblioteca) {
    sim::ConfiguracaoConcentrador c;
    if (biblioteca) c.leiaute = sim::Leiaute::IdentFid;
    return c;
}

// A station with the card at record 2 and fuelings waiting at the concentrator.
struct Posto {
    explicit Posto(bool biblioteca) : e(concentrador(biblioteca)) {
        if (biblioteca) e.defineIni(QStringLiteral("Usar Dll da Company"), QStringLiteral("SIM"));
        e.mundo.criaPasta(QStringLiteral("\\\\PC1\\Automacao"));
        e.nucleo.cartoes().defineRegistro(2, kCartao);
        e.iniciaAgente();
        e.roda(3000);
        for (const char* bico : {"01", "02", "03", "04", "01", "02"})
            e.nucleo.geraAbastecimento(QString::fromLatin1(bico), M("10"));
    }

    // Parametro of the answer to one request.
    QString pede(const QString& comando, const QString& parametro) {
        const QString id = QStringLiteral("%1").arg(++pedidos, 15, 10, QLatin1Char('0'));
        e.mundo.arquivos.criaTexto(
            "C:\\Automacao\\Pedido_" + id + ".AUT",
            {"[PEDIDO AUTOMACAO]", "Comando=" + comando, "Origem=PC1", "Parametro=" + parametro});
        const QString resposta = "\\\\PC1\\Automacao\\Retorno_" + id + ".AUT";
        for (int i = 0; i < 400 && !e.mundo.arquivos.existe(resposta); ++i)
            e.roda(500);
        if (!e.mundo.arquivos.existe(resposta)) return QStringLiteral("(sem resposta)");
        const QByteArray r = e.mundo.arquivos.le(resposta);
        e.mundo.arquivos.apaga(resposta, true);
        const QString secao = QStringLiteral("RETORNO AUTOMACAO");
        return LeIniDeTexto(r, secao, QStringLiteral("Retorno")) + u' ' +
               LeIniDeTexto(r, secao, QStringLiteral("Parametro"));
    }

    qsizetype framesDeCartao() const {
        const auto& f = e.nucleo.quadrosRecebidos();
        return std::count_if(f.begin(), f.end(),
                             [](const QString& q) { return q.startsWith(QLatin1String("(?")); });
    }

    // The boxes a click showed, without its inputs and progress.
    std::vector<OperadorRoteirizado::Exibicao> clica(const QString& entrada,
                                                     void (MenuAutomacao::*clique)()) {
        auto& op = e.mundo.operador;
        op.exibidas.clear();
        op.respostasEntrada = {entrada};
        (e.agente().*clique)();
        std::vector<OperadorRoteirizado::Exibicao> caixas;
        for (const auto& x : op.exibidas)
            if (x.tipo == Tipo::Mensagem) caixas.push_back(x);
        return caixas;
    }

    Estacao e;
    int pedidos = 0;
};

// The title of the one box a click showed, or how many it showed.
QString unica(const std::vector<OperadorRoteirizado::Exibicao>& caixas) {
    return caixas.size() == 1 ? caixas[0].titulo : QStringLiteral("%1 caixas").arg(caixas.size());
}

bool semControle(const QString& linha) {
    return std::none_of(linha.begin(), linha.end(), [](QChar c) { return c.unicode() < 0x20; });
}

// Through every card request and every card dialog, on both transports: a value
// that is not a card or a position gets no frame at all, while the fuelings
// waiting at the concentrator go their way, none acknowledged unstored.
TEST(ValoresHostis, NenhumQuadroNenhumAbastecimentoPerdido) {
    for (const bool biblioteca : {false, true}) {
        Posto p(biblioteca);
        const auto quadros = p.framesDeCartao();
        for (const QString& c : kCartoesHostis) {
            EXPECT_EQ(p.pede(QStringLiteral("AUTOMACAO INCLUI CARTAO"), c + "|@|"), "OK |@|")
                << c.toStdString();
            EXPECT_EQ(p.pede(QStringLiteral("AUTOMACAO PESQUISA CARTAO"), c + "|@|"), "OK |@|")
                << c.toStdString();
            EXPECT_EQ(
                p.pede(QStringLiteral("AUTOMACAO EXCLUI CARTAO"), c + "|@|" + kPosicao + "|@|"),
                "OK |@|");
        }
        for (const QString& posicao : kPosicoesHostis)
            EXPECT_EQ(p.pede(QStringLiteral("AUTOMACAO EXCLUI CARTAO"),
                             kCartao + "|@|" + posicao + "|@|"),
                      "OK |@|");

        for (const QString& c : kCartoesHostis) {
            for (const auto clique :
                 {&MenuAutomacao::mnuIncluiCartao_Click, &MenuAutomacao::mnuExcluiCartao_Click,
                  &MenuAutomacao::mnuPesquisaPosicaoCartao_Click}) {
                EXPECT_EQ(unica(p.clica(c, clique)), QStringLiteral("Operação Cancelada!"))
                    << c.toStdString();
            }
        }
        for (const QString& posicao : kPosicoesHostis) {
            EXPECT_EQ(unica(p.clica(posicao, &MenuAutomacao::mnuLerCartao_Click)),
                      QStringLiteral("Operação Cancelada!"));
        }
        EXPECT_EQ(p.framesDeCartao(), quadros) << biblioteca;
        EXPECT_EQ(p.e.nucleo.cartoes().gravados(), std::vector<QString>{kCartao});
        EXPECT_TRUE(std::all_of(p.e.log().begin(), p.e.log().end(), semControle));
        EXPECT_TRUE(p.e.esvazia(kMinuto));
        p.e.confereComOLivro();
    }
}

// A card command whose link is paused, silent, or loses one answer (the write's
// lost while a late read of another record comes in) is an error for the
// operator, never an "OK" box; the identifier's table tells the truth.
TEST(ValoresHostis, SemRespostaDoIdentificadorNenhumDialogoDizOK) {
    enum Falha { Pausa, Silencio, ApagaSemResposta, LeituraAtrasada };
    for (const bool biblioteca : {false, true}) {
        for (const Falha falha : {Pausa, Silencio, ApagaSemResposta, LeituraAtrasada}) {
            if (biblioteca && falha == Pausa)
                continue; // the library's link stays up during a pause
            Posto p(biblioteca);
            if (falha == Pausa) p.pede(QStringLiteral("AUTOMACAO PAUSA"), {});
            if (falha == Silencio) p.e.nucleo.falhas().silencio.proximas = 1'000'000;
            if (falha == ApagaSemResposta)
                p.e.vigias.antesDeEnviar = [&p](const QByteArray& b) {
                    if (b.startsWith("(?F27A")) p.e.nucleo.falhas().silencio.proximas = 1;
                };
            if (falha == LeituraAtrasada)
                p.e.vigias.antesDeEnviar = [&p](const QByteArray& b) {
                    if (b.startsWith("(?LF")) p.e.nucleo.falhas().atraso.proximas = 1;
                    if (b.startsWith("(?F27G")) p.e.nucleo.falhas().silencio.proximas = 1;
                };
            p.e.nucleo.falhas().atrasoMs = 2500;
            using Clique = std::pair<QString, void (MenuAutomacao::*)()>;
            const Clique inclui{QStringLiteral("FEDCBA9876543210"),
                                &MenuAutomacao::mnuIncluiCartao_Click};
            const Clique exclui{kCartao, &MenuAutomacao::mnuExcluiCartao_Click};
            const Clique le{kPosicao, &MenuAutomacao::mnuLerCartao_Click};
            const Clique pesquisa{kCartao, &MenuAutomacao::mnuPesquisaPosicaoCartao_Click};
            const std::vector<Clique> cliques = falha == ApagaSemResposta ? std::vector{exclui}
                                                : falha == LeituraAtrasada
                                                    ? std::vector{le, inclui}
                                                    : std::vector{inclui, exclui, le, pesquisa};
            for (const auto& [entrada, clique] : cliques) {
                const auto caixas = p.clica(entrada, clique);
                EXPECT_TRUE(caixas.size() == 1 && caixas[0].icone == Icone::Critico)
                    << unica(caixas).toStdString() << biblioteca << falha;
            }
            EXPECT_EQ(p.e.nucleo.cartoes().gravados(), std::vector<QString>{kCartao});
        }
    }
}

} // namespace
} // namespace talvero::teste
