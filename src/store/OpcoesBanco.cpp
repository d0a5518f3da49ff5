#include "store/OpcoesBanco.h"

#include "platform/LeitorIni.h"
#include "support/Entradas.h"

namespace talvero {

namespace {

const QString kSecao = QStringLiteral("BANCO DE DADOS");

void lePorta(OpcoesBanco& o, const QString& texto) {
    if (texto.isEmpty()) return;
    bool ok = false;
    const uint porta = texto.toUInt(&ok);
    if (ok && porta >= 1 && porta <= 65535)
        o.porta = int(porta);
    else
        o.erroConfiguracao =
            QStringLiteral("Porta inválida em [BANCO DE DADOS]: ") + entradas::Citado(texto);
}

// A path of this system (a Linux "/...") is where the station wants its file: taken
// as it stands, never put under the root.
QString arquivoLocal(const MapaCaminhos& caminhos, const QString& arquivo) {
#ifndef Q_OS_WIN
    if (arquivo.startsWith(QLatin1Char('/'))) return arquivo;
#endif
    return caminhos.local(arquivo);
}

} // namespace

OpcoesBanco OpcoesBanco::sqlite(const QString& arquivoLocal) {
    OpcoesBanco o;
    o.arquivo = arquivoLocal;
    return o;
}

OpcoesBanco OpcoesBanco::doIni(const SistemaArquivos& arquivos, const MapaCaminhos& caminhos,
                               const QString& arquivoIni) {
    auto le = [&](const char* chave) {
        return LeIni(arquivos, kSecao, QString::fromLatin1(chave), arquivoIni);
    };
    OpcoesBanco o;
    const QString driver = le("Driver").toUpper();
    if (driver == QLatin1String("POSTGRESQL"))
        o.driver = Driver::PostgreSQL;
    else if (!driver.isEmpty() && driver != QLatin1String("SQLITE"))
        o.erroConfiguracao =
            QStringLiteral("Driver de banco de dados desconhecido em [BANCO DE DADOS]: ") +
            entradas::Citado(driver);
    const QString arquivo = le("Arquivo");
    if (!arquivo.isEmpty() && !entradas::CaminhoArquivoValido(arquivo))
        o.erroConfiguracao =
            QStringLiteral(
                "Arquivo inválido em [BANCO DE DADOS] (sem \"..\" nem caracteres de controle): ") +
            entradas::Citado(arquivo);
    o.arquivo = arquivoLocal(caminhos, arquivo.isEmpty() ? instalacao::kBancoPadrao : arquivo);
    o.servidor = le("Servidor");
    lePorta(o, le("Porta"));
    o.banco = le("Banco");
    o.usuario = le("Usuario");
    o.esquema = le("Esquema");
    for (const auto& [chave, valor] :
         {std::pair{"Servidor", o.servidor}, std::pair{"Banco", o.banco},
          std::pair{"Usuario", o.usuario}, std::pair{"Esquema", o.esquema}})
        if (!entradas::SemCaracteresDeControle(valor))
            o.erroConfiguracao =
                QStringLiteral("%1 inválido em [BANCO DE DADOS] (caracteres de controle): %2")
                    .arg(QLatin1String(chave), entradas::Citado(valor));
    return o;
}

QString OpcoesBanco::destino() const {
    if (driver == Driver::SQLite) return QStringLiteral("SQLite ") + arquivo;
    return QStringLiteral("PostgreSQL %1@%2:%3/%4").arg(usuario, servidor).arg(porta).arg(banco);
}

} // namespace talvero
