#pragma once
// "Editor de textos": the templates the notice letters and minutes start
// from, each an RTF document with merge fields, edited in a word processor.
#include "UDMBase.h"
#include "UFBase.h"
#include "USalida.h"

#include <memory>

class TDBEdit;
class TDBComboBoxValue;

class TDMTexto : public TDMBase {
public:
    TDMTexto();
    TFIBTableSet QTabla;
};

class TFTexto : public TFBase {
    Q_OBJECT
public:
    TFTexto();
    ~TFTexto() override;
    TDMTexto* DM() const { return dm_.get(); }
    TDBEdit* DBECodigo;
    TDBEdit* DBENombre;
    TDBComboBoxValue* DBCTipo;
    QToolButton* TbWord;
    QToolButton* TbOpenOffice;

    // Edits the current template's document in the word processor ("tmp.rtf"
    // in the program folder; a template without a document starts as the
    // sheet of merge fields) and stores it back.
    void ConfeccionaTexto(TProcesadorTextos procesador);

private:
    std::unique_ptr<TDMTexto> dm_;
};
