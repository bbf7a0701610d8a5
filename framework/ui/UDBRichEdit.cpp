#include "UDBRichEdit.h"
#include "FIBDataSet.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QTextEdit>

TDBRichEdit::TDBRichEdit(QWidget* parent) : TRichEditRtf(parent)
{
    enlace_.OnDataChange = [this] { Muestra(); };
    enlace_.OnEditingChange = [this] { setReadOnly(!enlace_.Editing()); };
    enlace_.OnUpdateData = [this] { enlace_.Field()->SetAsBytes(rtf()); };
    setReadOnly(true);
    connect(this, &TRichEditRtf::modificationChanged, this, [this](bool modificado) {
        if (modificado && !mostrando_)
            enlace_.Modified();
    });
    editor()->installEventFilter(this);
}

void TDBRichEdit::Muestra()
{
    const TField* f = enlace_.Field();
    const QByteArray bytes = f ? f->AsBytes() : QByteArray();
    // The same document again keeps the cursor where the user has it.
    if (!isModified() && bytes == rtf())
        return;
    mostrando_ = true;
    setRtf(bytes);
    mostrando_ = false;
}

bool TDBRichEdit::eventFilter(QObject* objeto, QEvent* e)
{
    if (objeto == editor()) {
        if (e->type() == QEvent::FocusOut) {
            EscribeAlSalir(this, enlace_, static_cast<QFocusEvent*>(e));
        } else if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape &&
                   enlace_.IsModified()) {
            // Esc drops what was typed; without changes it goes on to the screen.
            enlace_.Reset();
            return true;
        }
    }
    return TRichEditRtf::eventFilter(objeto, e);
}
