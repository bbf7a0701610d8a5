#pragma once
// The buttons of a screen that asks for a supplied listing: "&Aceptar" to the
// preview and four small ones to a file for the word processor, the
// spreadsheet, the PDF viewer and the web browser, with their shared icons.
// Each runs the screen's action with its target ("" for the preview) and
// shows what goes wrong.
#include <QString>
#include <functional>

class QBoxLayout;
class QPushButton;
class QWidget;

struct TBotonesListado {
    QPushButton* BtAceptar = nullptr;
    QPushButton* BtWord = nullptr;
    QPushButton* BtExcel = nullptr;
    QPushButton* BtPdf = nullptr;
    QPushButton* BtHtml = nullptr;
};

// Adds the buttons to `fila`, in `pantalla`, each one calling `ejecuta`.
TBotonesListado AnadeBotonesListado(QWidget* pantalla, QBoxLayout* fila,
                                    const std::function<void(const QString& destino)>& ejecuta);
