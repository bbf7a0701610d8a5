#pragma once
// What every screen that asks for a supplied listing shares: "&Aceptar" to
// the preview and four small buttons to a file for the word processor, the
// spreadsheet, the PDF viewer and the web browser, with their shared icons;
// the run with the screen's condition lines; F2 in the screen's lookup.
#include <QDialog>
#include <QStringList>

class QBoxLayout;
class QPushButton;
class TFIBHYGEditFind;

class TFPideListado : public QDialog {
    Q_OBJECT
public:
    QPushButton* BtAceptar = nullptr;
    QPushButton* BtWord = nullptr;
    QPushButton* BtExcel = nullptr;
    QPushButton* BtPdf = nullptr;
    QPushButton* BtHtml = nullptr;

    // The conditions handed to the listing.
    virtual QStringList Lineas() const = 0;
    // Runs the listing to `destino` ("" the preview) and opens what it exported.
    void Ejecuta(const QString& destino);

protected:
    TFPideListado(int listado, QWidget* parent);
    // Adds the row of buttons to `capas`.
    void AnadeBotones(QBoxLayout* capas);
    // The lookup whose search F2 opens.
    TFIBHYGEditFind* Busqueda = nullptr;
    void keyPressEvent(QKeyEvent* e) override;

private:
    int listado_;
};
