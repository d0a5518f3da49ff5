#include "store/Listagem.h"

#include "platform/Erro.h"
#include "store/Valores.h"

namespace talvero::listagem {

namespace {

using esquema::Tipo;

QString textoDe(const QSqlQuery& q, int i, Tipo tipo) {
    if (q.value(i).isNull()) return {};
    switch (tipo) {
    case Tipo::Moeda:
        return textoMoeda(valores::moeda(q, i));
    case Tipo::Data:
        return valores::data(q, i).toString(QStringLiteral("yyyy-MM-dd"));
    case Tipo::Hora:
        return valores::hora(q, i).toString(QStringLiteral("HH:mm:ss"));
    case Tipo::DataHora:
        return valores::dataHora(q, i).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case Tipo::Logico:
        return valores::logico(q, i) ? QStringLiteral("1") : QStringLiteral("0");
    case Tipo::Int16:
    case Tipo::Int32:
    case Tipo::Identidade:
        return QString::number(valores::int64(q, i));
    case Tipo::Texto:
        break;
    }
    return valores::texto(q, i);
}

bool numerica(Tipo t) {
    return t != Tipo::Texto && t != Tipo::Data && t != Tipo::Hora && t != Tipo::DataHora;
}

QString campoCsv(const QString& campo) {
    if (!campo.contains(QLatin1Char(',')) && !campo.contains(QLatin1Char('"')) &&
        !campo.contains(QLatin1Char('\n')) && !campo.contains(QLatin1Char('\r')))
        return campo;
    QString c = campo;
    return QLatin1Char('"') + c.replace(QLatin1String("\""), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

} // namespace

QString textoMoeda(Moeda valor) {
    QString t = valor.textoPonto(4);
    while (t.endsWith(QLatin1Char('0')) && t.size() - t.indexOf(QLatin1Char('.')) > 3)
        t.chop(1);
    return t;
}

QList<QStringList> linhas(Conexao& conexao, const esquema::Tabela& tabela,
                          const QStringList& colunas, const std::optional<Filtro>& filtro) {
    QList<const esquema::Coluna*> escolhidas;
    QStringList nomes;
    for (const QString& nome : colunas.isEmpty() ? tabela.nomes() : colunas) {
        const esquema::Coluna* c = tabela.coluna(nome);
        if (!c)
            throw Erro(
                QStringLiteral("Coluna desconhecida na tabela %1: %2").arg(tabela.nome, nome),
                erros::BancoDeDados);
        escolhidas << c;
        nomes << c->nome;
    }
    QList<QStringList> r{nomes};
    const esquema::Coluna* filtrada = filtro ? tabela.coluna(filtro->coluna) : nullptr;
    if (filtro && !filtrada)
        throw Erro(
            QStringLiteral("Coluna desconhecida na tabela %1: %2").arg(tabela.nome, filtro->coluna),
            erros::BancoDeDados);
    QSqlQuery q = conexao.executa(
        QStringLiteral("listar ") + tabela.nome,
        QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %4")
            .arg(nomes.join(QStringLiteral(", ")), tabela.nome,
                 filtrada ? QStringLiteral(" WHERE ") + filtrada->nome + QStringLiteral(" = ?")
                          : QString(),
                 tabela.chaves().join(QStringLiteral(", "))),
        filtro ? QVariantList{filtro->valor} : QVariantList{});
    while (q.next()) {
        QStringList linha;
        for (int i = 0; i < escolhidas.size(); ++i)
            linha << textoDe(q, i, escolhidas[i]->tipo);
        r << linha;
    }
    return r;
}

QString comoCsv(const QList<QStringList>& linhas) {
    QString r;
    for (const QStringList& linha : linhas) {
        QStringList campos;
        for (const QString& c : linha)
            campos << campoCsv(c);
        r += campos.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return r;
}

QString comoTabela(const QList<QStringList>& linhas, const esquema::Tabela& tabela) {
    if (linhas.isEmpty()) return {};
    const QStringList& cabecalho = linhas.first();
    QList<qsizetype> largura(cabecalho.size(), 0);
    for (const QStringList& linha : linhas)
        for (qsizetype i = 0; i < linha.size() && i < largura.size(); ++i)
            largura[i] = std::max(largura[i], linha[i].size());
    QString r;
    for (qsizetype l = 0; l < linhas.size(); ++l) {
        QString linha;
        for (qsizetype i = 0; i < linhas[l].size() && i < largura.size(); ++i) {
            const esquema::Coluna* c = tabela.coluna(cabecalho[i]);
            const bool direita = l > 0 && c && numerica(c->tipo);
            if (i > 0) linha += QStringLiteral("  ");
            linha += direita ? linhas[l][i].rightJustified(largura[i])
                             : linhas[l][i].leftJustified(largura[i]);
        }
        while (linha.endsWith(QLatin1Char(' ')))
            linha.chop(1);
        r += linha + QLatin1Char('\n');
    }
    return r;
}

} // namespace talvero::listagem
