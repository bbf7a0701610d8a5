#pragma once
// "Listado de juntas": the attendance of one convocation of the current
// community, by property or by owner, to the preview or to a file for the
// word processor, the spreadsheet, the PDF or the web viewer. The listing is
// the supplied one, number 9000.
#include "UFPideListado.h"

class QComboBox;
class TFIBHYGEditFind;

class TFListJuntas : public TFPideListado {
    Q_OBJECT
public:
    explicit TFListJuntas(QWidget* parent = nullptr);

    TFIBHYGEditFind* EdConvoca;
    QComboBox* CbOrden;

    // The conditions handed to the listing: community, convocation (the
    // field's text; empty makes it inactive), attendance and the order.
    QStringList Lineas() const override;
};

// The command "Listado de juntas" of the main window.
void RegistraOrdenesListJuntas();
