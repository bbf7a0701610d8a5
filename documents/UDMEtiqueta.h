#pragma once
// The data of the label screen: the owner-address rows of the current
// community chosen by code range, e-mail address and language, or by the
// owners' selection mark (TEXTO = 1); the label formats (SYS_FORMATOS with
// TIPO 2); and the two ways out: the report engine's labels and an RTF label
// sheet merged with the addresses.
#include "ReportDocument.h"
#include "UDMBase.h"

#include <QByteArray>
#include <QString>

// What the label screen's fields say, as typed.
struct TPeticionEtiquetas {
    QString Desde;   // owner codes
    QString Hasta;
    QString Formato; // label format code
    QString Idioma;  // language code; blank for every language
    QString Orden = QStringLiteral("CODIGO"); // a column of VER_PROPIETARIO_DIRE
    bool Selectivo = false; // the owners marked in "Selectivo" instead of range, e-mail and language
    enum TCorreo { Todos, ConCorreo, SinCorreo } Correo = Todos;
};

class TDMEtiqueta : public TDMBase {
public:
    TDMEtiqueta();
    ~TDMEtiqueta() override;

    // "frDBDataSet1" of the label formats: VER_PROPIETARIO_DIRE rows.
    TFIBDataSet QEtiqueta;
    TFIBDataSet QAdministrador;
    TFIBDataSet QFormatos; // every label format, by code
    TFIBDataSet QFormato;  // the chosen one

    // The screen's starting values: the lowest and highest owner codes of
    // the community other than 0 (empty without owners) and the first
    // label format (empty without formats).
    QString PrimerPropietario() const { return primero_; }
    QString UltimoPropietario() const { return ultimo_; }
    QString PrimerFormato() const { return primerFormato_; }

    // The names shown beside the codes: empty for a code that does not
    // exist or is not a number.
    QString NombrePropietario(const QString& codigo);
    QString NombreFormato(const QString& codigo);
    QString NombreIdioma(const QString& codigo);

    // The statement of the owner-address rows for a request.
    static QStringList SentenciaEtiquetas(const TPeticionEtiquetas& p);

    // The shared steps: checks that there are label formats and that the
    // chosen one has a document (EAviso otherwise), opens the administrator
    // row and the owner-address rows, and returns the format's document.
    // Codes that are not whole numbers stop with EConvertError.
    QByteArray Prepara(const TPeticionEtiquetas& p);

    // "Aceptar": the format written to "tmp.rtf" in the program folder,
    // loaded as a report-engine format and laid out with the rows.
    qdr::Document EtiquetasInforme(const TPeticionEtiquetas& p);
    // "Word": the format written to "tmp2.rtf" in the program folder, merged
    // as an RTF label sheet with the rows and saved there again; returns the
    // file's full path.
    QString EtiquetasWord(const TPeticionEtiquetas& p);

private:
    QString Nombre(const QString& sql, const QString& parametro, const QString& codigo);
    QString primero_, ultimo_, primerFormato_;
};
