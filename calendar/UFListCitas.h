#pragma once
// "Listado citas": the appointments of a range of days, of one user or of
// every user, to the preview or to a file for the word processor, the
// spreadsheet, the PDF or the web viewer. The listing is the supplied one,
// number 9009.
#include "UFPideListado.h"

class TEditorFecha;
class QLabel;
class TFIBHYGEditFind;

class TFListCitas : public TFPideListado {
    Q_OBJECT
public:
    explicit TFListCitas(QWidget* parent = nullptr);

    TEditorFecha* DDesde;
    TEditorFecha* DHasta;
    TFIBHYGEditFind* EdUsuario;
    QLabel* LUsuario;

    // The conditions handed to the listing: the range's two ends, the user
    // when one is given, and only the slots with a text.
    QStringList Lineas() const override;

private:
    void MuestraNombre();
};

// The command "Listado citas" of the main window.
void RegistraOrdenesListCitas();
