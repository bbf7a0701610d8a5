#include "UComponentesBusquedaFiltrada.h"
#include "FIBQuery.h"
#include "FIBTableDataSet.h"
#include "FIBTransaction.h"
#include "UFormatos.h"

QString LiteralSQL(const QString& texto)
{
    QString doblado = texto;
    // A NUL character (pasted) would end the statement's text: it is no data.
    doblado.remove(QChar(u'\0'));
    doblado.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + doblado + QLatin1Char('"');
}

QString NombreDesdePalabra(const QString& columna, int palabra)
{
    if (palabra <= 0)
        return columna;
    // The position of the space before the word: each found from the one
    // before it; where there is none, POSITION gives 0 and the text is taken
    // from one of the earlier words' starts.
    QString espacio = QStringLiteral("POSITION(' ' IN %1)").arg(columna);
    for (int i = 1; i < palabra; ++i)
        espacio = QStringLiteral("POSITION(' ', %1, %2 + 1)").arg(columna, espacio);
    return QStringLiteral("SUBSTRING(%1 FROM %2 + 1)").arg(columna, espacio);
}

QString CondicionNombre(const QString& columna, const QString& literal)
{
    QStringList alternativas;
    for (int i = 0; i < kPalabrasNombre; ++i)
        alternativas << NombreDesdePalabra(columna, i) + QStringLiteral(" COLLATE UNICODE_CI_AI STARTING WITH ") + literal;
    return QLatin1Char('(') + alternativas.join(QStringLiteral(" OR ")) + QLatin1Char(')');
}

QString CondicionBusqueda(const QString& texto, const TBusquedaRapida& b, bool* porNumero)
{
    const bool numero = EsNumerico(texto);
    if (porNumero)
        *porNumero = numero;
    if (numero)
        return b.CampoNumero + QStringLiteral(" LIKE ") + LiteralSQL(texto + QLatin1Char('%'));
    if (b.PorNombre)
        return CondicionNombre(b.CampoTexto, LiteralSQL(texto));
    if (b.Flags.startsWith(QLatin1Char('1')))
        return b.CampoTexto + QStringLiteral(" LIKE ") + LiteralSQL(texto + QLatin1Char('%'));
    return QStringLiteral("Upper(") + b.CampoTexto + QStringLiteral(")") + QStringLiteral(" LIKE ") +
           LiteralSQL(texto.toUpper() + QLatin1Char('%'));
}

namespace {

// The plan of a name search over a table with word indexes on its names
// ("IX_" + table + "_PALABRA1" to kPalabrasNombre, as the program's database
// gives the owners): walk the first, the whole name in the search's
// collation and order, and take the matches from all of them. Written out
// because the engine, offered the list's own condition on the community,
// reads the whole community through that one and tests every name. Empty for
// a table without them.
QString PlanPalabras(TFIBTableSet& ds, const TBusquedaRapida& b)
{
    const QString tabla = ds.TableName().trimmed().toUpper();
    if (tabla.isEmpty() || b.CampoTexto.compare(QLatin1String("NOMBRE"), Qt::CaseInsensitive) != 0 || !ds.Database() ||
        !ds.Transaction() || !ds.Transaction()->Active())
        return QString();
    const QString prefijo = QStringLiteral("IX_") + tabla + QStringLiteral("_PALABRA");
    TFIBQuery q;
    q.SetDatabase(ds.Database());
    q.SetTransaction(ds.Transaction());
    q.SetSQL(QStringLiteral("SELECT COUNT(*) FROM RDB$INDICES WHERE RDB$RELATION_NAME = ?TABLA "
                            "AND RDB$INDEX_NAME STARTING WITH ?PREFIJO"));
    q.ParamByName(QStringLiteral("TABLA"))->SetAsString(tabla);
    q.ParamByName(QStringLiteral("PREFIJO"))->SetAsString(prefijo);
    q.ExecQuery();
    const bool indexada = !q.Eof() && q.Fields(0)->AsInteger() == kPalabrasNombre;
    q.Close();
    if (!indexada)
        return QString();
    QStringList indices;
    for (int i = 1; i <= kPalabrasNombre; ++i)
        indices << prefijo + QString::number(i);
    return QStringLiteral(" PLAN (%1 ORDER %2 INDEX (%3))").arg(tabla, indices.first(), indices.join(QStringLiteral(", ")));
}

} // namespace

void BusquedaRapida(const QString& texto, TFIBTableSet& ds, const TBusquedaRapida& b, const TAsignaParametros& asigna)
{
    if (texto.trimmed().isEmpty()) {
        if (ds.Condicion().isEmpty())
            return;
        ds.QuitaFiltro();
    } else {
        bool numero = false;
        const QString condicion = CondicionBusqueda(texto, b, &numero);
        // Names in the order the search compares them, which an index of
        // the whole name in that collation gives (the owners' first word
        // index): the engine then walks it and picks the matches through the
        // word indexes, never reading every row of a large community.
        const QString orden = !b.Orden.isEmpty() ? b.Orden
                              : numero           ? b.CampoNumero
                              : b.PorNombre      ? b.CampoTexto + QStringLiteral(" COLLATE UNICODE_CI_AI")
                                                 : b.CampoTexto;
        const QString plan = !numero && b.PorNombre && b.Orden.isEmpty() ? PlanPalabras(ds, b) : QString();
        ds.Filtra(condicion + plan, orden);
    }
    if (asigna)
        asigna(ds, b.Flags, false);
    ds.Open();
}
