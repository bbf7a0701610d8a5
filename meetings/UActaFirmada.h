#pragma once
// The signed minutes of a convocation, its legal record (ACTAS_FIRMADAS):
// the signed PDF, who signed and when, and the fingerprint of the stored
// minutes that were signed. Minutes changed since no longer match it; the
// row then stays as the previous signed version until a new one is signed.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

class TFIBDatabase;
class TFIBTransaction;

struct TActaFirmada {
    QByteArray Pdf;
    QString Firmante;
    QDateTime Fecha;
    QString Huella;
    // The signature still holds for these stored minutes (RTF).
    bool Vigente(const QByteArray& acta) const;
    // "Acta firmada por … el …", or what became of it when the minutes
    // changed afterwards.
    QString Estado(const QByteArray& acta) const;
};

// The SHA-256 of the stored minutes, in hexadecimal.
QString HuellaActa(const QByteArray& acta);

// The convocation's signed minutes, if it has them; without the PDF unless
// `conPdf`.
std::optional<TActaFirmada> LeeActaFirmada(TFIBDatabase& db, TFIBTransaction& tr, int comunidad, int convocatoria,
                                           bool conPdf);
// Stores them in place of the earlier ones, and commits (retaining).
void GuardaActaFirmada(TFIBDatabase& db, TFIBTransaction& tr, int comunidad, int convocatoria, const TActaFirmada& a);
