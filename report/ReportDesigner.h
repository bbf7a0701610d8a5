// The report designer as the program's screens use it:
//
//   TReportDesigner designer;
//   if (formatoVacio) designer.NuevoInforme();        // one blank page
//   else designer.CargarDeFichero(dir + "/tmp.frf");  // throws EReportError
//   designer.SetFicheroGuardar(dir + "/tmp.frf");     // where a new report is saved
//   designer.SetNombre(nombre);                       // "Diseñador de informes - " + nombre
//   designer.SetDatos(&data);                         // datasets as the engine gets them
//   TReportDesigner::SetNuevoInformeHabilitado(false); // listings: stays off
//   designer.Ejecutar(this);                          // modal
//
// "Guardar" writes the file the report was loaded from; a report reset to a
// blank page is written to the file named with SetFicheroGuardar (the user
// is asked for one when there is none). Nothing is written unless the user
// saves; the caller learns of a save from Ejecutar or from the file's stamp.
#pragma once

#include "ReportModel.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace qdr {

class ReportData;

class TReportDesigner {
public:
    // Loads the format; saving goes back to this file.
    void CargarDeFichero(const QString& fileName);
    // One blank A4 page with no bands; saving goes to FicheroGuardar().
    void NuevoInforme();
    // Where "Guardar" writes a report that was not loaded from a file.
    void SetFicheroGuardar(const QString& fileName) { saveFile_ = fileName; }
    // The file "Guardar" writes: the one loaded from, otherwise the one set.
    QString FicheroGuardar() const { return loadedFrom_.isEmpty() ? saveFile_ : loadedFrom_; }
    // The name in the window title; the format's own name when empty.
    void SetNombre(const QString& nombre) { nombre_ = nombre; }
    // The data the report runs with: the data tree offers its datasets and
    // fields and `variables`, and "Vista previa" runs on it. Not owned; it
    // must outlive Ejecutar.
    void SetDatos(const ReportData* data, const QStringList& variables = {});
    // The designer's "Nuevo informe" command, for every designer of the
    // program from now on: once a screen turns it off it stays off.
    static void SetNuevoInformeHabilitado(bool enabled);
    static bool NuevoInformeHabilitado();

    // The designer, modal. True when the user saved at least once; the
    // report is then the one last saved.
    bool Ejecutar(QWidget* parent);

    const Report& Informe() const { return report_; }

private:
    Report report_;
    QString loadedFrom_;
    QString saveFile_;
    QString nombre_;
    const ReportData* data_ = nullptr;
    QStringList variables_;
};

} // namespace qdr
