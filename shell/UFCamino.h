#pragma once
#include "UDMMain.h"

#include <QDialog>

class QLineEdit;

// The database path dialog of start-up: "Reintentar" tries the path in the
// field again, "Cancelar" (or closing the window) gives up.
class TFCamino : public QDialog {
    Q_OBJECT
public:
    explicit TFCamino(const QString& camino, QWidget* parent = nullptr);
    QString Camino() const;
    QLineEdit* EdCamino;

private:
    void Examinar();
};

// What start-up asks of the user, through the program's message box and
// this dialog.
TDialogosArranque DialogosArranque();
