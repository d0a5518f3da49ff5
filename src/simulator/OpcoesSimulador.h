#pragma once

#include "simulator/ConfiguracaoConcentrador.h"
#include "simulator/LivroAbastecimentos.h"
#include "simulator/PlanoFalhas.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace talvero::sim {

struct OpcoesSimulador {
    ConfiguracaoConcentrador cfg;
    PlanoFalhas falhas;
    QString pty;    // link to create
    QString serial; // existing port to serve on
    std::optional<QString> tcpHost;
    quint16 tcpPorta = 0;
    QString roteiro; // --script
    QString livro;
    FormatoLivro formatoLivro = FormatoLivro::Csv;
    int iniciais = 0;
    int duracaoS = 0; // 0: until stopped
    bool ajuda = false;
    bool versao = false;
};

// Reads the command line (without the program name). Raises talvero::Erro with a
// Portuguese text naming the bad option.
OpcoesSimulador leOpcoes(const QStringList& argumentos);

QString textoAjuda();

// "01:1:5.79,02:2:6.19" (code:product:price[:totalizer]).
std::vector<BicoSimulado> leBicos(const QString& lista);

// A script of raw answers: one per line, optionally preceded by the seconds after
// the start at which it becomes available ("12 (0001...)"); blank lines and lines
// starting with "#" are skipped.
struct LinhaRoteiro {
    std::int64_t aposMs = 0;
    QString resposta;
};
std::vector<LinhaRoteiro> leRoteiro(const QString& texto);

} // namespace talvero::sim
