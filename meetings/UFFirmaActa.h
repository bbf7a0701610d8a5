#pragma once
// Signing the minutes of a convocation with the administrator's certificate
// and checking a signed PDF: the dialogs "Firmar acta" (which certificate,
// its password, a .p12/.pfx file imported) and "Configuración de la firma"
// (store, block text, position), and the steps around them.
#include "UFirmaPdf.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class TFIBDatabase;
class TFIBTransaction;

// "Firmar acta": accepted with a certificate that may sign and its right
// password.
class TFFirmaActa : public QDialog {
    Q_OBJECT
public:
    explicit TFFirmaActa(QWidget* padre = nullptr);
    TCertificado Certificado() const;
    QString Clave() const;
    void accept() override;

    QListWidget* LCertificados;
    QLineEdit* EClave;

private:
    void Llena(const QString& elegido = {});
    void Importa();
    QList<TCertificado> certificados_;
};

// "Configuración de la firma".
class TFAjustesFirma : public QDialog {
    Q_OBJECT
public:
    explicit TFAjustesFirma(QWidget* padre = nullptr);
    void accept() override;

    QComboBox* CbAlmacen;
    QPlainTextEdit* MTexto;
    QComboBox* CbPosicion;
};

// What is signed: the community's convocation and its stored minutes (RTF).
struct TActaAFirmar {
    int Comunidad = 0;
    int Convocatoria = 0;
    QString NombreComunidad;
    QByteArray Acta;
};

// Makes the PDF of the minutes, asks for the certificate, signs and stores
// the signed PDF. False when the user gave up; refusals throw EAviso with
// nothing stored.
bool FirmaActa(QWidget* padre, TFIBDatabase& db, TFIBTransaction& tr, const TActaAFirmar& acta);

// "Comprobar firma" on a PDF: the checking told in a message box.
void ComprobarFirma(QWidget* padre, const QByteArray& pdf);
