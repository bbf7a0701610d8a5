#pragma once
// "Listado citas": the appointments of a range of days, of one user or of
// every user, to the preview or to a file for the word processor, the
// spreadsheet, the PDF or the web viewer. The listing is the supplied one,
// number 9009.
#include <QDialog>

class QDateEdit;
class QLabel;
class QPushButton;
class TFIBHYGEditFind;

class TFListCitas : public QDialog {
    Q_OBJECT
public:
    explicit TFListCitas(QWidget* parent = nullptr);

    QDateEdit* DDesde;
    QDateEdit* DHasta;
    TFIBHYGEditFind* EdUsuario;
    QLabel* LUsuario;
    QPushButton* BtAceptar;
    QPushButton* BtWord;
    QPushButton* BtExcel;
    QPushButton* BtPdf;
    QPushButton* BtHtml;

    // The conditions handed to the listing: the range's two ends, the user
    // when one is given, and only the slots with a text.
    QStringList Lineas() const;
    // Runs the listing to `destino` and opens what it exported.
    void Ejecuta(const QString& destino);

protected:
    // F2 in the user box opens its search.
    void keyPressEvent(QKeyEvent* e) override;

private:
    void MuestraNombre();
};

// The command "Listado citas" of the main window.
void RegistraOrdenesListCitas();
