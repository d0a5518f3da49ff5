#include "comum/Ajuda.h"
#include "platform/HostSistema.h"
#include "platform/PlataformaDeTeste.h"
#include "platform/ProcessosSistema.h"

#include <QFile>
#include <QHostInfo>
#include <QProcess>

using namespace talvero;
using namespace talvero::teste;

const QString kTrava = "C:\\Talvero\\AutoTalvero\\AutoTalvero.lock";

TEST(ProcessosSistema, SegundaInstanciaVeATravaDaPrimeiraEProgramaInexistenteNaoInicia) {
    PlataformaDeTeste p;
    ProcessosSistema semPasta(p.caminhos, kTrava);
    EXPECT_FALSE(semPasta.outraInstanciaAtiva());
    const QString encerrante = "C:\\Talvero\\AutoTalvero\\AutoTalveroEncerrante.exe";
    EXPECT_EQ(erroDe([&] { semPasta.iniciaSemEsperar(encerrante, {}); }), erros::ArquivoNaoEncontrado);
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
    EXPECT_FALSE(ProcessosSistema(p.caminhos, kTrava).outraInstanciaAtiva());
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
    EXPECT_FALSE(ProcessosSistema(p.caminhos, kTrava).outraInstanciaAtiva());
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
