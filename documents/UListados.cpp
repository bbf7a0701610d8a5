#include "UListados.h"
#include "FIBError.h"
#include "ReportPreview.h"
#include "UComponentesBusquedaFiltrada.h"
#include "UDMMain.h"
#include "UFListados.h"
#include "UFormatos.h"
#include "UTextos.h"

#include <QApplication>
#include <QRegularExpression>

namespace {

const QString kPalabras[] = {QStringLiteral("DESDE"), QStringLiteral("HASTA"), QStringLiteral("IGUAL"),
                             QStringLiteral("ORDEN"), QStringLiteral("DISTI"), QStringLiteral("EXPRE")};

// Letters a to z only: accented letters keep their case.
QString MayusculasAscii(QString texto)
{
    for (QChar& c : texto)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - (u'a' - u'A'));
    return texto;
}

bool Empieza(const QString& texto, const char* prefijo)
{
    return MayusculasAscii(texto.trimmed()).startsWith(QLatin1String(prefijo));
}

// A number content as SQL writes it: the thousands points go and the decimal
// comma becomes a point. Only a number goes into the statement: anything else
// (an expression typed as the content) is refused with the check's own text.
QString NumeroSQL(const QString& contenido)
{
    try {
        TextoANumero(contenido);
    } catch (const EConvertError&) {
        throw EAviso(u'"' + contenido + QStringLiteral("\" No es un valor numerico"));
    }
    QString v = contenido.trimmed();
    return v.remove(SeparadorMiles).replace(SeparadorDecimal, u'.');
}

// The SQL comparison of an operator; empty for one that is not a comparison.
QString Comparacion(const QString& op)
{
    if (op == QLatin1String("IGUAL"))
        return QStringLiteral("=");
    if (op == QLatin1String("DESDE") || op == QLatin1String(">="))
        return QStringLiteral(">=");
    if (op == QLatin1String("HASTA") || op == QLatin1String("<="))
        return QStringLiteral("<=");
    if (op == QLatin1String("DISTI"))
        return QStringLiteral("<>");
    if (op == QLatin1String(">") || op == QLatin1String("<"))
        return op;
    return {};
}

// The condition text of a comparison; empty when it contributes nothing.
QString TextoCondicion(const QString& tipo, const QString& op, const QString& f, const QString& contenido)
{
    const QString cmp = Comparacion(op);
    if (cmp.isEmpty())
        return {};
    if (tipo == QLatin1String("C")) {
        // Compared with upper-case data as the quick search compares names:
        // every letter upper-cased, accented ones too.
        const QString v = contenido.toUpper();
        if (op == QLatin1String(">="))
            return f + QStringLiteral(" >= ") + LiteralSQL(v);
        if (op == QLatin1String("<="))
            return f + QStringLiteral(" <= ") + LiteralSQL(v);
        if (op == QLatin1String("DISTI"))
            return f + QStringLiteral("<>") + LiteralSQL(v);
        return f + QStringLiteral(" LIKE ") + LiteralSQL(v + u'%');
    }
    if (tipo == QLatin1String("F")) {
        if (op == QLatin1String(">") || op == QLatin1String("<"))
            return {};
        const QString d = FechaSQL(contenido);
        const QString desde = f + QStringLiteral(">=") + LiteralSQL(d + QStringLiteral(" 00:00:00"));
        const QString hasta = f + QStringLiteral("<=") + LiteralSQL(d + QStringLiteral(" 23:59:59"));
        if (op == QLatin1String("IGUAL"))
            return desde + QStringLiteral("AND ") + hasta;
        if (op == QLatin1String("DISTI"))
            return f + QStringLiteral("<>") + LiteralSQL(d);
        return cmp == QLatin1String(">=") ? desde : hasta;
    }
    if (tipo == QLatin1String("N"))
        return f + cmp + NumeroSQL(contenido);
    return {};
}

} // namespace

QStringList OperadoresCondicion()
{
    return {QStringLiteral("DESDE"), QStringLiteral("HASTA"), QStringLiteral("IGUAL"), QStringLiteral("ORDEN"),
            QStringLiteral("DISTI"), QStringLiteral("EXPRE"), QStringLiteral(">=   "), QStringLiteral("<=   "),
            QStringLiteral(">    "), QStringLiteral("<    ")};
}

QString OperadorTecleado(const QString& texto)
{
    const QString mayusculas = texto.toUpper();
    for (const QString& palabra : kPalabras)
        if (palabra.startsWith(mayusculas))
            return palabra;
    return mayusculas;
}

QString ErrorCondicion(const QString& operador, const QString& tipo, const QString& contenido)
{
    const QString t = tipo.trimmed();
    const QString c = contenido.trimmed();
    if (t != QLatin1String("F") && t != QLatin1String("C") && t != QLatin1String("N"))
        return QStringLiteral("Los tipos posibles son: Fecha, Carácter, Numérico");
    // A direction means something only to the order: in any other condition
    // its content goes into the statement and must be a date or a number.
    const bool direccion = operador.trimmed() == QLatin1String("ORDEN") && (Empieza(c, "ASC") || Empieza(c, "DESC"));
    if (c.isEmpty() || t == QLatin1String("C") || direccion)
        return {};
    try {
        if (t == QLatin1String("F")) {
            if (!Empieza(c, "DATE"))
                TextoAFecha(c);
        } else {
            TextoANumero(c);
        }
    } catch (const EConvertError&) {
        return u'"' + contenido +
               (t == QLatin1String("F") ? QStringLiteral("\" No es una fecha valida")
                                        : QStringLiteral("\" No es un valor numerico"));
    }
    return {};
}

void CompruebaCondicion(const QString& operador, const QString& tipo, const QString& contenido)
{
    const QString error = ErrorCondicion(operador, tipo, contenido);
    if (!error.isEmpty())
        throw EAviso(error);
}

namespace {
// Whether a condition writes its field into the statement: an order, or a
// comparison that is not left out.
bool UsaCampo(const TCondicion& c)
{
    const QString op = c.Operador.trimmed();
    if (op == QLatin1String("ORDEN"))
        return true;
    if (op == QLatin1String("EXPRE") || c.Contenido.trimmed().isEmpty() || Comparacion(op).isEmpty())
        return false;
    return !(c.Tipo.trimmed() == QLatin1String("F") && (op == QLatin1String(">") || op == QLatin1String("<")));
}
} // namespace

void CompruebaCampos(const QList<TCondicion>& condiciones, const QString& tabla, const QStringList& columnas)
{
    const QString mesa = tabla.trimmed();
    for (const TCondicion& c : condiciones) {
        if (c.Tabla.trimmed() != mesa || !UsaCampo(c))
            continue;
        const QString campo = c.Campo.trimmed();
        if (!columnas.contains(campo, Qt::CaseInsensitive))
            throw EAviso(QStringLiteral("El campo «%1» de una condición no es una columna del listado.").arg(campo));
    }
}

QString ClausulaListado(int tipo, const QList<TCondicion>& condiciones, const QString& tabla, const QDate& hoy)
{
    QString donde = QStringLiteral("WHERE ");
    QString orden = QStringLiteral("ORDER BY ");
    const qsizetype desnudoDonde = donde.size();
    const qsizetype desnudoOrden = orden.size();
    const QString mesa = tabla.trimmed();
    // "DATE" written in an expression is today, in the form dates take in the
    // statement; a value holding those letters ("UPDATE") is only data.
    static const QRegularExpression hoyEnExpresion(QStringLiteral("\\bDATE\\b"));
    const QString fecha = u'"' + hoy.toString(QStringLiteral("MM/dd/yyyy")) + u'"';
    for (const TCondicion& c : condiciones) {
        if (c.Tabla.trimmed() != mesa)
            continue;
        const QString op = c.Operador.trimmed();
        const QString campo = MayusculasAscii(c.Campo.trimmed());
        if (op == QLatin1String("ORDEN")) {
            if (orden.size() != desnudoOrden)
                orden += u',';
            orden += campo;
            if (Empieza(c.Contenido, "ASC"))
                orden += QStringLiteral(" ASC");
            else if (Empieza(c.Contenido, "DESC"))
                orden += QStringLiteral(" DESC");
            continue;
        }
        if (c.Contenido.trimmed().isEmpty())
            continue;
        const QString texto = op == QLatin1String("EXPRE")
                                  ? c.Contenido.toUpper().replace(hoyEnExpresion, fecha)
                                  : TextoCondicion(c.Tipo.trimmed(), op, campo, c.Contenido);
        if (texto.isEmpty())
            continue;
        if (donde.size() != desnudoDonde)
            donde += QStringLiteral(" AND ");
        donde += texto;
    }
    return tipo == 2 ? orden : donde;
}

QString TablaListado(const QString& sql, int cual)
{
    const QString texto = sql.toUpper();
    qsizetype desde = -1;
    for (int n = 0; n < cual; ++n) {
        desde = texto.indexOf(QLatin1String("FROM "), desde < 0 ? 0 : desde);
        if (desde < 0)
            return {};
        desde += 5;
    }
    const qsizetype blanco = texto.indexOf(u' ', desde);
    if (blanco < 0 || blanco - desde > 25)
        return {};
    return texto.mid(desde, blanco - desde);
}

QString LineaCondicion(const QString& operador, const QString& campo, const QString& tipo, const QString& contenido,
                       const QString& tabla)
{
    auto columna = [](const QString& v) { return AlineaIzquierda(v, 20, QStringLiteral(" ")).left(20); };
    QString linea = columna(operador) + columna(campo) + columna(tipo) + columna(contenido);
    if (!tabla.trimmed().isEmpty())
        linea += columna(tabla);
    return linea;
}

TCondicion CondicionDeLinea(const QString& linea)
{
    auto columna = [&](int n, int ancho) { return linea.mid(n * 20, 20).trimmed().left(ancho); };
    return {columna(0, 5), columna(1, 19), columna(2, 1), columna(3, 40), columna(4, 30)};
}

void ListadoPredefinido(int codigo, const QStringList& lineas, const QString& destino)
{
    QList<TCondicion> condiciones;
    for (const QString& l : lineas) {
        const TCondicion c = CondicionDeLinea(l);
        CompruebaCondicion(c.Operador, c.Tipo, c.Contenido);
        condiciones << c;
    }
    // A module of its own: a "Creación de listados" the user has open keeps
    // its listing, its position and whatever it is editing.
    TDMFListados dm;
    if (!dm.QTabla.Locate(QStringLiteral("CODIGO"), {codigo}))
        throw EAviso(QStringLiteral("No existe el listado %1").arg(codigo));
    // The conditions stay stored as those of the last run. Another seat
    // storing its own for the same listing at the same moment may hold the
    // rows: then this seat's are not stored, and the run is the same, since
    // it uses the lines it was handed and not what is stored.
    DMMain->DataBase.ExecuteImmediate(QStringLiteral("SAVEPOINT CONDICIONES_LISTADO"), dm.FIBTransaction);
    try {
        dm.GuardaCondiciones(condiciones);
    } catch (const EFIBError& e) {
        // Another seat holds the rows or the keys being written.
        if (!e.KeyTaken())
            throw;
        DMMain->DataBase.ExecuteImmediate(QStringLiteral("ROLLBACK TO SAVEPOINT CONDICIONES_LISTADO"),
                                          dm.FIBTransaction);
    }
    const std::optional<qdr::Document> doc = dm.EjecutaListado(destino, condiciones);
    if (doc)
        qdr::showPreview(*doc, QApplication::activeWindow());
}
