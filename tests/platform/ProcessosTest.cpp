#include "platform/Erro.h"
#include "platform/HostSistema.h"
#include "platform/PlataformaDeTeste.h"
#include "platform/ProcessosSistema.h"

#include <QFile>
#include <QHostInfo>
#include <QProcess>
#include <gtest/gtest.h>

using namespace talvero;

namespace {

const QString kTrava = "C:\\Talvero\\AutoTalvero\\AutoTalvero.lock";

TEST(ProcessosSistema, SegundaInstanciaVeATravaDaPrimeira) {
    PlataformaDeTeste p;
    ProcessosSistema semPasta(p.caminhos, kTrava);
    EXPECT_FALSE(semPasta.outraInstanciaAtiva());
    p.criaPastaPrograma();
    {
        ProcessosSistema primeira(p.caminhos, kTrava);
        ProcessosSistema segunda(p.caminhos, kTrava);
        EXPECT_FALSE(primeira.outraInstanciaAtiva());
        EXPECT_FALSE(primeira.outraInstanciaAtiva());
        // A lock held for days still counts while its process lives.
        QFile trava(p.local(kTrava));
        ASSERT_TRUE(trava.open(QIODevice::ReadWrite));
        ASSERT_TRUE(trava.setFileTime(QDateTime::currentDateTime().addDays(-3), QFileDevice::FileModificationTime));
        trava.close();
        EXPECT_TRUE(segunda.outraInstanciaAtiva());
    }
    ProcessosSistema depois(p.caminhos, kTrava);
    EXPECT_FALSE(depois.outraInstanciaAtiva());
}

TEST(ProcessosSistema, TravaDeProcessoMortoNaoConta) {
    PlataformaDeTeste p;
    p.criaPastaPrograma();
    QProcess morto;
    morto.start("true");
    ASSERT_TRUE(morto.waitForFinished());
    QFile trava(p.local(kTrava));
    ASSERT_TRUE(trava.open(QIODevice::WriteOnly));
    trava.write(QByteArray::number(morto.processId() ? morto.processId() : 999999) + "\ntestes_platform\n" +
                QHostInfo::localHostName().toUtf8() + "\n");
    trava.close();
    ProcessosSistema nova(p.caminhos, kTrava);
    EXPECT_FALSE(nova.outraInstanciaAtiva());
}

TEST(ProcessosSistema, ProgramaInexistenteNaoInicia) {
    PlataformaDeTeste p;
    ProcessosSistema processos(p.caminhos, kTrava);
    try {
        processos.iniciaSemEsperar("C:\\Talvero\\AutoTalvero\\AutoTalveroEncerrante.exe", {});
        FAIL();
    } catch (const Erro& e) {
        EXPECT_EQ(e.numero(), erros::ArquivoNaoEncontrado);
    }
}

TEST(ProcessosGravador, RegistraInicioFalhaEEncerramento) {
    PlataformaDeTeste p;
    Processos& pr = p.plataforma().processos;
    EXPECT_EQ(pr.iniciaSemEsperar("notepad.exe", {"a.LOG"}), 1000);
    EXPECT_EQ(pr.iniciaSemEsperar("explorer.exe", {}), 1001);
    p.processos.falhaAoIniciar = true;
    EXPECT_THROW(pr.iniciaSemEsperar("x.exe", {}), Erro);
    ASSERT_EQ(p.processos.iniciados.size(), 3u);
    EXPECT_EQ(p.processos.iniciados[0].argumentos, QStringList{"a.LOG"});
    pr.encerraImediatamente();
    EXPECT_TRUE(p.processos.encerrado);
}

TEST(HostSistema, NomeEEnderecoDoProprioComputador) {
    HostSistema host;
    const auto inicio = host.inicia(0x0101);
    EXPECT_EQ(inicio.resultado, 0);
    EXPECT_GE(inicio.maxSockets, 1);
    const auto nome = host.nomeDoHost();
    ASSERT_TRUE(nome.has_value());
    EXPECT_FALSE(nome->isEmpty());
    const auto local = host.enderecos("localhost");
    ASSERT_TRUE(local.has_value());
    EXPECT_EQ(local->first(), QByteArray("\x7f\x00\x00\x01", 4));
    EXPECT_FALSE(host.enderecos("nome-que-nao-existe.invalid").has_value());
    EXPECT_NE(host.ultimoErro(), 0);
    EXPECT_EQ(host.encerra(), 0);
}

} // namespace
