#include "comum/Ajuda.h"
#include "ensaio/PlataformaDeTeste.h"
#include "platform/HostSistema.h"
#include "platform/ProcessosSistema.h"

#include <QCoreApplication>
#include <QFile>
#include <QHostInfo>

using namespace talvero;
using namespace talvero::teste;

// The first instance's lock counts however old it is, and only while its process lives.
TEST(ProcessosSistema, SoATravaDeUmProcessoVivoDenunciaOutraInstancia) {
    const QString trava = "C:\\Talvero\\AutoTalvero\\AutoTalvero.lock";
    PlataformaDeTeste p;
    ProcessosSistema semPasta(p.caminhos, trava);
    EXPECT_FALSE(semPasta.outraInstanciaAtiva());
    EXPECT_EQ(erroDe([&] { semPasta.iniciaSemEsperar("C:\\Talvero\\AutoTalvero\\Nada.exe", {}); }),
              erros::ArquivoNaoEncontrado);
    p.criaPastaPrograma();
    {
        ProcessosSistema primeira(p.caminhos, trava);
        EXPECT_FALSE(primeira.outraInstanciaAtiva());
        EXPECT_FALSE(primeira.outraInstanciaAtiva());
        QFile arquivo(p.local(trava));
        ASSERT_TRUE(arquivo.open(QIODevice::ReadWrite));
        ASSERT_TRUE(arquivo.setFileTime(QDateTime::currentDateTime().addDays(-3),
                                        QFileDevice::FileModificationTime));
        arquivo.close();
        EXPECT_TRUE(ProcessosSistema(p.caminhos, trava).outraInstanciaAtiva());
    }
    // Left by a process that died: none such, this very process id again, another computer name.
    const QByteArray host = QHostInfo::localHostName().toUtf8();
    const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid());
    for (const QByteArray& conteudo :
         {"999999\ntestes_platform\n" + host, pid + "\ntestes_platform\n" + host,
          pid + "\ntestes_platform\noutro-computador"}) {
        QFile arquivo(p.local(trava));
        ASSERT_TRUE(arquivo.open(QIODevice::WriteOnly));
        arquivo.write(conteudo + "\n");
        arquivo.close();
        EXPECT_FALSE(ProcessosSistema(p.caminhos, trava).outraInstanciaAtiva())
            << conteudo.toStdString();
    }
}

TEST(HostSistema, EnderecosDeUmNomeOuOErroDoSistema) {
    HostSistema host;
    EXPECT_EQ(host.inicia(0x0101).resultado, 0);
    const auto local = host.enderecos("localhost");
    ASSERT_TRUE(local.has_value());
    EXPECT_EQ(local->first(), QByteArray("\x7f\x00\x00\x01", 4));
    EXPECT_FALSE(host.enderecos("nome-que-nao-existe.invalid").has_value());
    EXPECT_NE(host.ultimoErro(), 0);
    EXPECT_EQ(host.encerra(), 0);
}
