#pragma once

#include "store/ConferenciaEncerrantes.h"

#include <QDate>
#include <QString>

// The totalizer report as `talvero-dados encerrantes` prints it: a table in
// Portuguese for people, or CSV with point decimals for spreadsheets.
namespace talvero::relatorioEncerrantes {

QString comoTexto(const encerrantes::Relatorio& r, std::int16_t empresa, const QDate& de,
                  const QDate& ate);

// The nozzle rows under their header, a blank line, then the gaps under theirs.
QString comoCsv(const encerrantes::Relatorio& r);

} // namespace talvero::relatorioEncerrantes
