#pragma once
// "Mantenimiento de formatos": the stored formats, each a report designed
// with the engine's designer or an RTF label sheet edited in the word
// processor; they travel between installations as exchange pairs and can be
// copied under another code. Label printing reads the label formats (type 2).
#include "UDMBase.h"
#include "UFBase.h"

#include <memory>
#include <vector>

class TDBEdit;
class TDBComboBoxValue;
namespace qdr {
class ReportData;
class TFIBReportSource;
} // namespace qdr

class TDMFormatos : public TDMBase {
public:
    TDMFormatos();
    ~TDMFormatos() override;

    TFIBTableSet QTabla;
    // What a format is designed with: the active owners' addresses of the
    // current community (frDBDataSet1) and the administrator.
    TFIBDataSet QEtiqueta;
    TFIBDataSet QAdministrador;
    const qdr::ReportData& Datos() const { return *datos_; }

    // Stores a document as the current format.
    void GuardaFormato(const QByteArray& formato);
    // The ".TXT" lines of the current format: name and type.
    QStringList LineasIntercambio();
    bool ExisteCodigo(int codigo);
    // The highest code plus one (1 on an empty table).
    int SiguienteCodigo();
    // Imports a pair: over the format with the file's code (found by the
    // quick search; EAviso when it is not the one found) or as a new format
    // with the next code. The type is line 2 as a whole number.
    void Importa(const QString& frf, const QStringList& lineas, int codigo, bool reemplaza);
    // Copies the current format to a new code (EAviso when it is its own
    // or is taken); the document goes through "DmFormatos.tmp".
    void Duplica(int codigo);

private:
    std::vector<std::unique_ptr<qdr::TFIBReportSource>> fuentes_;
    std::unique_ptr<qdr::ReportData> datos_;
};

class TFFormatos : public TFBase {
    Q_OBJECT
public:
    TFFormatos();
    ~TFFormatos() override;
    TDMFormatos* DM() const { return dm_.get(); }

    TDBEdit* DBECodigo;
    TDBEdit* DBENombre;
    TDBComboBoxValue* DBCTipo;
    QToolButton* TbConfeccion;
    QToolButton* TbWord;
    QToolButton* TbImportar;
    QToolButton* TbExportar;
    QToolButton* TbDuplicar;

    // "Confección formato": the designer over the current format, stored
    // back only when "tmp.frf" was saved.
    void Confecciona();
    // "Confección formato etiquetas con Word", through "tmp.rtf".
    void EditaEnWord();
    void Importa();
    void Exporta();
    void Duplica();

private:
    std::unique_ptr<TDMFormatos> dm_;
};

// The command "Formatos" of the main window.
void RegistraOrdenesFormatos();
