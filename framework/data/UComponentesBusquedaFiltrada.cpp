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

void BusquedaRapida(const QString& texto, TFIBTableSet& ds, const TBusquedaRapida& b, const TAsignaParametros& asigna)
{
    if (texto.trimmed().isEmpty()) {
        if (ds.Condicion().isEmpty())
            return;
        ds.QuitaFiltro();
    } else {
        bool numero = false;
        const QString condicion = CondicionBusqueda(texto, b, &numero);
        ds.Filtra(condicion, !b.Orden.isEmpty() ? b.Orden : numero ? b.CampoNumero : b.CampoTexto);
    }
    if (asigna)
        asigna(ds, b.Flags, false);
    ds.Open();
}
