#pragma once
// What leaves the convocations' workspace as a PDF: the letter or the
// minutes made into a PDF file from the stored document at the moment it is
// sent, and the minutes published on the administrator's web server by FTP.
#include <QByteArray>
#include <QString>
#include <optional>

class QLineEdit;

// Writes the stored RTF document as the PDF file `destino` (a full path,
// overwritten), converted by the word processor's program (LibreOffice,
// headless, with a profile of its own). Throws EAviso, the file then gone,
// when the conversion cannot be made.
void DocumentoPdf(const QByteArray& rtf, const QString& destino);

// The installation's FTP server (SYS_PARAMETROS: HOST, USUARIO, CLAVE,
// PUERTO, 0 for 21), when it can be used: a missing host, user or password,
// or no network, is told in a plain message box and gives nothing. The user
// and the password are as stored.
struct TServidorFtp {
    QString Host;
    QString Usuario;
    QString Clave;
    int Puerto = 0;
};
std::optional<TServidorFtp> ServidorFtp();

// Stores `directorioLocal` + "/" + `fichero` on the installation's FTP server
// (ServidorFtp, checked first) as `directorioRemoto` + `fichero`, showing its
// steps in `estado`. An FTP failure throws EUtilesError with the client's
// error, the status box keeping its last text. Ends with "Fichero
// publicado." (true); false when the server cannot be used.
bool UploadFile(const QString& fichero, const QString& directorioRemoto, const QString& directorioLocal,
                QLineEdit* estado);

// The remote folder of a community's minutes: DIRECTORIO + "com" + the
// community's code in three digits + "/".
QString DirectorioActas(const QString& directorio, int comunidad);

// Publishes the minutes `acta` (RTF) in the community's folder of the
// installation's FTP server (DirectorioActas): the server is checked, then
// the minutes are made into "ACTA.PDF" of the program folder (the signed
// minutes `pdfFirmado` as they are, when given) and uploaded; true once
// published.
bool PublishMinutes(QLineEdit* estado, const QByteArray& acta, const QByteArray& pdfFirmado = {});
