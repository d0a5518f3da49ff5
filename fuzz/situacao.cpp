// The agent's status file as `talvero-dados situacao` judges it, whatever the
// file holds (anyone in the station's group can write the folder): it is never
// healthy without a readable heartbeat of the last 90 s, and what it prints stays
// plain text, one line per entry.
#include "store/SituacaoAgente.h"

#include <QTimeZone>
#include <cstdlib>

using namespace talvero::situacao;

namespace {

QString batimento(const Chaves& chaves) {
    QString valor; // the last one counts, as for the judgement
    for (const auto& [chave, v] : chaves)
        if (chave == QLatin1String("batimento")) valor = v;
    return valor;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    static const QDateTime agora(QDate(2026, 12, 7), QTime(12, 0), QTimeZone(-3 * 3600));
    const Chaves chaves = le(QByteArray(reinterpret_cast<const char*>(dados), qsizetype(tamanho)));
    const Juizo juizo = julga(chaves, agora, 60);
    if (juizo.estado == Estado::Ok || juizo.estado == Estado::Aviso) {
        const QDateTime t = QDateTime::fromString(batimento(chaves), Qt::ISODate);
        if (!t.isValid() || qAbs(t.secsTo(agora)) > 90) std::abort();
    }
    for (const QString& linha : relatorio(chaves, juizo, agora))
        for (const QChar c : linha)
            if (c.unicode() < 0x20 || c.unicode() == 0x7f) std::abort();
    return 0;
}
