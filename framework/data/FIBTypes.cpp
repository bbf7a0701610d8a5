#include "FIBTypes.h"
#include "FIBError.h"
#include "UFormatos.h"

#include <QRegularExpression>

QDateTime MakeDateTime(const QDate& d, const QTime& t)
{
    return QDateTime(d, t.isValid() ? t : QTime(0, 0), Qt::UTC);
}

QDateTime ZeroDateTime() { return MakeDateTime(QDate(1899, 12, 30)); }

TFIBValue TFIBValue::Text(const QString& s)
{
    TFIBValue v;
    v.kind = Kind::Text;
    v.bytes = s.toUtf8();
    return v;
}

TFIBValue TFIBValue::Integer(qint64 x)
{
    TFIBValue v;
    v.kind = Kind::Integer;
    v.i = x;
    return v;
}

TFIBValue TFIBValue::Float(double x)
{
    TFIBValue v;
    v.kind = Kind::Float;
    v.d = x;
    return v;
}

TFIBValue TFIBValue::DateTime(const QDateTime& x)
{
    TFIBValue v;
    if (!x.isValid())
        return v;
    v.kind = Kind::DateTime;
    v.dt = MakeDateTime(x.date(), x.time());
    return v;
}

TFIBValue TFIBValue::Bytes(const QByteArray& x)
{
    TFIBValue v;
    v.kind = Kind::Bytes;
    v.bytes = x;
    return v;
}

QString TFIBValue::AsString() const
{
    switch (kind) {
    case Kind::Null: return QString();
    case Kind::Text:
    case Kind::Bytes: return QString::fromUtf8(bytes);
    case Kind::Integer: return QString::number(i);
    case Kind::Float: return FloatToText(d);
    case Kind::DateTime: return DateTimeToText(dt);
    case Kind::BlobId: return QString();
    }
    return QString();
}

QVariant TFIBValue::AsVariant() const
{
    switch (kind) {
    case Kind::Null: return QVariant();
    case Kind::Text: return QString::fromUtf8(bytes);
    case Kind::Bytes: return bytes;
    case Kind::Integer: return i;
    case Kind::Float: return d;
    case Kind::DateTime: return dt;
    case Kind::BlobId: return QVariant();
    }
    return QVariant();
}

QString FloatToText(double v) { return NumeroATexto(v); }

double TextToFloat(const QString& s)
{
    QString t = s.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok)
        throw EFIBError(QStringLiteral("'%1' is not a valid floating point value").arg(s));
    return v;
}

qint64 TextToInteger(const QString& s)
{
    bool ok = false;
    const qint64 v = s.trimmed().toLongLong(&ok);
    if (!ok)
        throw EFIBError(QStringLiteral("'%1' is not a valid integer value").arg(s));
    return v;
}

QString DateTimeToText(const QDateTime& v)
{
    if (!v.isValid())
        return QString();
    const QTime t = v.time();
    if (t == QTime(0, 0))
        return v.date().toString(QStringLiteral("dd/MM/yyyy"));
    if (t.second() == 0 && t.msec() == 0)
        return v.toString(QStringLiteral("dd/MM/yyyy HH:mm"));
    return v.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
}

QDateTime TextToDateTime(const QString& s)
{
    static const QRegularExpression dmy(
        QStringLiteral(R"(^\s*(\d{1,2})[/.-](\d{1,2})[/.-](\d{4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)"));
    static const QRegularExpression iso(
        QStringLiteral(R"(^\s*(\d{4})-(\d{1,2})-(\d{1,2})(?:[ T](\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)"));
    int y = 0, m = 0, d = 0, hh = 0, mm = 0, ss = 0;
    auto match = dmy.match(s);
    if (match.hasMatch()) {
        d = match.captured(1).toInt();
        m = match.captured(2).toInt();
        y = match.captured(3).toInt();
    } else if ((match = iso.match(s)).hasMatch()) {
        y = match.captured(1).toInt();
        m = match.captured(2).toInt();
        d = match.captured(3).toInt();
    } else {
        throw EFIBError(QStringLiteral("'%1' is not a valid date").arg(s));
    }
    if (!match.captured(4).isEmpty()) {
        hh = match.captured(4).toInt();
        mm = match.captured(5).toInt();
        ss = match.captured(6).toInt();
    }
    const QDate date(y, m, d);
    const QTime time(hh, mm, ss);
    if (!date.isValid() || !time.isValid())
        throw EFIBError(QStringLiteral("'%1' is not a valid date").arg(s));
    return MakeDateTime(date, time);
}
