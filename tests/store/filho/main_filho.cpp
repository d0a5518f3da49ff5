// Inserts one fueling after another into the SQLite file named by argv[1] and
// prints the number of each one as soon as Inclui has returned, until killed.
#include "store/Abastecimento.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) return 2;
    talvero::Conexao conexao(talvero::OpcoesBanco::sqlite(QString::fromLocal8Bit(argv[1])));
    if (!conexao.Conecta()) {
        std::fprintf(stderr, "%s\n", qPrintable(conexao.ultimoErro()));
        return 1;
    }
    talvero::Abastecimento a(conexao);
    a.Empresa = 1;
    a.Bico = 1;
    for (int i = 0;; ++i) {
        a.Data = QDate(2024, 1, 1).addDays(i / 17280);
        a.Hora = QTime(0, 0).addSecs((i % 17280) * 5);
        a.ValorTotal = talvero::Moeda::deDezMilesimos(i);
        a.RegistroAutomacao = QStringLiteral("(%1)").arg(i);
        if (!a.Inclui()) return 3;
        std::printf("%d\n", i);
        std::fflush(stdout);
    }
}
