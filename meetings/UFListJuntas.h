#pragma once
// "Listado de juntas": the attendance of one convocation of the current
// community, by property or by owner, to the preview or to a file for the
// word processor, the spreadsheet, the PDF or the web viewer. The listing is
// the supplied one, number 9000.
#include <QDialog>

class QComboBox;
class QPushButton;
class TFIBHYGEditFind;

class TFListJuntas : public QDialog {
    Q_OBJECT
public:
    explicit TFListJuntas(QWidget* parent = nullptr);

    TFIBHYGEditFind* EdConvoca;
    QComboBox* CbOrden;
    QPushButton* BtAceptar;
    QPushButton* BtWord;
    QPushButton* BtExcel;
    QPushButton* BtPdf;
    QPushButton* BtHtml;

    // The conditions handed to the listing: community, convocation (the
    // field's text; empty makes it inactive), attendance and the order.
    QStringList Lineas() const;
    // Runs the listing to `destino` and opens what it exported.
    void Ejecuta(const QString& destino);

protected:
    // F2 in the convocation field opens its search.
    void keyPressEvent(QKeyEvent* e) override;
};

// The command "Listado de juntas" of the main window.
void RegistraOrdenesListJuntas();
