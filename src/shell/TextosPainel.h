#pragma once

#include <QString>
#include <QStringList>

namespace talvero {

// The status panel as the operator reads it: one text per line, the lines that
// need someone's attention flagged.
struct TextosPainel {
    // The window's header: says "em funcionamento" only while the agent works.
    QString cabecalho = QStringLiteral("Iniciando a automação das bombas.");
    QString comunicacao;
    bool comunicacaoEmAlerta = false;
    QString abastecimentos;
    QString quarentena;
    bool quarentenaEmAlerta = false;
    QString encerrantes; // the day's totalizers against the stored fuelings
    bool encerrantesEmAlerta = false;
    QString pedidos; // entries of the request folder that are no requests
    bool pedidosEmAlerta = false;
    QString automacao;
    QString banco;
    // All of it in a few words, most important first: the icon's tip takes what
    // it has room for, the log without a screen all of it.
    QStringList resumo;
    QString linhaResumo() const { return resumo.join(QStringLiteral(" · ")); }
};

} // namespace talvero
