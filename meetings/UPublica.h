#pragma once
// What leaves the convocations' workspace as a PDF: the letter or the
// minutes made into a PDF file from the stored document at the moment it is
// sent, and the minutes published on the administrator's web server by FTP.
#include <QByteArray>
#include <QString>

class QLineEdit;

// Writes the stored RTF document as the PDF file `destino` (a full path,
// overwritten), converted by the word processor's program (LibreOffice,
// headless, with a profile of its own). Throws EAviso, the file then gone,
// when the conversion cannot be made.
void DocumentoPdf(const QByteArray& rtf, const QString& destino);

// Stores `directorioLocal` + "/" + `fichero` on the FTP server of the
// installation's parameters (SYS_PARAMETROS: HOST, USUARIO, CLAVE, PUERTO,
// 0 for 21) as `directorioRemoto` + `fichero`, showing its steps in
// `estado`. A missing host, user or password, or no network, is told and
// nothing is sent (false); an FTP failure throws EUtilesError with the
// client's error, the status box keeping its last text. Ends with "Fichero
// publicado." (true).
bool UploadFile(const QString& fichero, const QString& directorioRemoto, const QString& directorioLocal,
                QLineEdit* estado);

// The remote folder of a community's minutes: DIRECTORIO + "com" + the
// community's code in three digits + "/".
QString DirectorioActas(const QString& directorio, int comunidad);

// Publishes "ACTA.PDF" of the program folder in the community's folder of
// the installation's FTP server (DirectorioActas); true once published.
bool PublishMinutes(QLineEdit* estado);
