#pragma once
// The pseudo-key chooser: for a relation without primary key (a view), the
// columns that identify a row are picked from the relation's columns.
#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

class TFMCampos : public QDialog {
    Q_OBJECT
public:
    explicit TFMCampos(const QStringList& campos, QWidget* parent = nullptr);

    // The chosen columns, in the list's sorted order.
    QStringList PseudoClaves() const;

    QListWidget* LDisponibles; // "Campos disponibles..."
    QListWidget* LClaves;      // "Pseudo-claves..."
    QPushButton* BAnade;       // "->"
    QPushButton* BQuita;       // "<-"
    QPushButton* BAceptar;
    QPushButton* BCancelar;

private:
    static void Mueve(QListWidget* desde, QListWidget* hacia);
};

// Shows the chooser for a relation's columns: the chosen columns on
// "Aceptar", nothing on "Cancelar".
QStringList EligePseudoClaves(const QStringList& campos);

// Makes the table datasets offer this chooser when code sets AutoSQLdeVistas.
void InstalaEditorPseudoClaves();
