#include "ReportFormat.h"

#include <QDateTime>
#include <QLocale>

#include <cmath>

namespace qdr {

FormatSettings& formatSettings()
{
    static FormatSettings settings;
    return settings;
}

namespace {

// Splits a picture at ';' outside quotes.
QStringList sections(const QString& picture)
{
    QStringList out;
    QString cur;
    QChar quote;
    for (QChar c : picture) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char(';')) {
            out << cur;
            cur.clear();
            continue;
        }
        cur += c;
    }
    out << cur;
    return out;
}

struct Picture {
    QString prefix;
    QString suffix;
    int minInt = 0;
    int minDec = 0;
    int maxDec = 0;
    bool thousands = false;
    bool hasDigits = false;
};

Picture parsePicture(const QString& sec)
{
    Picture p;
    int first = -1;
    int last = -1;
    QChar quote;
    for (int i = 0; i < sec.size(); ++i) {
        const QChar c = sec[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
            continue;
        }
        if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    auto literal = [](const QString& t) {
        QString out;
        QChar q;
        for (QChar c : t) {
            if (!q.isNull()) {
                if (c == q)
                    q = QChar();
                else
                    out += c;
            } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                q = c;
            } else {
                out += c;
            }
        }
        return out;
    };
    if (first < 0) {
        p.prefix = literal(sec);
        return p;
    }
    p.hasDigits = true;
    // A decimal point right after the last digit placeholder belongs to the number.
    int end = last + 1;
    const int dotAfter = sec.indexOf(QLatin1Char('.'), first);
    if (dotAfter == end)
        ++end;
    p.prefix = literal(sec.left(first));
    p.suffix = literal(sec.mid(end));
    const QString body = sec.mid(first, end - first);
    const int dot = body.indexOf(QLatin1Char('.'));
    const QString intPart = dot < 0 ? body : body.left(dot);
    const QString decPart = dot < 0 ? QString() : body.mid(dot + 1);
    p.thousands = intPart.contains(QLatin1Char(','));
    const int firstZero = intPart.indexOf(QLatin1Char('0'));
    if (firstZero >= 0)
        for (int i = firstZero; i < intPart.size(); ++i)
            if (intPart[i] == QLatin1Char('0') || intPart[i] == QLatin1Char('#'))
                ++p.minInt;
    for (QChar c : decPart) {
        if (c == QLatin1Char('0')) {
            ++p.maxDec;
            p.minDec = p.maxDec;
        } else if (c == QLatin1Char('#')) {
            ++p.maxDec;
        }
    }
    return p;
}

// Decimal digits of |value| rounded half away from zero to `decimals` places,
// working on the 15 significant digits a double holds, so 2.675 rounds to 2.68.
void roundedDigits(double value, int decimals, QString* intDigits, QString* decDigits)
{
    const QString e = QString::number(std::fabs(value), 'e', 14); // d.dddddddddddddde±XX
    const int ePos = e.indexOf(QLatin1Char('e'));
    QString digits = e.left(ePos);
    digits.remove(QLatin1Char('.'));
    const int exponent = e.mid(ePos + 1).toInt();
    int pointPos = exponent + 1; // digits before the decimal point
    if (pointPos < 0) {
        digits.prepend(QString(-pointPos, QLatin1Char('0')));
        pointPos = 0;
    }
    const int keep = pointPos + decimals;
    if (digits.size() < keep)
        digits.append(QString(keep - digits.size(), QLatin1Char('0')));
    bool up = keep < digits.size() && digits[keep] >= QLatin1Char('5');
    digits.truncate(keep);
    for (int i = keep - 1; up && i >= 0; --i) {
        if (digits[i] == QLatin1Char('9')) {
            digits[i] = QLatin1Char('0');
        } else {
            digits[i] = QChar(digits[i].unicode() + 1);
            up = false;
        }
    }
    if (up) {
        digits.prepend(QLatin1Char('1'));
        ++pointPos;
    }
    *intDigits = digits.left(pointPos);
    *decDigits = digits.mid(pointPos);
    while (intDigits->size() > 1 && intDigits->at(0) == QLatin1Char('0'))
        intDigits->remove(0, 1);
    if (*intDigits == QLatin1String("0"))
        intDigits->clear();
}

QString applyPicture(double value, const Picture& p, bool withSign, const FormatSettings& s)
{
    if (!p.hasDigits)
        return p.prefix;
    QString intDigits;
    QString decDigits;
    roundedDigits(value, p.maxDec, &intDigits, &decDigits);
    while (decDigits.size() > p.minDec && decDigits.endsWith(QLatin1Char('0')))
        decDigits.chop(1);
    if (intDigits.size() < p.minInt)
        intDigits.prepend(QString(p.minInt - intDigits.size(), QLatin1Char('0')));
    if (p.thousands) {
        for (int i = intDigits.size() - 3; i > 0; i -= 3)
            intDigits.insert(i, s.thousandSeparator);
    }
    QString out = p.prefix + intDigits;
    if (!decDigits.isEmpty())
        out += s.decimalSeparator + decDigits;
    out += p.suffix;
    const bool isZero = !std::any_of(intDigits.begin(), intDigits.end(), [](QChar c) { return c.isDigit() && c != QLatin1Char('0'); })
        && !std::any_of(decDigits.begin(), decDigits.end(), [](QChar c) { return c != QLatin1Char('0'); });
    if (withSign && value < 0 && !isZero)
        out.prepend(QLatin1Char('-'));
    return out;
}

} // namespace

QString formatNumber(double value, const QString& picture, const FormatSettings& s)
{
    if (!std::isfinite(value))
        return QString::number(value);
    const QStringList secs = sections(picture);
    if (secs.size() >= 3 && value == 0.0 && !secs[2].isEmpty())
        return applyPicture(value, parsePicture(secs[2]), false, s);
    if (secs.size() >= 2 && value < 0 && !secs[1].isEmpty())
        return applyPicture(value, parsePicture(secs[1]), false, s);
    return applyPicture(value, parsePicture(secs[0]), true, s);
}

QString formatDateTime(const QDateTime& value, const QString& picture, const FormatSettings&)
{
    static const QStringList kMonths = {
        QStringLiteral("enero"),  QStringLiteral("febrero"), QStringLiteral("marzo"),     QStringLiteral("abril"),
        QStringLiteral("mayo"),   QStringLiteral("junio"),   QStringLiteral("julio"),     QStringLiteral("agosto"),
        QStringLiteral("septiembre"), QStringLiteral("octubre"), QStringLiteral("noviembre"), QStringLiteral("diciembre"),
    };
    static const QStringList kDays = {
        QStringLiteral("lunes"), QStringLiteral("martes"), QStringLiteral("miércoles"), QStringLiteral("jueves"),
        QStringLiteral("viernes"), QStringLiteral("sábado"), QStringLiteral("domingo"),
    };
    const QDate d = value.date();
    const QTime t = value.time();
    QString out;
    bool afterHour = false;
    int i = 0;
    const int n = picture.size();
    auto run = [&](QChar c) {
        int k = i;
        while (k < n && picture[k].toLower() == c)
            ++k;
        return k - i;
    };
    auto two = [](int v) { return QString::number(v).rightJustified(2, QLatin1Char('0')); };
    while (i < n) {
        const QChar c = picture[i].toLower();
        if (picture[i] == QLatin1Char('"') || picture[i] == QLatin1Char('\'')) {
            const int close = picture.indexOf(picture[i], i + 1);
            const int stop = close < 0 ? n : close;
            out += picture.mid(i + 1, stop - i - 1);
            i = stop + 1;
            continue;
        }
        const int len = run(c);
        if (c == QLatin1Char('d')) {
            if (len >= 4)
                out += kDays[d.dayOfWeek() - 1];
            else if (len == 3)
                out += kDays[d.dayOfWeek() - 1].left(3);
            else
                out += len == 2 ? two(d.day()) : QString::number(d.day());
            afterHour = false;
        } else if (c == QLatin1Char('m')) {
            if (afterHour && len <= 2)
                out += len == 2 ? two(t.minute()) : QString::number(t.minute());
            else if (len >= 4)
                out += kMonths[d.month() - 1];
            else if (len == 3)
                out += kMonths[d.month() - 1].left(3);
            else
                out += len == 2 ? two(d.month()) : QString::number(d.month());
            afterHour = false;
        } else if (c == QLatin1Char('y')) {
            out += len <= 2 ? two(d.year() % 100) : QString::number(d.year()).rightJustified(4, QLatin1Char('0'));
            afterHour = false;
        } else if (c == QLatin1Char('h')) {
            out += len >= 2 ? two(t.hour()) : QString::number(t.hour());
            afterHour = true;
        } else if (c == QLatin1Char('n')) {
            out += len >= 2 ? two(t.minute()) : QString::number(t.minute());
            afterHour = false;
        } else if (c == QLatin1Char('s')) {
            out += len >= 2 ? two(t.second()) : QString::number(t.second());
            afterHour = false;
        } else {
            out += picture.mid(i, len);
        }
        i += len;
    }
    return out;
}

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

QString displayText(const QVariant& value, const QString& picture, const FormatSettings& s)
{
    if (value.isNull() || !value.isValid())
        return {};
    if (isNumeric(value)) {
        if (!picture.isEmpty())
            return formatNumber(value.toDouble(), picture, s);
        if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
            QString t = QString::number(value.toDouble(), 'g', 15);
            if (t.contains(QLatin1Char('e')))
                t = QString::number(value.toDouble(), 'f', 2);
            t.replace(QLatin1Char('.'), s.decimalSeparator);
            return t;
        }
        return value.toString();
    }
    if (value.typeId() == QMetaType::QDate)
        return formatDateTime(QDateTime(value.toDate(), QTime(0, 0)), picture.isEmpty() ? s.dateFormat : picture, s);
    if (value.typeId() == QMetaType::QDateTime) {
        const QDateTime dt = value.toDateTime();
        if (!picture.isEmpty())
            return formatDateTime(dt, picture, s);
        if (dt.time() == QTime(0, 0))
            return formatDateTime(dt, s.dateFormat, s);
        return formatDateTime(dt, s.dateFormat + QLatin1Char(' ') + s.timeFormat, s);
    }
    if (value.typeId() == QMetaType::QByteArray)
        return QString::fromUtf8(value.toByteArray());
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return value.toString();
}

} // namespace qdr
