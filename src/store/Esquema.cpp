#include "store/Esquema.h"

namespace talvero::esquema {

namespace {

Coluna chave(const char* nome, Tipo tipo, int tamanho = 0) {
    return {QString::fromLatin1(nome), tipo, true, tamanho};
}
Coluna campo(const char* nome, Tipo tipo) {
    return {QString::fromLatin1(nome), tipo, false, 0};
}
Coluna desde(int versao, const char* nome, Tipo tipo) {
    return {QString::fromLatin1(nome), tipo, false, 0, versao};
}

QList<Tabela> monta() {
    using enum Tipo;
    return {
        {"BicoAutomacao", {chave("Codigo", Texto, 2), campo("Bico", Int16)}},
        {"Bico",
         {chave("Empresa", Int16), chave("Bico", Int16), campo("Produto", Int32),
          campo("Complemento", Texto)}},
        {"Produto", {chave("Produto", Int32), campo("PrecoVenda", Moeda)}},
        {"Estoque", {chave("Empresa", Int16), chave("Produto", Int32), campo("PrecoVenda", Moeda)}},
        {"CartaoIdentFid",
         {chave("Empresa", Int16), chave("Cartao", Texto, 16), campo("Codigo", Int32)}},
        {"ParametroEmpresa",
         {chave("Empresa", Int16), chave("Numero", Int16), campo("Valor", Texto)}},
        {"EncerranteAtual",
         {chave("Empresa", Int16), chave("Bico", Int16), campo("Encerrante", Moeda)}},
        {"Abastecimento",
         {chave("Empresa", Int16),
          chave("Data", Data),
          chave("Hora", Hora),
          chave("Bico", Int16),
          campo("TempoAbastecimento", Texto),
          campo("Produto", Int32),
          campo("PrecoUnitario", Moeda),
          campo("Quantidade", Moeda),
          campo("ValorTotal", Moeda),
          campo("Funcionario", Int32),
          campo("Turno", Int32),
          campo("NumeroCupom", Int32),
          campo("PlacaVeiculo", Texto),
          campo("Encerrante", Moeda),
          campo("RegistroAutomacao", Texto),
          campo("Observacao", Texto),
          campo("Motorista", Texto),
          campo("ValorDesconto", Moeda),
          campo("EncerranteInicial", Moeda),
          campo("Complemento", Texto),
          campo("Cartao", Int32),
          campo("ValorParametro", Int16)},
         // A nozzle's fuelings from a moment on; one day's fuelings.
         {{"Empresa", "Bico", "Data", "Hora"}, {"Data"}}},
        {"MensagemEmail",
         {chave("Empresa", Int16), chave("Numero", Int32), campo("NomeEmpresa", Texto),
          campo("NomeRemetente", Texto), campo("EmailRemetente", Texto),
          campo("EmailDestinatario", Texto), campo("Assunto", Texto), campo("Mensagem", Texto),
          campo("DataHora1", Texto), campo("DataHora2", Texto), campo("EnderecoIp", Texto),
          campo("Situacao", Int32), campo("Concluido", Logico)}},
        {"AbastecimentoRejeitado",
         {chave("Id", Identidade), campo("Empresa", Int16), campo("DataHoraRecebido", DataHora),
          campo("RegistroAutomacao", Texto), campo("Erro", Texto), campo("Passo", Texto),
          // Stored later by talvero-dados reprocessar: when, and the key of the fueling.
          desde(2, "DataHoraReprocessado", DataHora), desde(2, "DataAbastecimento", Data),
          desde(2, "HoraAbastecimento", Hora), desde(2, "BicoAbastecimento", Int16)},
         // An answer kept already; the answers still waiting.
         {{"Empresa", "RegistroAutomacao"}, {"Empresa", "DataHoraReprocessado"}},
         {"Empresa", "Id"}},
    };
}

// Money and volume must stay integers in SQLite too, whatever another program
// tries to write; dates and times must be canonical ISO text so that they sort.
// A column added later is NULL in the rows that were there before it.
QString definicao(const Coluna& c, Dialeto d) {
    const bool pg = d == Dialeto::PostgreSQL;
    const bool nulo = c.versao > 1;
    const QString n = c.nome;
    const QString obrigatorio = nulo ? QString() : QStringLiteral(" NOT NULL");
    const auto padrao = [&](const char* valor) {
        return nulo ? QString() : QStringLiteral(" NOT NULL DEFAULT ") + QLatin1String(valor);
    };
    const auto canonica = [&](const char* funcao) {
        return pg ? QString()
                  : QStringLiteral(" CHECK (%1(%2) IS %2)").arg(QLatin1String(funcao), n);
    };
    switch (c.tipo) {
    case Tipo::Int16:
        return n + " SMALLINT" + padrao("0");
    case Tipo::Int32:
        return n + " INTEGER" + padrao("0");
    case Tipo::Moeda:
        return n + " BIGINT" + padrao("0") +
               (pg ? QString()
                   : " CHECK (typeof(" + n +
                         (nulo ? ") IN ('integer', 'null'))" : ") = 'integer')"));
    case Tipo::Texto:
        return n +
               (c.tamanho > 0 ? QStringLiteral(" VARCHAR(%1)").arg(c.tamanho)
                              : QStringLiteral(" TEXT")) +
               (c.chave ? obrigatorio : padrao("''"));
    case Tipo::Data:
        return n + (pg ? " DATE" : " TEXT") + obrigatorio + canonica("date");
    case Tipo::Hora:
        return n + (pg ? " TIME(0)" : " TEXT") + obrigatorio + canonica("time");
    case Tipo::DataHora:
        return n + (pg ? " TIMESTAMP(0)" : " TEXT") + obrigatorio + canonica("datetime");
    case Tipo::Logico:
        return n + " BOOLEAN" + padrao("FALSE");
    case Tipo::Identidade:
        return n + (pg ? " BIGINT GENERATED BY DEFAULT AS IDENTITY"
                       : " INTEGER PRIMARY KEY AUTOINCREMENT");
    }
    return n;
}

QString criacaoTabela(const Tabela& t, Dialeto d) {
    QStringList partes;
    for (const Coluna& c : t.colunas)
        partes << definicao(c, d);
    const bool identidade = t.colunas.first().tipo == Tipo::Identidade;
    if (identidade && d == Dialeto::PostgreSQL)
        partes << "PRIMARY KEY (" + t.chaveEntreEstacoes.join(", ") + ")";
    else if (!identidade)
        partes << "PRIMARY KEY (" + t.chaves().join(", ") + ")";
    return "CREATE TABLE IF NOT EXISTS " + t.nome + " (" + partes.join(", ") + ")";
}

} // namespace

QStringList Tabela::chaves() const {
    QStringList r;
    for (const Coluna& c : colunas)
        if (c.chave) r << c.nome;
    return r;
}

QStringList Tabela::nomes() const {
    QStringList r;
    for (const Coluna& c : colunas)
        r << c.nome;
    return r;
}

const Coluna* Tabela::coluna(const QString& procurado) const {
    for (const Coluna& c : colunas)
        if (c.nome.compare(procurado, Qt::CaseInsensitive) == 0) return &c;
    return nullptr;
}

const QList<Tabela>& tabelas() {
    static const QList<Tabela> todas = monta();
    return todas;
}

const Tabela* tabela(const QString& nome) {
    for (const Tabela& t : tabelas())
        if (t.nome.compare(nome, Qt::CaseInsensitive) == 0) return &t;
    return nullptr;
}

QStringList criacao(Dialeto dialeto) {
    QStringList r;
    for (const Tabela& t : tabelas())
        r << criacaoTabela(t, dialeto);
    return r;
}

QStringList indices() {
    QStringList r;
    for (const Tabela& t : tabelas())
        for (const QStringList& colunas : t.indices)
            r << "CREATE INDEX IF NOT EXISTS " + t.nome + "_" + colunas.join("") + " ON " + t.nome +
                     " (" + colunas.join(", ") + ")";
    return r;
}

QStringList atualizacao(int versao, Dialeto dialeto) {
    QStringList r;
    for (const Tabela& t : tabelas())
        for (const Coluna& c : t.colunas)
            if (c.versao == versao)
                r << "ALTER TABLE " + t.nome + " ADD COLUMN " + definicao(c, dialeto);
    if (versao != 4 || dialeto != Dialeto::PostgreSQL) return r;
    // The key PostgreSQL named when the number alone was the key.
    for (const Tabela& t : tabelas())
        if (!t.chaveEntreEstacoes.isEmpty())
            r << "ALTER TABLE " + t.nome + " DROP CONSTRAINT " + t.nome.toLower() +
                     "_pkey, ADD PRIMARY KEY (" + t.chaveEntreEstacoes.join(", ") + ")";
    return r;
}

} // namespace talvero::esquema
