#include "UIntercambio.h"
#include "EUtilesError.h"
#include "FIBError.h"
#include "FIBTableDataSet.h"
#include "UDialogos.h"
#include "UTextos.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

namespace {

// The folder the exchange dialogs start in: the last one used in this
// session, the home folder at first (the removable drive of old has no
// counterpart here).
QString& UltimaCarpeta()
{
    static QString carpeta = QDir::homePath();
    return carpeta;
}

QString Par(const QString& carpeta, int codigo, const char* extension)
{
    return QDir(carpeta).filePath(NombreIntercambio(codigo) + QLatin1String(extension));
}

} // namespace

QString NombreIntercambio(int codigo)
{
    return QStringLiteral("FORMATO") + RellenaCeros(5, QString::number(codigo));
}

TParIntercambio ParImportacion(const QString& ruta)
{
    const qsizetype frf = ruta.indexOf(QLatin1String(".FRF"));
    const qsizetype formato = ruta.indexOf(QLatin1String("FORMATO"));
    if (frf < 0 || formato < 0)
        throw EAviso(QStringLiteral("El fichero seleccionado no es valido"));
    const QString txt = ruta.left(frf) + QStringLiteral(".TXT");
    if (!QFileInfo::exists(txt))
        throw EAviso(QStringLiteral("No existe el fichero adjunto de formato"));
    const QString cifras = ruta.mid(formato + 7, 5);
    bool ok = false;
    const int codigo = cifras.toInt(&ok, 10);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' no es un número entero válido").arg(cifras));
    return {ruta, txt, codigo};
}

QStringList LeeLineasIntercambio(const QString& fichero)
{
    QFile f(fichero);
    if (!f.open(QIODevice::ReadOnly))
        throw EUtilesError(QStringLiteral("No se puede abrir el fichero %1").arg(QDir::toNativeSeparators(fichero)));
    QStringList lineas = QString::fromLatin1(f.readAll()).split(u'\n');
    if (!lineas.isEmpty() && lineas.last().isEmpty())
        lineas.removeLast();
    for (QString& l : lineas)
        if (l.endsWith(u'\r'))
            l.chop(1);
    return lineas;
}

void EscribeIntercambio(const QString& carpeta, int codigo, const QStringList& lineas, const QByteArray& formato)
{
    QByteArray texto;
    for (const QString& l : lineas)
        texto += l.toLatin1() + "\r\n";
    const auto escribe = [](const QString& nombre, const QByteArray& datos) {
        QFile f(nombre);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(datos) == datos.size() && f.flush();
    };
    if (!escribe(Par(carpeta, codigo, ".TXT"), texto) || !escribe(Par(carpeta, codigo, ".FRF"), formato))
        throw EAviso(QStringLiteral("No se puede exportar el formato"));
}

QString CarpetaExportacion(QWidget* padre, int codigo)
{
    QFileDialog d(padre, QStringLiteral("Exportar formato"), UltimaCarpeta(),
                  QStringLiteral("Fichero de Formato (*.FRF)"));
    d.setObjectName(QStringLiteral("DialogoExportar"));
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setDefaultSuffix(QStringLiteral("FRF"));
    d.setOption(QFileDialog::DontUseNativeDialog);
    d.selectFile(NombreIntercambio(codigo) + QStringLiteral(".FRF"));
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
        return {};
    UltimaCarpeta() = QFileInfo(d.selectedFiles().constFirst()).absolutePath();
    return UltimaCarpeta();
}

QString FicheroImportacion(QWidget* padre, const QString& titulo, const QString& filtro, const QString& patron)
{
    QFileDialog d(padre, titulo, UltimaCarpeta(), filtro);
    d.setObjectName(QStringLiteral("DialogoImportar"));
    d.setAcceptMode(QFileDialog::AcceptOpen);
    d.setFileMode(QFileDialog::ExistingFile);
    d.setOption(QFileDialog::DontUseNativeDialog);
    d.selectFile(patron);
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
        return {};
    const QString fichero = d.selectedFiles().constFirst();
    UltimaCarpeta() = QFileInfo(fichero).absolutePath();
    return fichero;
}

std::optional<TImportacion> PideImportacion(QWidget* padre, const QString& titulo, const QString& filtro,
                                            const QString& patron, const std::function<bool(int codigo)>& existe)
{
    const QString fichero = FicheroImportacion(padre, titulo, filtro, patron);
    if (fichero.isEmpty())
        return std::nullopt;
    TImportacion i{ParImportacion(fichero), {}, false};
    if (existe(i.Par.Codigo)) {
        const int r = Pregunta(QStringLiteral("El formato ya existe"),
                               {QStringLiteral("Reemplazar"), QStringLiteral("Añadir"), QStringLiteral("Abandonar")});
        if (r != 1 && r != 2)
            return std::nullopt;
        i.Reemplaza = r == 1;
    }
    i.Lineas = LeeLineasIntercambio(i.Par.Txt);
    return i;
}

void ExportaFila(QWidget* padre, TFIBTableSet& q, const QString& columna, const std::function<QStringList()>& lineas)
{
    if (q.IsEmpty() || q.State() != TDataSetState::dsBrowse)
        return;
    const int codigo = static_cast<int>(q.FieldByName(QStringLiteral("CODIGO"))->AsInteger());
    const QString carpeta = CarpetaExportacion(padre, codigo);
    if (carpeta.isEmpty())
        return;
    EscribeIntercambio(carpeta, codigo, lineas(), q.FieldByName(columna)->AsBytes());
}
