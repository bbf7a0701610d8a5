#include "ReportFormat.h"

#include "UFormatos.h"

#include <QDateTime>
#include <QLocale>

#include <cmath>

namespace qdr {

bool isNumeric(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

bool isDateTime(const QVariant& v)
{
    return v.typeId() == QMetaType::QDateTime || v.typeId() == QMetaType::QDate;
}

double toNumber(const QVariant& v, bool* ok)
{
    if (ok)
        *ok = true;
    if (isNumeric(v))
        return v.toDouble();
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? 1.0 : 0.0;
    if (v.typeId() == QMetaType::QString) {
        QString t = v.toString().trimmed();
        t.replace(QLatin1Char(','), QLatin1Char('.'));
        bool good = false;
        const double d = t.toDouble(&good);
        if (good)
            return d;
    }
    if (ok)
        *ok = false;
    return 0.0;
}

QString displayText(const QVariant& value, const QString& displayFormat)
{
    if (value.isNull() || !value.isValid())
        return {};
    if (isNumeric(value)) {
        if (!displayFormat.isEmpty())
            return FormatoNumero(value.toDouble(), displayFormat);
        if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
            return NumeroATexto(value.toDouble());
        return value.toString();
    }
    if (isDateTime(value)) {
        const QDateTime dt = value.typeId() == QMetaType::QDate ? QDateTime(value.toDate(), QTime(0, 0)) : value.toDateTime();
        if (!displayFormat.isEmpty())
            return FormatoFechaHora(dt, displayFormat);
        if (dt.time() == QTime(0, 0))
            return FormatoFecha(dt);
        return FormatoFecha(dt) + QLatin1Char(' ') + FormatoHoraSegundos(dt.time());
    }
    if (value.typeId() == QMetaType::QByteArray)
        return QString::fromUtf8(value.toByteArray());
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return value.toString();
}

} // namespace qdr
