#pragma once
#include <QWidget>

// The splash window shown while the program loads.
class TFInicio : public QWidget {
public:
    explicit TFInicio(QWidget* parent = nullptr);
    // Shows the window and paints it at once, before the event loop runs.
    void Muestra();
};

// The program's picture: a block of flats under a roof, used by the splash
// and the main window.
QPixmap ImagenPrograma(int lado);
