#include "UComponentesBusquedaFiltrada.h"
#include "FIBTableDataSet.h"
#include "UFormatos.h"

#include <algorithm>

QString LiteralSQL(const QString& texto)
{
    QString doblado = texto;
    doblado.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + doblado + QLatin1Char('"');
}

void BusquedaRapida(const QString& texto, TFIBTableSet& ds, const QString& campoNumero, const QString& campoTexto,
                    const QString& flags, const QString& orden, const TAsignaParametros& asigna)
{
    if (texto.isEmpty())
        return;
    const bool numero = EsNumerico(texto);
    const bool comoSeEscribe = flags.startsWith(QLatin1Char('1'));

    ds.Close();
    // The order clause goes whole, also when it shares a line with the select.
    QStringList sql = QuitaOrden(ds.SelectSQLOriginal());
    const bool conWhere = std::any_of(sql.cbegin(), sql.cend(), [](const QString& linea) {
        return linea.contains(QLatin1String("WHERE"), Qt::CaseInsensitive);
    });
    const QString une = conWhere ? QStringLiteral(" and ") : QStringLiteral(" where ");
    if (numero)
        sql << une + campoNumero + QStringLiteral(" LIKE ") + LiteralSQL(texto + QLatin1Char('%'));
    else if (comoSeEscribe)
        sql << une + campoTexto + QStringLiteral(" LIKE ") + LiteralSQL(texto + QLatin1Char('%'));
    else
        sql << une + QStringLiteral("Upper(") + campoTexto + QStringLiteral(")") + QStringLiteral(" LIKE ") +
                   LiteralSQL(texto.toUpper() + QLatin1Char('%'));
    sql << QStringLiteral("ORDER BY ") << (!orden.isEmpty() ? orden : numero ? campoNumero : campoTexto);
    ds.SetSelectSQL(sql);
    if (asigna)
        asigna(ds, flags, false);
    ds.Open();
}
