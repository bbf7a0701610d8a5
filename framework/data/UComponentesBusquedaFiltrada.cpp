#include "UComponentesBusquedaFiltrada.h"
#include "FIBTableDataSet.h"
#include "UFormatos.h"

QString LiteralSQL(const QString& texto)
{
    QString doblado = texto;
    // A NUL character (pasted) would end the statement's text: it is no data.
    doblado.remove(QChar(u'\0'));
    doblado.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + doblado + QLatin1Char('"');
}

QString CondicionBusqueda(const QString& texto, const TBusquedaRapida& b, bool* porNumero)
{
    const bool numero = EsNumerico(texto);
    if (porNumero)
        *porNumero = numero;
    if (numero)
        return b.CampoNumero + QStringLiteral(" LIKE ") + LiteralSQL(texto + QLatin1Char('%'));
    if (b.Flags.startsWith(QLatin1Char('1')))
        return b.CampoTexto + QStringLiteral(" LIKE ") + LiteralSQL(texto + QLatin1Char('%'));
    return QStringLiteral("Upper(") + b.CampoTexto + QStringLiteral(")") + QStringLiteral(" LIKE ") +
           LiteralSQL(texto.toUpper() + QLatin1Char('%'));
}

void BusquedaRapida(const QString& texto, TFIBTableSet& ds, const TBusquedaRapida& b, const TAsignaParametros& asigna)
{
    if (texto.isEmpty())
        return;
    bool numero = false;
    const QString condicion = CondicionBusqueda(texto, b, &numero);
    ds.Filtra(condicion, !b.Orden.isEmpty() ? b.Orden : numero ? b.CampoNumero : b.CampoTexto);
    if (asigna)
        asigna(ds, b.Flags, false);
    ds.Open();
}
