#include "UTextos.h"

QString Recorta(const QString& texto)
{
    qsizetype inicio = 0, fin = texto.size();
    while (inicio < fin && texto.at(inicio).unicode() <= u' ')
        ++inicio;
    while (fin > inicio && texto.at(fin - 1).unicode() <= u' ')
        --fin;
    return texto.mid(inicio, fin - inicio);
}

QString SaltosDeLinea(const QString& texto)
{
    QString lineas = texto;
    lineas.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lineas.replace(u'\r', u'\n');
    return lineas;
}

namespace {

// The "dd/mm/yyyy" text taken apart by position, the month moved by `paso`
// and the text put back together: the day number stays, and a day the target
// month does not have is a conversion error.
QDate MueveMes(const QDate& fecha, int paso)
{
    if (!fecha.isValid())
        throw EConvertError(QStringLiteral("La fecha no es válida"));
    const QString texto = FormatoFecha(fecha);
    const int dia = texto.mid(0, 2).toInt();
    int mes = texto.mid(3, 2).toInt() + paso;
    int anio = texto.mid(6, 4).toInt();
    if (mes > 12) {
        mes = 1;
        ++anio;
    } else if (mes < 1) {
        mes = 12;
        --anio;
    }
    return TextoAFecha(QStringLiteral("%1/%2/%3")
                           .arg(dia, 2, 10, QLatin1Char('0'))
                           .arg(mes, 2, 10, QLatin1Char('0'))
                           .arg(anio, 4, 10, QLatin1Char('0')));
}

} // namespace

QDate MesSiguiente(const QDate& fecha)
{
    return MueveMes(fecha, 1);
}

QDate MesAnterior(const QDate& fecha)
{
    return MueveMes(fecha, -1);
}

QString NombreMes(int mes)
{
    static const char16_t* const nombres[] = {
        u"Enero", u"Febrero", u"Marzo", u"Abril", u"Mayo", u"Junio", u"Julio",
        u"Agosto", u"Septiembre", u"Octubre", u"Noviembre", u"Diciembre"};
    if (mes < 1 || mes > 12)
        return {};
    return QString::fromUtf16(nombres[mes - 1]);
}

QString FechaSQL(const QString& texto)
{
    const QDate fecha = texto.trimmed() == QStringLiteral("DATE") ? QDate::currentDate()
                                                                 : TextoAFecha(texto);
    const QString ddmmyyyy = FormatoFecha(fecha);
    return ddmmyyyy.mid(3, 2) + u'/' + ddmmyyyy.mid(0, 2) + ddmmyyyy.mid(5);
}

int TextoAEntero(const QString& texto)
{
    const QString limpio = Recorta(texto);
    if (limpio.isEmpty())
        return 0;
    bool ok = false;
    const int valor = limpio.toInt(&ok, 10); // an optional sign and digits only
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' no es un número entero válido").arg(texto));
    return valor;
}

QString RellenaCeros(int ancho, const QString& texto)
{
    const qsizetype faltan = std::min<qsizetype>(ancho - texto.size(), 10);
    if (faltan <= 0)
        return texto;
    return QString(faltan, u'0') + texto;
}

QString Espacios(int cantidad)
{
    return cantidad > 0 ? QString(cantidad, u' ') : QString();
}

QString AlineaDerecha(const QString& texto, int ancho, const QString& relleno)
{
    const QString limpio = Recorta(texto);
    const qsizetype veces = ancho - limpio.size();
    return veces > 0 ? relleno.repeated(veces) + limpio : limpio;
}

QString AlineaIzquierda(const QString& texto, int ancho, const QString& relleno)
{
    const QString limpio = Recorta(texto);
    const qsizetype veces = ancho - limpio.size();
    return veces > 0 ? limpio + relleno.repeated(veces) : limpio;
}

QString ReemplazaCorta(const QString& texto, const QString& patron, const QString& reemplazo)
{
    if (patron.isEmpty())
        return texto;
    if (patron.size() == 1)
        return QString(texto).replace(patron, reemplazo);
    const qsizetype pos = texto.indexOf(patron);
    if (pos < 0)
        return texto;
    return texto.left(pos) + reemplazo;
}

QString ReemplazaPrimero(const QString& texto, const QString& patron, const QString& reemplazo)
{
    if (patron.isEmpty())
        return texto;
    if (patron.size() == 1)
        return QString(texto).replace(patron, reemplazo);
    const qsizetype pos = texto.indexOf(patron);
    if (pos < 0)
        return texto;
    return QString(texto).replace(pos, patron.size(), reemplazo);
}

namespace {

// A part of an account code: blanks removed, only digits, at most `ancho` of
// them, padded on the left with zeros.
QString ParteCuenta(const QString& parte, int ancho, const QString& nombre)
{
    const QString limpio = Recorta(parte);
    for (const QChar c : limpio)
        if (c < u'0' || c > u'9')
            throw EConvertError(QStringLiteral("'%1' no es un número válido de %2").arg(parte, nombre));
    if (limpio.size() > ancho)
        throw EConvertError(QStringLiteral("'%1' tiene más de %2 cifras (%3)").arg(parte).arg(ancho).arg(nombre));
    return QString(ancho - limpio.size(), u'0') + limpio;
}

QChar DigitoControl(const QString& cifras)
{
    static const int pesos[] = {6, 3, 7, 9, 10, 5, 8, 4, 2, 1};
    int suma = 0;
    for (qsizetype i = 0; i < cifras.size(); ++i)
        suma += (cifras.at(cifras.size() - 1 - i).unicode() - u'0') * pesos[i];
    const int resto = suma % 11;
    const int digito = resto <= 1 ? resto : 11 - resto;
    return QChar(u'0' + digito);
}

} // namespace

QString DigitosControlCuenta(const QString& entidad, const QString& oficina,
                             const QString& digitos, const QString& cuenta)
{
    if (Recorta(entidad).isEmpty() || Recorta(cuenta).isEmpty())
        return QStringLiteral("  ");
    const QString calculados =
        QString(DigitoControl(ParteCuenta(entidad, 4, QStringLiteral("entidad")) +
                              ParteCuenta(oficina, 4, QStringLiteral("oficina")))) +
        DigitoControl(ParteCuenta(cuenta, 10, QStringLiteral("cuenta")));
    const QString dados = Recorta(digitos);
    if (dados.isEmpty())
        return calculados;
    return dados == calculados ? calculados : QStringLiteral("**");
}
