#pragma once

#include "store/Conexao.h"

namespace talvero::teste {

// The database refuses every write of the given kinds on the given tables, as a
// full or failing disk would, until called again with `recusa` false.
inline void recusaGravacoes(Conexao& c, std::initializer_list<const char*> tabelas,
                            std::initializer_list<const char*> operacoes, bool recusa = true) {
    const QString op = QStringLiteral("teste");
    if (recusa && c.postgres())
        c.executa(op, QStringLiteral(
                          "CREATE OR REPLACE FUNCTION recusa() RETURNS trigger LANGUAGE plpgsql AS "
                          "$$ BEGIN RAISE EXCEPTION 'disco cheio'; END $$"));
    for (const QString tabela : tabelas) {
        for (const QString operacao : operacoes) {
            const QString nome = QStringLiteral("recusa_%1_%2").arg(tabela, operacao);
            if (!recusa)
                c.executa(op, QStringLiteral("DROP TRIGGER ") + nome +
                                  (c.postgres() ? " ON " + tabela : QString()));
            else if (c.postgres())
                c.executa(
                    op,
                    QStringLiteral(
                        "CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW EXECUTE FUNCTION recusa()")
                        .arg(nome, operacao, tabela));
            else
                c.executa(op, QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 BEGIN SELECT "
                                             "RAISE(ABORT, 'disco cheio'); END")
                                  .arg(nome, operacao, tabela));
        }
    }
}

} // namespace talvero::teste
