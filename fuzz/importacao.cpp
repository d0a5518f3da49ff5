// The data tool's CSV import into an in-memory station database. First byte:
// the table the file is named after; the rest is the file.
#include "store/Importacao.h"
#include "apoio/AgenteFuzz.h"
#include "platform/Erro.h"

#include <cstdlib>
#include <memory>

using namespace talvero;

namespace {

std::unique_ptr<Conexao> bancoNovo() {
    auto banco = std::make_unique<Conexao>(OpcoesBanco::sqlite(QStringLiteral(":memory:")));
    if (!banco->Conecta()) qFatal("%s", qPrintable(banco->ultimoErro()));
    return banco;
}

qint64 linhas(Conexao& banco, const QString& tabela) {
    QSqlQuery q =
        banco.executa(QStringLiteral("conta"), QStringLiteral("SELECT COUNT(*) FROM ") + tabela);
    return q.next() ? q.value(0).toLongLong() : -1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    fuzz::IniciaQt();
    static auto& banco =
        *new std::unique_ptr<Conexao>(bancoNovo()); // never destroyed, as the agents
    if (tamanho < 1) return 0;
    const auto& tabelas = esquema::tabelas();
    const QString tabela = tabelas[dados[0] % tabelas.size()].nome;
    const QByteArray csv(reinterpret_cast<const char*>(dados) + 1, int(tamanho) - 1);
    importacao::leCsv(csv);
    const qint64 antes = linhas(*banco, tabela);
    try {
        importacao::importa(*banco, {{tabela + QStringLiteral(".csv"), csv}});
        banco = bancoNovo(); // the next input starts from empty tables again
    } catch (const Erro&) {
        if (linhas(*banco, tabela) != antes) std::abort(); // a refused file leaves nothing behind
    }
    return 0;
}
