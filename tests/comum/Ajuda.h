#pragma once

// Small helpers every test program shares.

#include "platform/Erro.h"
#include "platform/Moeda.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <utility>

// Readable texts in the failures of the tests.
inline void PrintTo(const QString& texto, std::ostream* saida) {
    *saida << '"' << texto.toStdString() << '"';
}
inline void PrintTo(const QDate& d, std::ostream* saida) {
    *saida << d.toString(Qt::ISODate).toStdString();
}
inline void PrintTo(const QTime& t, std::ostream* saida) {
    *saida << t.toString(Qt::ISODateWithMs).toStdString();
}
namespace talvero {
inline void PrintTo(const Moeda& m, std::ostream* saida) {
    *saida << m.textoPonto(4).toStdString();
}
} // namespace talvero

namespace talvero::teste {

// The number and description of the Erro the call raises; {0, ""} when none.
inline std::pair<int, QString> falhaDe(const std::function<void()>& chamada) {
    try {
        chamada();
    } catch (const Erro& e) {
        return {e.numero(), e.descricao()};
    }
    return {0, QString()};
}
inline int erroDe(const std::function<void()>& chamada) {
    return falhaDe(chamada).first;
}
inline QString descricaoDe(const std::function<void()>& chamada) {
    return falhaDe(chamada).second;
}

inline Moeda M(const char* texto) {
    return Moeda::deTexto(QString::fromLatin1(texto));
}

} // namespace talvero::teste
