#pragma once
// The backups' screens: "Copia de seguridad…" (any user) and "Restaurar
// copia…" (user 1) under "Archivos", the window that shows a copy's progress
// (also the one made when the program ends) and the notice of a failed
// automatic copy. The work itself is UCopias'.
#include "UCopias.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// A copy's window: the folder (for a copy the user asks for), the step and
// a progress bar. It stays painted while the engine works; the user's input
// waits.
class TFCopia : public QDialog {
    Q_OBJECT
public:
    // `conCarpeta`: the folder to copy into can be chosen and the copy is
    // started with "&Hacer copia"; without it the window only shows progress.
    explicit TFCopia(bool conCarpeta, QWidget* parent = nullptr);

    QLineEdit* EdCarpeta = nullptr;
    QPushButton* BtExaminar = nullptr;
    QPushButton* BtCopiar = nullptr;
    QPushButton* BtCerrar = nullptr;
    QLabel* LbPaso;
    QProgressBar* PbAvance;

    // Shows a step; `total` 0 shows a bar that only moves.
    TAvanceCopia Avance();
    // The copy into the folder typed or chosen: made, verified, told.
    void HazCopiaManual();

private:
    void Ocupado(bool ocupado);
};

void RegistraOrdenesCopias();
// "Restaurar copia…": chooses a copy and restores it over the session's database.
void RestauraCopiaSesion(const QString& fbk);
// When the program ends: the automatic copy, in a window of its own.
void CopiaFinal();
// At start-up: the failure of the last automatic copy, told once.
void AvisaFalloCopia();
