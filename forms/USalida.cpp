#include "USalida.h"
#include "RtfReader.h"
#include "ReportExport.h"
#include "ReportLayout.h"
#include "UDMMain.h"
#include "UDialogos.h"
#include "UFicheros.h"
#include "UPerfil.h"
#include "UProcesos.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QHash>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStyle>
#include <QUrl>
#include <QWidget>

namespace {

QString Comillas(const QString& ruta) { return QLatin1Char('"') + ruta + QLatin1Char('"'); }

// The profile folder of the private instance: its own, so that the office
// process the program starts is the one that edits the file and ends when
// the user closes it, whatever other office windows the user has open.
QString PerfilPrivado()
{
    const QString carpeta = CarpetaConfiguracion() + QStringLiteral("/libreoffice");
    return QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(carpeta).toString(QUrl::FullyEncoded);
}

} // namespace

void GuardaFichero(const QString& fichero, const QByteArray& datos)
{
    QFile f(fichero);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(datos) != datos.size())
        throw EUtilesError(QStringLiteral("No se puede escribir el fichero %1").arg(QDir::toNativeSeparators(fichero)));
}

QByteArray CargaFichero(const QString& fichero, qint64 maximo) { return LeeFicheroAcotado(fichero, maximo); }

QString FicheroSalida(const QString& destino)
{
    const QString nombre = qdr::exportFileName(destino);
    return nombre.isEmpty() ? QString() : Entorno.CaminoPrograma + QLatin1Char('/') + nombre;
}

void ExportaInforme(const qdr::Report& informe, const qdr::ReportData& datos, const QString& destino)
{
    const QString fichero = FicheroSalida(destino);
    if (fichero.isEmpty())
        return;
    const qdr::Document paginas = qdr::layoutReport(informe, datos);
    QFile::remove(fichero);
    qdr::exportDocument(paginas, destino, fichero);
}

QString CarpetaWord()
{
    const QString carpeta = TIniFile(FicheroPerfil(QStringLiteral("quorumdesk.ini")))
                                .ReadString(QStringLiteral("Word"), QStringLiteral("Path"), QString())
                                .trimmed();
    return carpeta.isEmpty() ? QString::fromLatin1(CarpetaLibreOffice) : carpeta;
}

QString CarpetaOpenOffice()
{
    const QString fichero = BuscaFichero(QDir::currentPath(), QStringLiteral("OPPENOFFICEPATH.CFG"));
    QFile f(fichero);
    if (!fichero.isEmpty() && f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QString primera = QString::fromUtf8(f.readLine(4096)).trimmed();
        if (!primera.isEmpty())
            return primera;
    }
    return QString::fromLatin1(CarpetaLibreOffice);
}

void AbreExportado(const QString& destino)
{
    const QString fichero = FicheroSalida(destino);
    if (fichero.isEmpty())
        return;
    if (destino == QLatin1String("PDF") || destino == QLatin1String("HTML")) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(fichero)); // no viewer: nothing visible happens
        return;
    }
    const bool hoja = destino == QLatin1String("EXCEL");
    QString parametros = PerfilPrivado();
    // Calc reads the exported CSV as it was written: ";" between fields,
    // quotation marks around text, UTF-8; it asks nothing.
    if (hoja)
        parametros += QStringLiteral(" \"--infilter=Text - txt - csv (StarCalc):59,34,76\"");
    parametros += QLatin1Char(' ') + Comillas(fichero);
    const QString programa = CarpetaWord() + (hoja ? QStringLiteral("/scalc") : QStringLiteral("/swriter"));
    EsperaPrograma(EjecutaPrograma(programa, parametros, false));
}

QIcon IconoSalida(TIconoSalida icono)
{
    QStyle* estilo = QApplication::style();
    switch (icono) {
    case TIconoSalida::Aceptar:
        return QIcon::fromTheme(QStringLiteral("dialog-ok"), estilo->standardIcon(QStyle::SP_DialogOkButton));
    case TIconoSalida::Cancelar:
        return QIcon::fromTheme(QStringLiteral("dialog-cancel"), estilo->standardIcon(QStyle::SP_DialogCancelButton));
    case TIconoSalida::Internet:
        return QIcon::fromTheme(QStringLiteral("applications-internet"), estilo->standardIcon(QStyle::SP_DriveNetIcon));
    case TIconoSalida::Word:
        return QIcon::fromTheme(QStringLiteral("x-office-document"), estilo->standardIcon(QStyle::SP_FileIcon));
    case TIconoSalida::Pdf:
        return QIcon::fromTheme(QStringLiteral("application-pdf"), estilo->standardIcon(QStyle::SP_FileDialogContentsView));
    case TIconoSalida::Excel:
        return QIcon::fromTheme(QStringLiteral("x-office-spreadsheet"), estilo->standardIcon(QStyle::SP_FileDialogListView));
    }
    return {};
}

void IconosBotones(QWidget* pantalla)
{
    static const std::pair<const char*, TIconoSalida> kBotones[] = {
        {"BtAceptar", TIconoSalida::Aceptar}, {"BtCancelar", TIconoSalida::Cancelar},
        {"BtInternet", TIconoSalida::Internet}, {"BtWord", TIconoSalida::Word},
        {"BtPdf", TIconoSalida::Pdf},           {"BtHtml", TIconoSalida::Internet},
        {"BtExcel", TIconoSalida::Excel}};
    for (QAbstractButton* b : pantalla->findChildren<QAbstractButton*>()) {
        for (const auto& [nombre, icono] : kBotones) {
            if (b->objectName() == QLatin1String(nombre))
                b->setIcon(IconoSalida(icono));
        }
    }
}

bool DocumentoRtfCompleto(const QByteArray& bytes)
{
    if (!Rtf::isRtf(bytes))
        return false;
    qsizetype fin = bytes.size();
    while (fin > 0 && (bytes[fin - 1] == '\0' || QChar::isSpace(static_cast<uchar>(bytes[fin - 1]))))
        --fin;
    return fin > 0 && bytes[fin - 1] == '}';
}

namespace {

// The working files holding an edit not stored, by full path, with the key of
// their document.
QHash<QString, QString>& Pendientes()
{
    static QHash<QString, QString> pendientes;
    return pendientes;
}

QString Ruta(const QString& fichero) { return QFileInfo(fichero).absoluteFilePath(); }

} // namespace

void EdicionSinGuardar(const QString& fichero, const QString& clave) { Pendientes().insert(Ruta(fichero), clave); }

void EdicionGuardada(const QString& fichero) { Pendientes().remove(Ruta(fichero)); }

void LiberaFicheroTrabajo(const QString& fichero)
{
    const QString ruta = Ruta(fichero);
    if (!Pendientes().contains(ruta) || !QFileInfo::exists(ruta)) {
        Pendientes().remove(ruta);
        QFile::remove(ruta);
        return;
    }
    const QFileInfo f(ruta);
    const QString aparte = f.absolutePath() + QLatin1Char('/') + f.completeBaseName() + QStringLiteral("-sin-guardar-") +
                           QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                           QLatin1Char('.') + f.suffix();
    if (!QFile::rename(ruta, aparte))
        throw EUtilesError(QStringLiteral("No se puede renombrar el fichero %1, que guarda lo editado sin guardar")
                               .arg(QDir::toNativeSeparators(ruta)));
    Pendientes().remove(ruta);
    Mensaje(QStringLiteral("Lo editado que no llegó a guardarse queda en el fichero %1.").arg(QDir::toNativeSeparators(aparte)),
            true);
}

bool RecuperaEdicion(const QString& fichero, const QString& clave, const QByteArray& guardado)
{
    const QString ruta = Ruta(fichero);
    if (Pendientes().value(ruta) == clave && QFileInfo::exists(ruta)) {
        if (CargaFichero(ruta) == guardado) {
            EdicionGuardada(ruta); // it was stored after all
        } else if (Pregunta(QStringLiteral("Lo editado en este documento no llegó a guardarse y sigue en el fichero %1.\r"
                                           "¿Desea seguir editándolo?")
                                .arg(QDir::toNativeSeparators(ruta)),
                            {QStringLiteral("&Sí"), QStringLiteral("&No")}) == 1) {
            return true;
        }
    }
    LiberaFicheroTrabajo(ruta);
    return false;
}

std::optional<QByteArray> EditaEnProcesador(QWidget* pantalla, TProcesadorTextos procesador, const QString& fichero,
                                            const QString& clave)
{
    const bool word = procesador == TProcesadorTextos::Word;
    const QString programa = (word ? CarpetaWord() : CarpetaOpenOffice()) + QStringLiteral("/swriter");
    const QString parametros = (word ? PerfilPrivado() + QLatin1Char(' ') : QString()) + Comillas(fichero);
    if (pantalla)
        pantalla->hide();
    int estado = -1;
    try {
        estado = EsperaPrograma(EjecutaPrograma(programa, parametros, false),
                                word ? QString() : QStringLiteral("soffice.bin"));
    } catch (const EUtilesError& e) {
        if (pantalla)
            pantalla->show();
        Mensaje(e.Message());
        return std::nullopt;
    }
    if (pantalla)
        pantalla->show();
    if (!QFileInfo::exists(fichero))
        return std::nullopt;
    const QString conserva = QStringLiteral("Se conserva el documento guardado; lo editado queda en el fichero %1.")
                                 .arg(QDir::toNativeSeparators(fichero));
    QByteArray editado;
    try {
        editado = CargaFichero(fichero);
    } catch (const EAviso& e) {
        if (!clave.isEmpty())
            EdicionSinGuardar(fichero, clave);
        Mensaje(e.Message() + u'\r' + conserva);
        return std::nullopt;
    }
    if (estado > 0 || !DocumentoRtfCompleto(editado)) {
        if (!clave.isEmpty())
            EdicionSinGuardar(fichero, clave);
    }
    if (estado > 0) {
        Mensaje(QStringLiteral("El procesador de textos ha terminado con error (código %1).\r").arg(estado) + conserva);
        return std::nullopt;
    }
    if (!DocumentoRtfCompleto(editado)) {
        Mensaje(QStringLiteral("El documento editado está vacío o no es un documento RTF completo.\r") + conserva);
        return std::nullopt;
    }
    return editado;
}

void WriteStarterDocument(const QString& fichero, const QString& tipo)
{
    QStringList lineas{QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang3082{\\fonttbl{\\f0\\fnil MS Sans Serif;}}"),
                       QStringLiteral("\\viewkind4\\uc1\\pard\\f0\\fs16")};
    if (tipo == QLatin1String("C")) {
        lineas << QStringLiteral("\\par CAMPOS DISPONIBLES") << QStringLiteral("\\par ")
               << QStringLiteral("\\par [Lugar] \\endash  Lugar de celebracion convocatoria")
               << QStringLiteral("\\par [Fecha1] \\endash  Fecha de la convocatoria")
               << QStringLiteral("\\par [Hora1] \\endash  Hora primera convocatoria")
               << QStringLiteral("\\par [Hora2] \\endash  Hora segunda convocatoria")
               << QStringLiteral("\\par [Convocatoria] \\endash  Convocatoria en que se celebra la junta y su hora")
               << QStringLiteral("\\par [Puntos] \\endash  Puntos a tratar")
               << QStringLiteral("\\par [Administrador] \\endash  Nombre administrador")
               << QStringLiteral("\\par [AdministradorCif] \\endash  Nif administrador")
               << QStringLiteral("\\par [AdministradorDomicilio] \\endash  Domicilio administrador")
               // The document's code page writes "ó" as \'f3.
               << QStringLiteral("\\par [AdministradorPoblacion] \\endash  Poblaci\\'f3n administrador")
               << QStringLiteral("\\par [Comunidad] \\endash  Nombre comunidad")
               << QStringLiteral("\\par [ComunidadDomicilio] \\endash  Domicilio comunidad")
               << QStringLiteral("\\par [ComunidadPoblacion] \\endash  Poblacion comunidad")
               << QStringLiteral("\\par [Presidente] \\endash  Presidente comunidad")
               << QStringLiteral("\\par [Asistentes] \\endash  Asistentes")
               << QStringLiteral("\\par [Deudores] \\endash  Deudores")
               << QStringLiteral("\\par [Resultados] \\endash  Resultados de las votaciones")
               << QStringLiteral("\\par [Fecha] \\endash  Fecha del dia");
    }
    lineas << QStringLiteral("\\par }");
    GuardaFichero(Entorno.CaminoPrograma + QLatin1Char('/') + fichero, lineas.join(QStringLiteral("\r\n")).toLatin1());
}

void AbreEnWord(const QString& fichero)
{
    EsperaPrograma(EjecutaPrograma(CarpetaWord() + QStringLiteral("/swriter"),
                                   PerfilPrivado() + QLatin1Char(' ') + Comillas(fichero), false));
}
