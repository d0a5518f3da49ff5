#pragma once

#include "platform/Moeda.h"

#include <QDate>
#include <QDateTime>
#include <QSqlQuery>
#include <QTime>
#include <QVariant>
#include <cstdint>

// Conversions between the record classes' properties and column values. The
// forms written are the same in both backends: money as integer ten-thousandths,
// dates and times as ISO text (PostgreSQL casts them into its DATE and TIME).
namespace talvero::valores {

QVariant deTexto(const QString& texto); // never NULL
QVariant deMoeda(Moeda valor);
// An invalid date, time or date-time is written as NULL.
QVariant deData(const QDate& data);
QVariant deHora(const QTime& hora);
QVariant deDataHora(const QDateTime& dataHora);

// Readers raise Erro "Estouro" or "Tipos incompatíveis" on a value that does not
// fit the property, instead of narrowing it silently.
std::int16_t int16(const QSqlQuery& q, int coluna);
std::int32_t int32(const QSqlQuery& q, int coluna);
std::int64_t int64(const QSqlQuery& q, int coluna);
Moeda moeda(const QSqlQuery& q, int coluna);
QString texto(const QSqlQuery& q, int coluna);
bool logico(const QSqlQuery& q, int coluna);
QDate data(const QSqlQuery& q, int coluna);
QTime hora(const QSqlQuery& q, int coluna);
QDateTime dataHora(const QSqlQuery& q, int coluna);

} // namespace talvero::valores
