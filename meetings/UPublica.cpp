#include "UPublica.h"
#include "FIBError.h"
#include "FIBQuery.h"
#include "EUtilesError.h"
#include "UDMMain.h"
#include "UFtp.h"
#include "UPerfil.h"
#include "UProcesos.h"
#include "USalida.h"
#include "UTextos.h"
#include "WaitCursor.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QUrl>

namespace {

// The plain message box of the publishing steps.
void Aviso(const QString& texto)
{
    QMessageBox caja(QMessageBox::NoIcon, QApplication::applicationName(), texto, QMessageBox::Ok,
                     QApplication::activeWindow());
    caja.exec();
}

void Estado(QLineEdit* estado, const QString& texto)
{
    if (!estado)
        return;
    estado->setText(texto);
    estado->repaint();
}

QString Comillas(const QString& texto) { return QLatin1Char('"') + texto + QLatin1Char('"'); }

} // namespace

void DocumentoPdf(const QByteArray& rtf, const QString& destino)
{
    const QString nombre = QFileInfo(destino).completeBaseName();
    QFile::remove(destino);
    auto falla = [](const QString& motivo) {
        return EAviso(QStringLiteral("No se ha podido convertir el documento a PDF: %1.").arg(motivo));
    };
    QTemporaryDir carpeta;
    if (!carpeta.isValid())
        throw falla(QStringLiteral("no hay carpeta temporal"));
    const QString documento = carpeta.filePath(nombre + QStringLiteral(".rtf"));
    GuardaFichero(documento, rtf);
    // A profile of the conversion's own: an office the user has open does
    // not take the work, and the process waited for is the one converting.
    const QString perfil = QStringLiteral("-env:UserInstallation=") +
                           QUrl::fromLocalFile(CarpetaConfiguracion() + QStringLiteral("/libreoffice-pdf"))
                               .toString(QUrl::FullyEncoded);
    const QString parametros = perfil + QStringLiteral(" --headless --convert-to pdf --outdir ") +
                               Comillas(carpeta.path()) + QLatin1Char(' ') + Comillas(documento);
    int estado = -1;
    {
        TWaitCursor espera;
        try {
            estado = EsperaPrograma(EjecutaPrograma(CarpetaWord() + QStringLiteral("/soffice"), parametros, true));
        } catch (const EUtilesError&) {
            throw falla(QStringLiteral("no se puede iniciar %1").arg(QDir::toNativeSeparators(CarpetaWord() + QStringLiteral("/soffice"))));
        }
    }
    const QString hecho = carpeta.filePath(nombre + QStringLiteral(".pdf"));
    if (estado != 0)
        throw falla(QStringLiteral("el procesador de textos ha terminado con error (código %1)").arg(estado));
    if (QFileInfo(hecho).size() <= 0)
        throw falla(QStringLiteral("el procesador de textos no ha creado el fichero"));
    if (!QFile::copy(hecho, destino))
        throw EUtilesError(QStringLiteral("No se puede escribir el fichero %1").arg(QDir::toNativeSeparators(destino)));
}

QString DirectorioActas(const QString& directorio, int comunidad)
{
    return directorio + QStringLiteral("com") + QStringLiteral("%1").arg(comunidad, 3, 10, QLatin1Char('0')) +
           QLatin1Char('/');
}

std::optional<TServidorFtp> ServidorFtp()
{
    TFIBQuery parametros;
    parametros.SetDatabase(&DMMain->DataBase);
    parametros.SetTransaction(&DMMain->TGenerica);
    parametros.SetSQL(QStringLiteral("SELECT * FROM SYS_PARAMETROS"));
    parametros.ExecQuery();
    auto valor = [&](const char* campo) {
        return parametros.Eof() ? QString() : parametros.FieldByName(QString::fromLatin1(campo))->AsString();
    };
    // The user and the password go to the server as they are stored: a
    // blank may be part of either. Only a host name has no blanks.
    TServidorFtp s{Recorta(valor("HOST")), valor("USUARIO"), valor("CLAVE"),
                   parametros.Eof() ? 0 : static_cast<int>(parametros.FieldByName(QStringLiteral("PUERTO"))->AsInteger())};
    parametros.Close();
    if (s.Host.isEmpty()) {
        Aviso(QStringLiteral("Nombre Host no valido"));
        return std::nullopt;
    }
    if (Recorta(s.Usuario).isEmpty()) {
        Aviso(QStringLiteral("Nombre Usuario no valido"));
        return std::nullopt;
    }
    if (Recorta(s.Clave).isEmpty()) {
        Aviso(QStringLiteral("Clave no valida"));
        return std::nullopt;
    }
    if (SinConexion(s.Host)) {
        Aviso(QStringLiteral("Primero debe conectarse a Internet"));
        return std::nullopt;
    }
    return s;
}

namespace {

// The upload itself, to a server already checked.
void Sube(const TServidorFtp& s, const QString& fichero, const QString& directorioRemoto,
          const QString& directorioLocal, QLineEdit* estado)
{
    TClienteFtp ftp;
    Estado(estado, QStringLiteral("Conectando con el servidor ..."));
    if (ftp.Conectado())
        ftp.Desconecta();
    ftp.Conecta(s.Host, s.Puerto, s.Usuario, s.Clave);
    Estado(estado, QStringLiteral("Publicando fichero ..."));
    ftp.Sube(directorioLocal + QLatin1Char('/') + fichero, directorioRemoto + fichero);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    ftp.Desconecta();
    Estado(estado, QStringLiteral(" "));
    Aviso(QStringLiteral("Fichero publicado."));
}

} // namespace

bool UploadFile(const QString& fichero, const QString& directorioRemoto, const QString& directorioLocal,
                QLineEdit* estado)
{
    const std::optional<TServidorFtp> s = ServidorFtp();
    if (!s)
        return false;
    Sube(*s, fichero, directorioRemoto, directorioLocal, estado);
    return true;
}

bool PublishMinutes(QLineEdit* estado, const QByteArray& acta, const QByteArray& pdfFirmado)
{
    TFIBQuery parametros;
    parametros.SetDatabase(&DMMain->DataBase);
    parametros.SetTransaction(&DMMain->TGenerica);
    parametros.SetSQL(QStringLiteral("SELECT DIRECTORIO FROM SYS_PARAMETROS"));
    parametros.ExecQuery();
    const QString directorio = parametros.Eof() ? QString() : Recorta(parametros.Fields(0)->AsString());
    parametros.Close();
    // The server's parameters are checked before the minutes are converted:
    // a conversion that cannot be published is work lost.
    const std::optional<TServidorFtp> s = ServidorFtp();
    if (!s)
        return false;
    const QString pdf = Entorno.CaminoPrograma + QStringLiteral("/ACTA.PDF");
    if (pdfFirmado.isEmpty())
        DocumentoPdf(acta, pdf);
    else
        GuardaFichero(pdf, pdfFirmado);
    TWaitCursor espera;
    Sube(*s, QStringLiteral("ACTA.PDF"), DirectorioActas(directorio, Entorno.Comunidad), Entorno.CaminoPrograma,
         estado);
    return true;
}
