#pragma once
// The labels merged into an RTF label sheet: a document, usually a table whose
// cells are labels, holding the placeholders "[Propietario]", "[Domicilio]",
// "[Codigo Postal]", "[Poblacion]" and "[Provincia]". Each end of a table
// cell (the control word \cell) ends a label: the next owner's address fills
// what follows. The sheet is worked as the word processor wrote its lines;
// sheets saved by LibreOffice Writer ("\cell\pard", several labels on a line)
// are read as well as those with one "\cell " a line. Values are text: they
// are escaped, so the merged sheet stays a valid RTF document.
#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

// The address of one label.
struct TDireccionEtiqueta {
    QString Nombre;
    QString Domicilio;
    QString CodigoPostal;
    QString Poblacion;
    QString Provincia;
};

// Fills `fila` with the next owner's address; false when there is none left.
using TSiguienteEtiqueta = std::function<bool(TDireccionEtiqueta& fila)>;

// The merged document: the sheet's labels filled in order, as many copies of
// the sheet's body as the owners need, each after a page break; the labels
// left over on the last page are blank. A sheet without any label end holds
// one label: each owner gets a page. Throws EAviso when the sheet is not a
// whole RTF document.
QByteArray FusionaEtiquetas(const QByteArray& hoja, const TSiguienteEtiqueta& siguiente);

// One line of the sheet with the first occurrence of each placeholder
// replaced by the address's field (`fila`), or by a blank when fila is null.
// A line holding the document's title ("{\title") is left as it is.
QByteArray SustituyeCamposEtiqueta(const QByteArray& linea, const TDireccionEtiqueta* fila);

// Another page of labels: the document's closing brace on the last line gives
// way to a page break, and the sheet's body follows, from its information
// group ("{\info") on, or from the end of its font, colour and style tables
// when it has none, up to and with its closing brace.
void AnadePaginaEtiquetas(QList<QByteArray>& lineas, const QByteArray& hoja);

// The sheet's lines as the word processor wrote them (CR LF or LF), without
// the blank lines after its end.
QList<QByteArray> LineasHoja(const QByteArray& hoja);
