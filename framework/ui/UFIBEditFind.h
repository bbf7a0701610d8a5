#pragma once
// The search field of the search dialog: as the user types, it rewrites the
// dialog's list to the rows whose code, or failing that whose name, begins
// with the text, and reopens it.
#include "FIBError.h"

#include <QLineEdit>
#include <QPointer>
#include <QStringList>
#include <QTimer>

class TFIBTableSet;

enum class TTipoBusqueda { Letra_a_Letra, Con_Enter };
enum class TEstado { Normal, Busqueda };

// A search field without dataset.
class ETablaError : public EFIBError {
public:
    using EFIBError::EFIBError;
};

// A search field without table or columns, or a search the server rejected.
class ENombreTablaError : public EFIBError {
public:
    using EFIBError::EFIBError;
};

// A text as a string literal between apostrophes, each one inside doubled, so
// that the text is data only (the pattern of a LIKE).
QString LiteralApostrofes(const QString& texto);

class TFIBEditFind : public QLineEdit {
    Q_OBJECT
public:
    explicit TFIBEditFind(QWidget* parent = nullptr);

    // The list searched. Binding a dataset opens it.
    TFIBTableSet* Dataset() const { return dataset_; }
    void SetDataset(TFIBTableSet* ds);
    QString CampoNum;       // code column
    QString CampoStr;       // name column
    QString CampoADevolver; // also listed when set
    TTipoBusqueda TipoBusqueda = TTipoBusqueda::Letra_a_Letra;
    // Busqueda with Letra_a_Letra: every change of the text searches one
    // second after the last keystroke.
    TEstado Estado = TEstado::Normal;
    QString Tabla;
    QStringList Campos_Desplegar;
    // Joined to every search with " AND ".
    QString Condicion;
    // Where Down arrow takes the focus (the dialog's list).
    QPointer<QWidget> Lista;

    // Rewrites the list for the current text and reopens it: the rows whose
    // code begins with it, or, when none does, whose name has a word that
    // begins with it, case and accents ignored (CondicionNombre).
    // A statement the server rejects leaves the list on the statement it had
    // first and raises ENombreTablaError "Ha ocurrido un error en la
    // consulta".
    void EjecutarBusqueda();

    // Shows a search's error over the field's window.
    void MuestraErrorBusqueda(const QString& mensaje);

    // The one-second timer of the searches as the user types.
    QTimer& Temporizador() { return timer_; }

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    // A search the field starts itself (timer, Down arrow, Enter): its
    // error is shown over the field's window, which stays open on the
    // fallback list.
    void BuscaMostrandoError();

    TFIBTableSet* dataset_ = nullptr;
    QStringList reserva_; // the fallback statement, kept the first time
    bool conReserva_ = false;
    QTimer timer_;
};

// The search key of a lookup field: F2 opens the field's search dialog as a
// key without character typed in it would (the list starts with every row);
// any other key does nothing.
void TeclaBusqueda(QWidget* campo, int tecla);
