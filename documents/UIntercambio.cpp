#include "UIntercambio.h"
#include "EUtilesError.h"
#include "FIBError.h"
#include "FIBTableDataSet.h"
#include "UDialogos.h"
#include "UFicheros.h"
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
    const QString texto = QString::fromLatin1(LeeFicheroAcotado(fichero, kMaximoTxtIntercambio));
    // Lines end in CR LF; a bare line feed inside one is a line break of its
    // value. A file written with bare line feeds only has those as its ends.
    QStringList lineas = texto.contains(QLatin1String("\r\n")) ? texto.split(QStringLiteral("\r\n"))
                                                                 : texto.split(u'\n');
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
    for (QString l : lineas) {
        // The file is one byte a character: a character beyond Latin-1 would
        // come back as "?", so the export is refused while it can be mended.
        for (const QChar c : std::as_const(l))
            if (c.unicode() > 0xFF)
                throw EAviso(QStringLiteral("No se puede exportar el formato: el carácter «%1» (U+%2) no cabe en el "
                                            "fichero de intercambio. Cámbielo y vuelva a exportar.")
                                 .arg(c)
                                 .arg(QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0')));
        // Line breaks inside a value travel as bare line feeds.
        l.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
        texto += l.toLatin1() + "\r\n";
    }
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
