#include "UFormatos.h"

#include <QLocale>
#include <QRegularExpression>

#include <charconv>
#include <cmath>
#include <vector>

EConvertError::EConvertError(const QString& message)
    : std::runtime_error(message.toStdString())
{
}

void EstableceFormatosProceso()
{
    // Qt 6.4 misplaces the thousands separator of Spanish for numbers of
    // seven digits or more ("1234.567"): Qt's own conversions write none, and
    // grouped numbers go through FormatoNumero.
    QLocale espanol(QLocale::Spanish, QLocale::Spain);
    espanol.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(espanol);
}

// ---------------------------------------------------------------- numbers --

namespace {

enum class TipoToken { Cero, Almohadilla, Decimal, Miles, Literal };

struct Token {
    TipoToken tipo;
    QString texto; // Literal only
};

std::vector<Token> AnalizaMascara(const QString& mascara)
{
    std::vector<Token> tokens;
    bool hayDecimal = false;
    for (qsizetype i = 0; i < mascara.size(); ++i) {
        const QChar c = mascara.at(i);
        if (c == u'"' || c == u'\'') {
            const qsizetype fin = mascara.indexOf(c, i + 1);
            const qsizetype hasta = fin < 0 ? mascara.size() : fin;
            tokens.push_back({TipoToken::Literal, mascara.mid(i + 1, hasta - i - 1)});
            i = hasta;
        } else if (c == u'0') {
            tokens.push_back({TipoToken::Cero, {}});
        } else if (c == u'#') {
            tokens.push_back({TipoToken::Almohadilla, {}});
        } else if (c == u'.' && !hayDecimal) {
            hayDecimal = true;
            tokens.push_back({TipoToken::Decimal, {}});
        } else if (c == u',' && !hayDecimal) {
            tokens.push_back({TipoToken::Miles, {}});
        } else {
            tokens.push_back({TipoToken::Literal, QString(c)});
        }
    }
    return tokens;
}

bool EsDigito(TipoToken t) { return t == TipoToken::Cero || t == TipoToken::Almohadilla; }

// The shortest decimal form of |valor| that reads back as the same double,
// split into integer and fraction digits.
void DigitosDecimales(double valor, std::string& entera, std::string& fraccion)
{
    char buffer[400];
    const auto res = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(valor),
                                   std::chars_format::fixed);
    const std::string texto(buffer, res.ptr);
    const auto punto = texto.find('.');
    entera = texto.substr(0, punto);
    fraccion = punto == std::string::npos ? std::string() : texto.substr(punto + 1);
}

// Rounds the digit strings to `decimales` fraction digits, half away from zero.
void Redondea(std::string& entera, std::string& fraccion, size_t decimales)
{
    if (fraccion.size() <= decimales) {
        fraccion.append(decimales - fraccion.size(), '0');
        return;
    }
    const bool sube = fraccion[decimales] >= '5';
    fraccion.resize(decimales);
    if (!sube)
        return;
    std::string digitos = entera + fraccion;
    int i = static_cast<int>(digitos.size()) - 1;
    for (; i >= 0; --i) {
        if (digitos[i] == '9') {
            digitos[i] = '0';
        } else {
            ++digitos[i];
            break;
        }
    }
    if (i < 0)
        digitos.insert(digitos.begin(), '1');
    entera = digitos.substr(0, digitos.size() - decimales);
    fraccion = digitos.substr(digitos.size() - decimales);
}

} // namespace

QString NumeroATexto(double valor)
{
    QString texto = QString::number(valor, 'g', 15);
    texto.replace(u'.', SeparadorDecimal);
    return texto;
}

QString FormatoCoeficiente(double valor) { return FormatoNumero(valor, QString::fromLatin1(MascaraCoeficiente)); }

QString FormatoNumero(double valor, const QString& mascara)
{
    if (mascara.isEmpty())
        return NumeroATexto(valor);
    if (std::isnan(valor))
        return QStringLiteral("NAN");
    if (std::isinf(valor))
        return valor < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");

    const std::vector<Token> tokens = AnalizaMascara(mascara);
    // Integer placeholders, the minimum of integer digits (from the first "0"
    // on), grouping, and the minimum and maximum of fraction digits.
    size_t enteros = 0, minEnteros = 0, minDecimales = 0, maxDecimales = 0;
    bool agrupa = false, enFraccion = false;
    for (const Token& t : tokens) {
        if (t.tipo == TipoToken::Decimal) {
            enFraccion = true;
        } else if (t.tipo == TipoToken::Miles) {
            agrupa = true;
        } else if (EsDigito(t.tipo)) {
            if (enFraccion) {
                ++maxDecimales;
                if (t.tipo == TipoToken::Cero)
                    minDecimales = maxDecimales;
            } else {
                ++enteros;
                if (t.tipo == TipoToken::Cero && minEnteros == 0)
                    minEnteros = 1;
                else if (minEnteros > 0)
                    ++minEnteros;
            }
        }
    }

    std::string entera, fraccion;
    DigitosDecimales(valor, entera, fraccion);
    Redondea(entera, fraccion, maxDecimales);
    while (fraccion.size() > minDecimales && fraccion.back() == '0')
        fraccion.pop_back();
    const auto noCero = entera.find_first_not_of('0');
    entera = noCero == std::string::npos ? std::string() : entera.substr(noCero);
    const bool esCero = entera.empty() && fraccion.find_first_not_of('0') == std::string::npos;
    if (entera.size() < minEnteros)
        entera.insert(0, minEnteros - entera.size(), '0');

    QString resultado;
    if (valor < 0 && !esCero)
        resultado += u'-';
    const size_t n = entera.size();
    auto escribeEntero = [&](size_t posicion) { // posicion counted from the right
        resultado += QChar::fromLatin1(entera[n - 1 - posicion]);
        if (agrupa && posicion > 0 && posicion % 3 == 0)
            resultado += SeparadorMiles;
    };
    size_t placeholder = 0, decimal = 0;
    enFraccion = false;
    for (const Token& t : tokens) {
        switch (t.tipo) {
        case TipoToken::Literal:
            resultado += t.texto;
            break;
        case TipoToken::Miles:
            break;
        case TipoToken::Decimal:
            enFraccion = true;
            if (enteros == 0) // a mask without integer placeholders
                for (size_t p = n; p-- > 0;)
                    escribeEntero(p);
            if (!fraccion.empty())
                resultado += SeparadorDecimal;
            break;
        case TipoToken::Cero:
        case TipoToken::Almohadilla:
            if (enFraccion) {
                if (decimal < fraccion.size())
                    resultado += QChar::fromLatin1(fraccion[decimal]);
                ++decimal;
            } else {
                const size_t posicion = enteros - 1 - placeholder;
                if (placeholder == 0) {
                    for (size_t p = n; p-- > posicion + 1;)
                        escribeEntero(p);
                }
                if (posicion < n)
                    escribeEntero(posicion);
                ++placeholder;
            }
            break;
        }
    }
    return resultado;
}

double TextoANumero(const QString& texto)
{
    static const QRegularExpression formato(QStringLiteral(
        "^([+-]?)(\\d{1,3}(?:\\.\\d{3})+|\\d*)(?:,(\\d*))?(?:[eE]([+-]?\\d+))?$"));
    const QString limpio = texto.trimmed();
    const auto m = formato.match(limpio);
    const QString entera = m.captured(2).remove(SeparadorMiles);
    const QString fraccion = m.captured(3);
    if (!m.hasMatch() || (entera.isEmpty() && fraccion.isEmpty()))
        throw EConvertError(QStringLiteral("'%1' no es un número válido").arg(texto));
    QString numero = m.captured(1) + (entera.isEmpty() ? QStringLiteral("0") : entera);
    if (!fraccion.isEmpty())
        numero += u'.' + fraccion;
    if (m.hasCaptured(4))
        numero += u'e' + m.captured(4);
    const std::string c = numero.toStdString();
    double valor = 0;
    const char* inicio = c.data();
    if (*inicio == '+')
        ++inicio;
    const auto res = std::from_chars(inicio, c.data() + c.size(), valor);
    if (res.ec != std::errc() || res.ptr != c.data() + c.size())
        throw EConvertError(QStringLiteral("'%1' no es un número válido").arg(texto));
    return valor;
}

// ------------------------------------------------------------ dates, times --

namespace {

const char16_t* const NombresDia[] = {u"lunes", u"martes", u"miércoles", u"jueves",
                                      u"viernes", u"sábado", u"domingo"};
const char16_t* const NombresDiaCortos[] = {u"lun", u"mar", u"mié", u"jue",
                                            u"vie", u"sáb", u"dom"};
const char16_t* const NombresMesMinuscula[] = {
    u"enero", u"febrero", u"marzo", u"abril", u"mayo", u"junio", u"julio",
    u"agosto", u"septiembre", u"octubre", u"noviembre", u"diciembre"};
const char16_t* const NombresMesCortos[] = {u"ene", u"feb", u"mar", u"abr", u"may", u"jun",
                                            u"jul", u"ago", u"sep", u"oct", u"nov", u"dic"};

QString DosCifras(int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); }

// Length of the run of letter `c` (either case) starting at i, at most `tope`.
qsizetype Racha(const QString& s, qsizetype i, char16_t c, qsizetype tope)
{
    qsizetype n = 0;
    while (i + n < s.size() && n < tope && s.at(i + n).toLower() == QChar(c))
        ++n;
    return n;
}

} // namespace

QString FormatoFechaHora(const QDateTime& valor, const QString& mascara)
{
    if (!valor.isValid())
        return {};
    const QDate d = valor.date();
    const QTime t = valor.time();
    QString r;
    bool trasHora = false; // m right after an hour means minutes
    for (qsizetype i = 0; i < mascara.size();) {
        const QChar c = mascara.at(i);
        const char16_t l = c.toLower().unicode();
        if (c == u'"' || c == u'\'') {
            const qsizetype fin = mascara.indexOf(c, i + 1);
            const qsizetype hasta = fin < 0 ? mascara.size() : fin;
            r += mascara.mid(i + 1, hasta - i - 1);
            i = hasta + 1;
            continue;
        }
        qsizetype n = 0;
        switch (l) {
        case u'd':
            n = Racha(mascara, i, u'd', 4);
            r += n == 1   ? QString::number(d.day())
                 : n == 2 ? DosCifras(d.day())
                 : n == 3 ? QString::fromUtf16(NombresDiaCortos[d.dayOfWeek() - 1])
                          : QString::fromUtf16(NombresDia[d.dayOfWeek() - 1]);
            trasHora = false;
            break;
        case u'm':
            n = Racha(mascara, i, u'm', 4);
            if (trasHora && n <= 2)
                r += n == 1 ? QString::number(t.minute()) : DosCifras(t.minute());
            else
                r += n == 1   ? QString::number(d.month())
                     : n == 2 ? DosCifras(d.month())
                     : n == 3 ? QString::fromUtf16(NombresMesCortos[d.month() - 1])
                              : QString::fromUtf16(NombresMesMinuscula[d.month() - 1]);
            trasHora = false;
            break;
        case u'y':
            n = Racha(mascara, i, u'y', 4);
            r += n <= 2 ? DosCifras(d.year() % 100)
                        : QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0'));
            trasHora = false;
            break;
        case u'h':
            n = Racha(mascara, i, u'h', 2);
            r += n == 1 ? QString::number(t.hour()) : DosCifras(t.hour());
            trasHora = true;
            break;
        case u'n':
            n = Racha(mascara, i, u'n', 2);
            r += n == 1 ? QString::number(t.minute()) : DosCifras(t.minute());
            trasHora = false;
            break;
        case u's':
            n = Racha(mascara, i, u's', 2);
            r += n == 1 ? QString::number(t.second()) : DosCifras(t.second());
            trasHora = false;
            break;
        case u'z':
            n = Racha(mascara, i, u'z', 3);
            r += n == 3 ? QStringLiteral("%1").arg(t.msec(), 3, 10, QLatin1Char('0'))
                        : QString::number(t.msec());
            trasHora = false;
            break;
        default:
            n = 1;
            r += c;
            break;
        }
        i += n;
    }
    return r;
}

QString FormatoFecha(const QDate& fecha)
{
    return FormatoFechaHora(QDateTime(fecha, QTime(0, 0)), QString::fromLatin1(MascaraFechaCorta));
}

QString FormatoFecha(const QDateTime& fecha)
{
    return FormatoFechaHora(fecha, QString::fromLatin1(MascaraFechaCorta));
}

QString FormatoFechaLarga(const QDate& fecha)
{
    return FormatoFechaHora(QDateTime(fecha, QTime(0, 0)), QString::fromLatin1(MascaraFechaLarga));
}

QString FormatoHora(const QTime& hora)
{
    if (!hora.isValid())
        return {};
    return FormatoFechaHora(QDateTime(QDate(2000, 1, 1), hora), QString::fromLatin1(MascaraHoraCorta));
}

QString FormatoHoraSegundos(const QTime& hora)
{
    if (!hora.isValid())
        return {};
    return FormatoFechaHora(QDateTime(QDate(2000, 1, 1), hora), QString::fromLatin1(MascaraHoraLarga));
}

namespace {

// Date and time parts of a text already matched by a pattern; invalid results
// are reported by the callers.
QDate FechaDePartes(const QString& dia, const QString& mes, const QString& anio)
{
    int a = anio.toInt();
    if (anio.size() == 2) {
        const int base = QDate::currentDate().year() - 50;
        a += base / 100 * 100;
        if (a < base)
            a += 100;
    }
    if (a < 1 || a > 9999)
        return {};
    return QDate(a, mes.toInt(), dia.toInt());
}

QTime HoraDePartes(const QString& h, const QString& m, const QString& s)
{
    return QTime(h.toInt(), m.toInt(), s.isEmpty() ? 0 : s.toInt());
}

const QString PatronHora = QStringLiteral("(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?");

// A date as people type it: day, month and year with "/" or "-" between
// them (the same both times), or the bare digits of day and month (two each)
// and year. Invalid when the text is none of these or the day does not exist.
QDate FechaTecleada(const QString& texto)
{
    static const QRegularExpression separada(QStringLiteral("^(\\d{1,2})([/-])(\\d{1,2})\\2(\\d{4}|\\d{2})$"));
    static const QRegularExpression seguida(QStringLiteral("^(\\d{2})(\\d{2})(\\d{4}|\\d{2})$"));
    if (const auto m = separada.match(texto); m.hasMatch())
        return FechaDePartes(m.captured(1), m.captured(3), m.captured(4));
    if (const auto m = seguida.match(texto); m.hasMatch())
        return FechaDePartes(m.captured(1), m.captured(2), m.captured(3));
    return {};
}

// A date read from `texto`, or the conversion error the user is shown.
QDate FechaValida(const QDate& fecha, const QString& texto)
{
    if (!fecha.isValid())
        throw EConvertError(QStringLiteral("'%1' no es una fecha válida").arg(texto));
    // A year typed short or mistyped ("0120") is not taken for a real one.
    if (fecha.year() < AnioMinimo || fecha.year() > AnioMaximo)
        throw EConvertError(QStringLiteral("'%1': el año de la fecha ha de estar entre %2 y %3")
                                .arg(texto.trimmed())
                                .arg(AnioMinimo)
                                .arg(AnioMaximo));
    return fecha;
}

} // namespace

QDate TextoAFecha(const QString& texto)
{
    return FechaValida(FechaTecleada(texto.trimmed()), texto);
}

QTime TextoAHora(const QString& texto)
{
    static const QRegularExpression patron(u'^' + PatronHora + u'$');
    const auto m = patron.match(texto.trimmed());
    const QTime hora = m.hasMatch() ? HoraDePartes(m.captured(1), m.captured(2), m.captured(3))
                                    : QTime();
    if (!hora.isValid())
        throw EConvertError(QStringLiteral("'%1' no es una hora válida").arg(texto));
    return hora;
}

QDateTime TextoAFechaHora(const QString& texto)
{
    static const QRegularExpression patron(QStringLiteral("^(\\S+)(?:\\s+") + PatronHora + QStringLiteral(")?$"));
    const auto m = patron.match(texto.trimmed());
    QDate fecha;
    QTime hora(0, 0);
    if (m.hasMatch()) {
        fecha = FechaTecleada(m.captured(1));
        if (m.hasCaptured(2))
            hora = HoraDePartes(m.captured(2), m.captured(3), m.captured(4));
    }
    if (!hora.isValid())
        fecha = {};
    return QDateTime(FechaValida(fecha, texto), hora);
}

bool EsNumerico(const QString& texto)
{
    if (texto.isEmpty())
        return false;
    const QChar c = texto.at(0);
    return (c >= u'0' && c <= u'9') || c == u',' || c == u'-' || c == u'.';
}
