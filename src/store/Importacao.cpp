#include "store/Importacao.h"

#include "platform/CodecAnsi.h"
#include "platform/Erro.h"
#include "platform/Moeda.h"
#include "store/Valores.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <limits>

namespace talvero::importacao {

namespace {

using esquema::Coluna;
using esquema::Tabela;
using esquema::Tipo;

QString decodifica(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString texto = utf8(bytes);
    if (utf8.hasError()) return ansi::decodifica(bytes);
    if (texto.startsWith(QChar(0xFEFF))) texto.remove(0, 1);
    return texto;
}

bool comentario(QStringView linha) {
    return linha.startsWith(QLatin1Char('#'));
}

// The header's: a comment before it may hold anything.
QChar separadorDe(const QString& texto) {
    for (const QStringView linha : QStringView(texto).split(QLatin1Char('\n')))
        if (!comentario(linha))
            return linha.contains(QLatin1Char(';')) ? QLatin1Char(';') : QLatin1Char(',');
    return QLatin1Char(',');
}

[[noreturn]] void recusa(const QString& onde, const QString& motivo) {
    throw Erro(onde + QStringLiteral(": ") + motivo, erros::TiposIncompativeis);
}

qlonglong inteiro(const QString& t, qlonglong minimo, qlonglong maximo, const QString& onde) {
    if (t.isEmpty()) return 0;
    bool ok = false;
    const qlonglong n = t.toLongLong(&ok);
    if (!ok || n < minimo || n > maximo)
        recusa(onde, QStringLiteral("número inválido '%1'").arg(t));
    return n;
}

QVariant logico(const QString& t, const QString& onde) {
    const QString u = t.toUpper();
    if (u.isEmpty() || u == QLatin1String("0") || u == QLatin1String("NAO") ||
        u == QLatin1String("NÃO") || u == QLatin1String("N") || u == QLatin1String("FALSE"))
        return false;
    if (u == QLatin1String("1") || u == QLatin1String("SIM") || u == QLatin1String("S") ||
        u == QLatin1String("TRUE"))
        return true;
    recusa(onde, QStringLiteral("valor lógico inválido '%1' (use 1/0 ou SIM/NAO)").arg(t));
}

template <typename T>
QVariant exige(const T& valor, const QString& t, const QString& onde, const char* formato) {
    if (!valor.isValid())
        recusa(onde,
               QStringLiteral("valor inválido '%1' (formato %2)").arg(t, QLatin1String(formato)));
    return valor;
}

QVariant valorDe(const Coluna& c, const QString& bruto, const QString& onde) {
    const QString t = c.tipo == Tipo::Texto ? bruto : bruto.trimmed();
    switch (c.tipo) {
    case Tipo::Int16:
        return int(inteiro(t, std::numeric_limits<std::int16_t>::min(),
                           std::numeric_limits<std::int16_t>::max(), onde));
    case Tipo::Int32:
        return int(inteiro(t, std::numeric_limits<std::int32_t>::min(),
                           std::numeric_limits<std::int32_t>::max(), onde));
    case Tipo::Moeda:
        try {
            return valores::deMoeda(t.isEmpty() ? Moeda() : Moeda::deTexto(t));
        } catch (const Erro&) {
            recusa(onde,
                   QStringLiteral("valor inválido '%1' (use ponto decimal e até quatro decimais)")
                       .arg(t));
        }
    case Tipo::Texto:
        if (c.tamanho > 0 && t.size() != c.tamanho)
            recusa(onde, QStringLiteral("'%1' deve ter %2 caracteres").arg(t).arg(c.tamanho));
        return valores::deTexto(t);
    case Tipo::Data:
        return valores::deData(
            exige(QDate::fromString(t, QStringLiteral("yyyy-MM-dd")), t, onde, "AAAA-MM-DD")
                .toDate());
    case Tipo::Hora:
        return valores::deHora(
            exige(QTime::fromString(t, QStringLiteral("HH:mm:ss")), t, onde, "HH:MM:SS").toTime());
    case Tipo::DataHora:
        return valores::deDataHora(
            exige(QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm:ss")), t, onde,
                  "AAAA-MM-DD HH:MM:SS")
                .toDateTime());
    case Tipo::Logico:
        return logico(t, onde);
    case Tipo::Identidade:
        break;
    }
    recusa(onde, QStringLiteral("coluna numerada pelo banco, não pode ser importada"));
}

QStringList colunasImportaveis(const Tabela& tabela) {
    QStringList nomes;
    for (const Coluna& c : tabela.colunas)
        if (c.tipo != Tipo::Identidade) nomes << c.nome;
    return nomes;
}

QList<const Coluna*> colunasDoCabecalho(const Tabela& tabela, const QStringList& cabecalho,
                                        const QString& arquivo) {
    QList<const Coluna*> colunas;
    for (const QString& nome : cabecalho) {
        const Coluna* c = tabela.coluna(nome.trimmed());
        if (!c || c->tipo == Tipo::Identidade)
            recusa(arquivo,
                   QStringLiteral("coluna desconhecida '%1' na tabela %2 (as colunas dela: %3)")
                       .arg(nome.trimmed(), tabela.nome,
                            colunasImportaveis(tabela).join(QStringLiteral(", "))));
        if (colunas.contains(c))
            recusa(arquivo, QStringLiteral("coluna repetida '%1'").arg(c->nome));
        colunas << c;
    }
    for (const QString& chave : tabela.chaves())
        if (!std::any_of(colunas.begin(), colunas.end(),
                         [&](const Coluna* c) { return c->nome == chave; }))
            recusa(arquivo, QStringLiteral("falta a coluna-chave '%1'").arg(chave));
    return colunas;
}

QString comandoGravacao(const Tabela& tabela, const QList<const Coluna*>& colunas) {
    QStringList nomes, marcas, atualiza;
    for (const Coluna* c : colunas) {
        nomes << c->nome;
        marcas << QStringLiteral("?");
        if (!c->chave) atualiza << c->nome + QStringLiteral(" = excluded.") + c->nome;
    }
    const QString conflito =
        atualiza.isEmpty() ? QStringLiteral("DO NOTHING")
                           : QStringLiteral("DO UPDATE SET ") + atualiza.join(QStringLiteral(", "));
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT (%4) %5")
        .arg(tabela.nome, nomes.join(QStringLiteral(", ")), marcas.join(QStringLiteral(", ")),
             tabela.chaves().join(QStringLiteral(", ")), conflito);
}

int importaArquivo(Conexao& conexao, const Tabela& tabela, const ArquivoCsv& arquivo) {
    const QList<LinhaCsv> linhas = leCsv(arquivo.conteudo);
    if (linhas.isEmpty())
        recusa(arquivo.nome, QStringLiteral("arquivo vazio, falta a linha de cabeçalho"));
    const QList<const Coluna*> colunas =
        colunasDoCabecalho(tabela, linhas.first().campos, arquivo.nome);
    const QString sql = comandoGravacao(tabela, colunas);
    for (qsizetype i = 1; i < linhas.size(); ++i) {
        const QStringList& campos = linhas[i].campos;
        const QString onde = QStringLiteral("%1, linha %2").arg(arquivo.nome).arg(linhas[i].numero);
        if (campos.size() != colunas.size())
            recusa(onde, QStringLiteral("%1 campos, o cabeçalho tem %2")
                             .arg(campos.size())
                             .arg(colunas.size()));
        QVariantList valores;
        for (qsizetype j = 0; j < colunas.size(); ++j)
            valores << valorDe(*colunas[j], campos[j],
                               onde + QStringLiteral(", coluna ") + colunas[j]->nome);
        conexao.executa(QStringLiteral("importar ") + tabela.nome, sql, valores);
    }
    return int(linhas.size() - 1);
}

} // namespace

QList<LinhaCsv> leCsv(const QByteArray& conteudo) {
    const QString texto = decodifica(conteudo);
    const QChar separador = separadorDe(texto);
    QList<LinhaCsv> linhas;
    QStringList campos;
    QString campo;
    bool aspas = false, linhaIniciada = false;
    int numero = 1, inicio = 1;
    auto fechaLinha = [&] {
        campos << campo;
        if (linhaIniciada) linhas.append({inicio, campos});
        campos.clear();
        campo.clear();
        linhaIniciada = false;
    };
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const QChar c = texto[i];
        if (!linhaIniciada) inicio = numero;
        if (c == QLatin1Char('\n')) ++numero;
        if (!aspas && !linhaIniciada && c == QLatin1Char('#')) {
            const qsizetype fim = texto.indexOf(QLatin1Char('\n'), i);
            if (fim < 0) break;
            i = fim;
            ++numero;
            continue;
        }
        if (aspas) {
            if (c != QLatin1Char('"'))
                campo += c;
            else if (i + 1 < texto.size() && texto[i + 1] == QLatin1Char('"'))
                campo += texto[++i];
            else
                aspas = false;
        } else if (c == QLatin1Char('"')) {
            aspas = linhaIniciada = true;
        } else if (c == separador) {
            campos << campo;
            campo.clear();
            linhaIniciada = true;
        } else if (c == QLatin1Char('\n')) {
            fechaLinha();
        } else if (c != QLatin1Char('\r')) {
            campo += c;
            linhaIniciada = true;
        }
    }
    fechaLinha();
    return linhas;
}

QList<Resultado> importa(Conexao& conexao, const QList<ArquivoCsv>& arquivos) {
    QList<std::pair<const Tabela*, const ArquivoCsv*>> pares;
    for (const ArquivoCsv& a : arquivos) {
        const QFileInfo info(a.nome);
        const Tabela* t = esquema::tabela(info.completeBaseName());
        if (!t || info.suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) != 0 ||
            t->nome == QLatin1String("AbastecimentoRejeitado"))
            recusa(a.nome, QStringLiteral("nenhuma tabela importável com esse nome"));
        pares.append({t, &a});
    }
    // Schema order: the registers before the fuelings that refer to them.
    std::stable_sort(pares.begin(), pares.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    QList<Resultado> r;
    Transacao transacao(conexao);
    for (const auto& [tabela, arquivo] : pares)
        r.append({tabela->nome, importaArquivo(conexao, *tabela, *arquivo)});
    transacao.confirma();
    return r;
}

} // namespace talvero::importacao
