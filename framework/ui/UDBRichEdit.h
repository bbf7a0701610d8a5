#pragma once
// The rich-text editor bound to a blob field that holds an RTF document (an
// owner's or a property's remarks). It shows the field's document, is
// read-only unless the record is being edited, and writes the edited document
// back as RTF when it loses the focus or the record is posted; a document left
// untouched goes back byte for byte.
#include "RichEditRtf.h"
#include "UDBControles.h"

class TDBRichEdit : public TRichEditRtf {
    Q_OBJECT
public:
    explicit TDBRichEdit(QWidget* parent = nullptr);
    TDataSource* DataSource() const { return enlace_.DataSource(); }
    void SetDataSource(TDataSource* ds) { enlace_.Conecta(ds); }
    QString DataField() const { return enlace_.FieldName(); }
    void SetDataField(const QString& campo) { enlace_.SetFieldName(campo); }
    TField* Field() const { return enlace_.Field(); }

protected:
    bool eventFilter(QObject* objeto, QEvent* e) override;

private:
    void Muestra();
    TFieldDataLink enlace_;
    bool mostrando_ = false;
};
