#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The templates a technician sets a station up from, written by
// `talvero-dados modelos PASTA` and installed with the package: one CSV file per
// register, its header and an example row commented out with "#" (an untouched
// template imports nothing), and AutoTalvero.INI with every key the agent reads,
// its default and one comment line on its meaning. A new key or register goes
// in here in the same change.
namespace talvero::modelos {

struct Arquivo {
    QString nome; // "Bico.csv", "AutoTalvero.INI"
    QByteArray conteudo;
};

// CSV files in UTF-8, the INI file in Windows-1252; lines end in CR LF.
QList<Arquivo> arquivos();

} // namespace talvero::modelos
