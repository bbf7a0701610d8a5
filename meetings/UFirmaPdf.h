#pragma once
// PDF documents signed with the user's own certificate, and their signatures
// checked. The certificates live in NSS stores: the one chosen in the
// settings (the desktop's ~/.pki/nssdb or a Firefox profile), opened read
// only, and those imported from .p12/.pfx files into the program's own store
// (one database per certificate under the configuration folder, guarded by
// the file's password). The signature is PAdES-Basic: adbe.pkcs7.detached,
// SHA-256, the signer's certificate embedded, with a visible block on the
// last page. Refusals throw EAviso with the message for the user; nothing is
// written then.
#include <QDateTime>
#include <QList>
#include <QString>

// Where the signature block goes on the last page.
enum class TPosicionFirma { AbajoDerecha, AbajoIzquierda, ArribaDerecha, ArribaIzquierda };

// The settings of signing, kept in the section [Firma] of quorumdesk.ini.
struct TAjustesFirma {
    // The NSS store's folder; empty for the desktop's (~/.pki/nssdb).
    QString Almacen;
    // The block's text: [Firmante], [Fecha] and [Comunidad] are replaced.
    QString Texto = TextoPorDefecto();
    TPosicionFirma Posicion = TPosicionFirma::AbajoDerecha;

    static QString TextoPorDefecto();
    static TAjustesFirma Lee();
    // Saves them and opens the store chosen from now on.
    void Guarda() const;
    // The block's text for a signer, a moment and a community.
    QString TextoBloque(const QString& firmante, const QDateTime& fecha, const QString& comunidad) const;
};

// A store the user may choose: its folder and how it is shown.
struct TAlmacen {
    QString Carpeta;
    QString Nombre;
};
// The desktop's store and the Firefox profiles' found on this machine.
QList<TAlmacen> AlmacenesDisponibles();

// A certificate with its private key, ready to sign.
struct TCertificado {
    QString Titular;  // the holder's common name
    QString Emisor;   // the issuer's common name
    QDateTime Caduca;
    QString Apodo;    // the NSS nickname, with its store
    bool Importado = false;
    bool Caducado() const { return Caduca < QDateTime::currentDateTimeUtc(); }
    // "Titular — caduca el dd/MM/yyyy" (or "caducado el ...").
    QString Descripcion() const;
};

// The signing certificates of the chosen store and of the program's own.
QList<TCertificado> CertificadosDeFirma();

// Imports a .p12/.pfx file into the program's own store, guarded by the
// file's password. A wrong password, a file without a private key, an
// unreadable or expired certificate is refused with nothing kept.
TCertificado ImportaCertificado(const QString& fichero, const QString& clave);

// Refuses (EAviso) an expired certificate or a wrong password.
void CompruebaCertificado(const TCertificado& certificado, const QString& clave);

// Signs the PDF file `origen` into `destino` with the block's text on the
// last page. Checks the certificate and its password first.
void FirmaPdf(const QString& origen, const QString& destino, const TCertificado& certificado, const QString& clave,
              const QString& textoBloque, TPosicionFirma posicion, const QString& motivo);

// What a signature of a PDF says.
struct TFirmaComprobada {
    enum class TEstado { Valida, Alterada, NoValida };
    TEstado Estado = TEstado::NoValida;
    QString Firmante;
    QDateTime Fecha;
    // The whole document but the signature itself is covered.
    bool Completa = false;
    QString Tipo;         // "adbe.pkcs7.detached", ...
    QString Certificado;  // what is known of the signer's certificate
};
// The signatures of a PDF document (none for an unsigned one); EAviso when
// the data is no PDF.
QList<TFirmaComprobada> CompruebaFirmas(const QByteArray& pdf);
// The checking told in words, as "Comprobar firma" shows it.
QString InformeFirmas(const QList<TFirmaComprobada>& firmas);
