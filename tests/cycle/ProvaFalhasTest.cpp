#include "cycle/LeituraAbastecimento.h"
#include "estacao/Estacao.h"
#include "estacao/ServidorPgDeTeste.h"

#include <random>

namespace talvero::teste {
namespace {

const QDateTime kInicio(QDate(2026, 12, 5), QTime(8, 0));
const Cenario kSerial52{"Serial52", false, sim::Leiaute::Padrao, 3, 3, false};
const Cenario kSerial34{"Serial34", false, sim::Leiaute::Curto, 3, 3, false};
const Cenario kSerial75{"Serial75", false, sim::Leiaute::IdentFid, 3, 3, false};
const Cenario kBiblioteca75{"Biblioteca75", true, sim::Leiaute::IdentFid, 3, 3, false};

int eventos(const Estacao& e, sim::EventoLivro tipo) {
    int n = 0;
    for (const auto& r : e.nucleo.livro().eventos())
        n += r.evento == tipo ? 1 : 0;
    return n;
}

// --- the agent killed between storing and acknowledging -------------------------

class AgenteMorto : public ::testing::TestWithParam<Cenario> {};

// The process dies at random points: right after an answer was read (nothing
// stored yet) and right after a fueling was stored, before "(&I)" went out. The
// agent started again on the same database gets the same fueling again.
TEST_P(AgenteMorto, AEntregaRepetidaEhReconhecidaENadaDuplica) {
    Estacao e(GetParam(), 2.0, 11, kInicio);
    std::mt19937 sorteio(3);
    int antesDaConfirmacao = 0, depoisDaLeitura = 0;
    e.vigias.antesDeEnviar = [&](const QByteArray& enviado) {
        if (enviado == "(&I)" && sorteio() % 4 == 0) {
            ++antesDaConfirmacao;
            throw MorteDoAgente{};
        }
    };
    e.vigias.depoisDeReceber = [&](const QByteArray& recebido) {
        if (leitura::EhTamanhoDeAbastecimento(recebido.size()) && sorteio() % 8 == 0) {
            ++depoisDaLeitura;
            throw MorteDoAgente{};
        }
    };
    e.iniciaAgente();
    for (std::int64_t t = 0; t < 4 * kHora; t += kMinuto)
        if (e.roda(kMinuto)) e.iniciaAgente();
    e.vigias = {};
    ASSERT_TRUE(e.esvazia(30 * kMinuto));
    e.confereComOLivro();
    EXPECT_GE(antesDaConfirmacao, 20);
    EXPECT_GE(depoisDaLeitura, 10);
    EXPECT_EQ(e.conta(QStringLiteral(" - (Abastecimento Não Foi Gravado): ")), antesDaConfirmacao);
}

INSTANTIATE_TEST_SUITE_P(Transportes, AgenteMorto, ::testing::Values(kSerial52, kBiblioteca75),
                         nomeDoCenario);

// --- the database failing for a while -----------------------------------------

void provaBancoFora(Estacao& e, const std::function<void()>& falha,
                    const std::function<void()>& volta) {
    e.iniciaAgente();
    e.roda(30 * kMinuto);
    const int antes = int(e.nucleo.livro().abastecimentos().size());
    ASSERT_GT(antes, 20);
    const std::int64_t inicioFalha = e.mundo.relogio.ms();
    falha();
    e.roda(30 * kMinuto);
    EXPECT_EQ(e.confirmacoesEntre(inicioFalha, e.mundo.relogio.ms()), 0);
    EXPECT_GT(e.nucleo.pendentes(), 20);
    volta();
    e.roda(30 * kMinuto);
    ASSERT_TRUE(e.esvazia(30 * kMinuto));
    e.confereComOLivro();
}

class BancoFora : public ::testing::TestWithParam<Cenario> {};

TEST_P(BancoFora, SQLiteQueRecusaGravarNadaConfirmaEDepoisGravaTudoUmaVez) {
    Estacao e(GetParam(), 2.0, 5, kInicio);
    provaBancoFora(
        e, [&] { e.recusaGravacoes(true); }, [&] { e.recusaGravacoes(false); });
    EXPECT_GT(e.conta(QStringLiteral("disco cheio")), 20);
}

INSTANTIATE_TEST_SUITE_P(Transportes, BancoFora, ::testing::Values(kSerial52, kBiblioteca75),
                         nomeDoCenario);

TEST(BancoForaPostgreSQL, ServidorParadoEReiniciadoNadaConfirmaEDepoisGravaTudoUmaVez) {
    if (const QString motivo = ServidorPgDeTeste::motivoParaPular(); !motivo.isEmpty())
        GTEST_SKIP() << motivo.toStdString();
    ServidorPgDeTeste servidor;
    ASSERT_TRUE(servidor.pronto()) << servidor.erro().toStdString();
    Estacao e(kSerial52, 2.0, 9, kInicio, servidor.opcoes());
    provaBancoFora(
        e, [&] { servidor.para(); }, [&] { servidor.inicia(); });
    EXPECT_TRUE(servidor.erro().isEmpty()) << servidor.erro().toStdString();
    EXPECT_GT(e.conta(QStringLiteral(" ERRO AutoAtualizaAbastecimento: - Falha no banco de dados")),
              20);
}

// --- a noisy line ------------------------------------------------------------------

class LinhaRuidosa : public ::testing::TestWithParam<Cenario> {};

// Noise before answers, truncated, garbled, split and lost answers, lost
// acknowledgements, late answers and, on the library's link, dropped connections.
TEST_P(LinhaRuidosa, NadaErradoGravadoNadaValidoPerdido) {
    const Cenario& c = GetParam();
    Estacao e(c, 2.0, 21, kInicio);
    if (c.leiaute == sim::Leiaute::IdentFid) e.cadastraCartoes(5, 3);
    sim::PlanoFalhas& f = e.nucleo.falhas();
    for (sim::Falha* falha :
         {&f.ruido, &f.truncada, &f.partida, &f.silencio, &f.confirmacaoPerdida})
        falha->probabilidade = 0.04;
    f.adulterada.probabilidade = 0.05;
    f.adulterada.soAbastecimentos = true;
    f.atraso.probabilidade = 0.02;
    if (c.biblioteca) f.desconexao.probabilidade = 0.01;
    e.iniciaAgente();
    e.roda(4 * kHora);
    ASSERT_TRUE(e.esvazia(60 * kMinuto));
    e.confereComOLivro();
    EXPECT_GT(e.nucleo.livro().abastecimentos().size(), 300u);
    EXPECT_GT(e.conta(QStringLiteral("resposta não confere")), 5);
    EXPECT_GT(eventos(e, sim::EventoLivro::ConfirmacaoPerdida), 5);
}

INSTANTIATE_TEST_SUITE_P(Transportes, LinhaRuidosa,
                         ::testing::Values(kSerial52, kSerial34, kSerial75, kBiblioteca75),
                         nomeDoCenario);

// A concentrator whose checksum rule differs from the frame builder's: every
// answer is asked for twice and then taken as it stands.
TEST(ChecksumDiferente, CadaAbastecimentoPedidoDuasVezesETodosGravados) {
    auto cfg = ConcentradorDoCenario(kSerial75, 1.0, 4);
    cfg.checksum = sim::ModoChecksum::SomaComParentese;
    Estacao e(cfg, kInicio);
    e.iniciaAgente();
    e.roda(2 * kHora);
    ASSERT_TRUE(e.esvazia(30 * kMinuto));
    e.confereComOLivro();
    const int n = int(e.nucleo.livro().abastecimentos().size());
    EXPECT_GT(n, 60);
    EXPECT_EQ(e.conta(QStringLiteral("igual duas vezes seguidas, aceita como veio")), n);
}

} // namespace
} // namespace talvero::teste
