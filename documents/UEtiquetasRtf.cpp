#include "UEtiquetasRtf.h"
#include "FIBError.h"
#include "RtfText.h"
#include "USalida.h"

#include <QStringView>

namespace {

bool EsLetra(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Whether the backslash at i starts a control word or symbol: an escaped
// backslash ("\\") does not.
bool EsControl(const QByteArray& texto, qsizetype i)
{
    qsizetype barras = 0;
    for (qsizetype k = i; k >= 0 && texto[k] == '\\'; --k)
        ++barras;
    return barras % 2 == 1;
}

// Where the control word \cell (the end of a table cell, so of a label)
// starts in a line, in order. "\cellx" and the like are other words.
QList<qsizetype> FinesDeCelda(const QByteArray& linea)
{
    QList<qsizetype> fines;
    for (qsizetype i = linea.indexOf("\\cell"); i >= 0; i = linea.indexOf("\\cell", i + 5)) {
        const qsizetype tras = i + 5;
        if (tras < linea.size() && EsLetra(linea[tras]))
            continue;
        if (EsControl(linea, i))
            fines << i;
    }
    return fines;
}

// The end of the group that opens at i (its closing brace included).
qsizetype FinGrupo(const QByteArray& hoja, qsizetype i)
{
    int nivel = 0;
    for (; i < hoja.size(); ++i) {
        const char c = hoja[i];
        if (c == '\\') {
            ++i; // an escaped brace or backslash is text
        } else if (c == '{') {
            ++nivel;
        } else if (c == '}' && --nivel == 0) {
            return i + 1;
        }
    }
    return hoja.size();
}

// The name of the control word at i (a backslash), and where it ends (its
// parameter and delimiting blank included).
QByteArray PalabraControl(const QByteArray& hoja, qsizetype i, qsizetype& fin)
{
    qsizetype k = i + 1;
    while (k < hoja.size() && EsLetra(hoja[k]))
        ++k;
    const QByteArray nombre = hoja.mid(i + 1, k - i - 1);
    if (nombre.isEmpty()) {
        fin = std::min(hoja.size(), k + (k < hoja.size() && hoja[k] == '\'' ? 3 : 1));
        return nombre;
    }
    if (k < hoja.size() && hoja[k] == '-')
        ++k;
    while (k < hoja.size() && hoja[k] >= '0' && hoja[k] <= '9')
        ++k;
    if (k < hoja.size() && hoja[k] == ' ')
        ++k;
    fin = k;
    return nombre;
}

// Where the sheet's body starts for another page: at its information group,
// as the word processors write it right before the body; without one, after
// the tables that open the document (fonts, colours, styles and every
// {\*...} group), which a second copy must not repeat.
qsizetype InicioCuerpo(const QByteArray& hoja)
{
    const qsizetype info = hoja.indexOf("{\\info");
    if (info >= 0)
        return info;
    static const QList<QByteArray> kTablas{"fonttbl", "colortbl", "stylesheet", "filetbl", "revtbl"};
    qsizetype i = hoja.indexOf('{') + 1;
    qsizetype inicio = i;
    PalabraControl(hoja, i, inicio); // \rtf1 itself
    i = inicio;
    while (i < hoja.size()) {
        const char c = hoja[i];
        if (c == '\r' || c == '\n' || c == ' ') {
            ++i;
        } else if (c == '\\') {
            PalabraControl(hoja, i, i);
        } else if (c == '{') {
            qsizetype tras = i + 1;
            const bool asterisco = hoja.mid(tras, 2) == "\\*";
            if (asterisco)
                tras += 2;
            while (tras < hoja.size() && (hoja[tras] == ' ' || hoja[tras] == '\r' || hoja[tras] == '\n'))
                ++tras;
            qsizetype finPalabra = tras;
            const bool tabla = asterisco || (tras < hoja.size() && hoja[tras] == '\\' &&
                                             kTablas.contains(PalabraControl(hoja, tras, finPalabra)));
            if (!tabla)
                break;
            i = inicio = FinGrupo(hoja, i);
        } else {
            break;
        }
    }
    return inicio;
}

QByteArray SaltoDeLinea(const QByteArray& hoja) { return hoja.contains("\r\n") ? "\r\n" : "\n"; }

// The lines of a sheet or of its body with the document's closing brace on a
// line of its own, so that every label before it is scanned and a page can
// follow the last one.
QList<QByteArray> LineasConCierre(const QByteArray& texto)
{
    QList<QByteArray> lineas = LineasHoja(texto);
    QByteArray& ultima = lineas.last();
    const qsizetype llave = ultima.lastIndexOf('}');
    if (llave > 0) {
        ultima.truncate(llave);
        lineas << QByteArray("}");
    }
    return lineas;
}

} // namespace

QList<QByteArray> LineasHoja(const QByteArray& hoja)
{
    qsizetype fin = hoja.size();
    while (fin > 0 && (hoja[fin - 1] == '\0' || hoja[fin - 1] == '\r' || hoja[fin - 1] == '\n' ||
                       hoja[fin - 1] == ' ' || hoja[fin - 1] == '\t'))
        --fin;
    QList<QByteArray> lineas = hoja.left(fin).split('\n');
    for (QByteArray& l : lineas) {
        if (l.endsWith('\r'))
            l.chop(1);
    }
    return lineas;
}

QByteArray SustituyeCamposEtiqueta(const QByteArray& linea, const TDireccionEtiqueta* fila)
{
    if (linea.contains("{\\title"))
        return linea;
    // Every placeholder starts with "[" (or its hexadecimal form): most lines
    // of a sheet hold none and are not searched.
    if (!linea.contains('[') && !linea.contains("\\'5b") && !linea.contains("\\'5B"))
        return linea;
    static const QString kBlanco(QLatin1Char(' '));
    return Rtf::replaceFirstFields(linea, {
        {u"[Propietario]", fila ? QStringView(fila->Nombre) : QStringView(kBlanco)},
        {u"[Domicilio]", fila ? QStringView(fila->Domicilio) : QStringView(kBlanco)},
        {u"[Codigo Postal]", fila ? QStringView(fila->CodigoPostal) : QStringView(kBlanco)},
        {u"[Poblacion]", fila ? QStringView(fila->Poblacion) : QStringView(kBlanco)},
        {u"[Provincia]", fila ? QStringView(fila->Provincia) : QStringView(kBlanco)},
    });
}

void AnadePaginaEtiquetas(QList<QByteArray>& lineas, const QByteArray& hoja)
{
    // The closing brace of the document goes to the end of the copy, so the
    // merged sheet stays one document.
    QByteArray& ultima = lineas.last();
    const qsizetype llave = ultima.lastIndexOf('}');
    if (llave >= 0)
        ultima.truncate(llave);
    ultima += "\\page ";
    lineas += LineasConCierre(hoja.mid(InicioCuerpo(hoja)));
}

QByteArray FusionaEtiquetas(const QByteArray& hoja, const TSiguienteEtiqueta& siguiente)
{
    if (!DocumentoRtfCompleto(hoja))
        throw EAviso(QStringLiteral("El formato de la etiqueta no es un documento RTF: para «Word» elija una hoja "
                                    "de etiquetas hecha con el procesador de textos"));
    QList<QByteArray> l = LineasConCierre(hoja);
    TDireccionEtiqueta fila;
    bool hay = siguiente(fila);
    qsizetype i = 0;
    int etiquetasPagina = 0; // label ends met on the current page
    while (hay) {
        if (i >= l.size() - 1) {
            // The page is full. A sheet without label ends is one label.
            if (etiquetasPagina == 0 && !(hay = siguiente(fila)))
                break;
            AnadePaginaEtiquetas(l, hoja);
            etiquetasPagina = 0;
            continue;
        }
        const QList<qsizetype> fines = FinesDeCelda(l[i]);
        if (fines.isEmpty()) {
            l[i] = SustituyeCamposEtiqueta(l[i], &fila);
            ++i;
            continue;
        }
        // Each piece of the line up to a label's end is that label's; the
        // owners left over once the rows run out get blank labels.
        const QByteArray linea = l[i];
        QByteArray hecha = SustituyeCamposEtiqueta(linea.left(fines.front()), &fila);
        for (qsizetype k = 0; k < fines.size(); ++k) {
            const qsizetype desde = fines[k];
            const qsizetype hasta = k + 1 < fines.size() ? fines[k + 1] : linea.size();
            ++etiquetasPagina;
            if (hay)
                hay = siguiente(fila);
            hecha += SustituyeCamposEtiqueta(linea.mid(desde, hasta - desde), hay ? &fila : nullptr);
        }
        l[i] = std::move(hecha);
        ++i;
    }
    // The labels left on the page are blank.
    for (; i < l.size() - 1; ++i)
        l[i] = SustituyeCamposEtiqueta(l[i], nullptr);
    const QByteArray salto = SaltoDeLinea(hoja);
    return l.join(salto) + salto;
}
