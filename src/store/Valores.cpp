#include "store/Valores.h"

#include "platform/Erro.h"

#include <QSqlRecord>
#include <limits>

namespace talvero::valores {

namespace {

[[noreturn]] void incompativel(const QSqlQuery& q, int coluna, const QVariant& v) {
    throw Erro(QStringLiteral("Tipos incompatíveis: valor '%1' na coluna %2")
                   .arg(v.toString(), q.record().fieldName(coluna)),
               erros::TiposIncompativeis);
}

template <typename T> T inteiro(const QSqlQuery& q, int coluna) {
    const QVariant v = q.value(coluna);
    if (v.isNull()) return 0;
    const int tipo = v.metaType().id();
    if (tipo == QMetaType::Double || tipo == QMetaType::Float) incompativel(q, coluna, v);
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok);
    if (!ok) incompativel(q, coluna, v);
    if (n < std::numeric_limits<T>::min() || n > std::numeric_limits<T>::max())
        throw Erro(QStringLiteral("Estouro: valor %1 na coluna %2")
                       .arg(n)
                       .arg(q.record().fieldName(coluna)),
                   erros::Estouro);
    return T(n);
}

QVariant nulo() {
    return QVariant(QMetaType::fromType<QString>());
}

} // namespace

QVariant deTexto(const QString& texto) {
    return texto.isNull() ? QVariant(QString(QLatin1String(""))) : texto;
}
QVariant deMoeda(Moeda valor) {
    return QVariant::fromValue<qlonglong>(valor.dezMilesimos());
}
QVariant deData(const QDate& d) {
    return d.isValid() ? QVariant(d.toString(QStringLiteral("yyyy-MM-dd"))) : nulo();
}
QVariant deHora(const QTime& h) {
    return h.isValid() ? QVariant(h.toString(QStringLiteral("HH:mm:ss"))) : nulo();
}
QVariant deDataHora(const QDateTime& d) {
    return d.isValid() ? QVariant(d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))) : nulo();
}

std::int16_t int16(const QSqlQuery& q, int coluna) {
    return inteiro<std::int16_t>(q, coluna);
}
std::int32_t int32(const QSqlQuery& q, int coluna) {
    return inteiro<std::int32_t>(q, coluna);
}
std::int64_t int64(const QSqlQuery& q, int coluna) {
    return inteiro<std::int64_t>(q, coluna);
}
Moeda moeda(const QSqlQuery& q, int coluna) {
    return Moeda::deDezMilesimos(int64(q, coluna));
}
QString texto(const QSqlQuery& q, int coluna) {
    return q.value(coluna).toString();
}

bool logico(const QSqlQuery& q, int coluna) {
    const QVariant v = q.value(coluna);
    return v.metaType().id() == QMetaType::Bool ? v.toBool() : v.toLongLong() != 0;
}

QDate data(const QSqlQuery& q, int coluna) {
    const QVariant v = q.value(coluna);
    if (v.metaType().id() == QMetaType::QDate) return v.toDate();
    return QDate::fromString(v.toString(), Qt::ISODate);
}

QTime hora(const QSqlQuery& q, int coluna) {
    const QVariant v = q.value(coluna);
    if (v.metaType().id() == QMetaType::QTime) return v.toTime();
    return QTime::fromString(v.toString(), Qt::ISODate);
}

QDateTime dataHora(const QSqlQuery& q, int coluna) {
    const QVariant v = q.value(coluna);
    if (v.metaType().id() == QMetaType::QDateTime) return v.toDateTime();
    const QDateTime d = QDateTime::fromString(v.toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return d.isValid() ? d : QDateTime::fromString(v.toString(), Qt::ISODate);
}

} // namespace talvero::valores
