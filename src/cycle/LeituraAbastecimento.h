#pragma once

#include "link/TamanhosResposta.h"
#include "platform/Moeda.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <QTime>

namespace talvero {

// Where the fields of each layout are (the layouts' lengths: link/TamanhosResposta.h).
namespace leitura {

// Positions count from 1, as the concentrator's documentation writes them.
struct Posicoes {
    int total, litros, preco, tempo, bico, dia, hora, minuto, encerrante, cartao;
};
const Posicoes& PosicoesDoTamanho(qsizetype tamanho);

// Field of `largura` characters at position `posicao` (from 1).
QString Campo(const QString& resposta, int posicao, int largura);

// Whether the answer looks exactly as the concentrator builds it: "(" ... ")" with
// the two characters before ")" the checksum computed as the frame builder does.
bool RespostaConfere(const QString& resposta);

// The station whose name holds "DEDARUD" reads prices (the name in any letter
// case) and the litres of nozzles 5 and 6 (the name as written) its own way.
bool PrecoDedarud(const QString& nomeEmpresa);
bool LitrosDedarud(const QString& nomeEmpresa);

// Unit price digits (4) by the decimal setting; `precoDedarud` reads a price whose
// first digit is not 0 as 1 integer + 3 decimals.
Moeda PrecoUnitario(QStringView digitos, int casasValor, bool precoDedarud);
// Litre digits (6) by the decimal setting.
Moeda Litros(QStringView digitos, int casasLitragem);

// The date of a fueling from its day of month, the concentrator giving no month or
// year: tomorrow's day with a time at most 15 minutes from now is tomorrow (a
// concentrator clock a little ahead at midnight); otherwise a day not after
// today's is this month's, a later day last month's (a fueling read after
// midnight at a month's turn); a day that exists in neither way, and day 00,
// become the 1st of this month. Raises for a non-digit day.
QDate DataDoAbastecimento(QStringView dia, QStringView hora, QStringView minuto,
                          const QDateTime& agora);

// "hh:mm:00" from the hour and minute fields; raises for anything but a real time.
QTime HoraDoAbastecimento(QStringView hora, QStringView minuto);

} // namespace leitura
} // namespace talvero
