#include "ReportDesigner.h"

#include "DesignerWindow.h"
#include "ReportXml.h"

namespace qdr {

namespace {
bool newReportEnabled = true;
} // namespace

void TReportDesigner::CargarDeFichero(const QString& fileName)
{
    report_ = loadReport(fileName);
    loadedFrom_ = fileName;
}

void TReportDesigner::NuevoInforme()
{
    report_.reset();
    loadedFrom_.clear();
}

void TReportDesigner::SetDatos(const ReportData* data, const QStringList& variables)
{
    data_ = data;
    variables_ = variables;
}

void TReportDesigner::SetNuevoInformeHabilitado(bool enabled)
{
    newReportEnabled = enabled;
}

bool TReportDesigner::NuevoInformeHabilitado()
{
    return newReportEnabled;
}

bool TReportDesigner::Ejecutar(QWidget* parent)
{
    DesignerWindow window(parent);
    window.setReport(report_, nombre_, FicheroGuardar());
    window.setData(data_, variables_);
    window.setNewReportEnabled(newReportEnabled);
    window.exec();
    if (!window.savedOnce())
        return false;
    report_ = window.savedReport();
    if (loadedFrom_.isEmpty())
        saveFile_ = window.saveFile();
    return true;
}

} // namespace qdr
