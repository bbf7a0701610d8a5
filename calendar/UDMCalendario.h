#pragma once
// A user's appointment book: for each day a fixed set of slots, created by
// the database the first time the day is shown, each with a line of text.
// The book is the program's own, or the one the community-management product
// keeps in its database.
#include "FIBDatabase.h"
#include "FIBQuery.h"
#include "UDMBase.h"

#include <QDate>

enum class TLibroCitas { Propio, Halvenbook };

class TDMCalendario : public TDMBase {
public:
    // In the community-management product's mode the module opens that
    // product's database (its path in "halvenbook.ini"); when it is not
    // configured or cannot be opened, EAviso says so and nothing is open.
    explicit TDMCalendario(TLibroCitas libro);
    ~TDMCalendario() override;

    TFIBDatabase DBHalvenbook;
    TFIBTableSet QCalendario; // the slots of the day shown
    TFIBQuery QCuenta;        // the slots of a day, counted
    TFIBQuery SpCrea;         // CALENDARIO_CREA
    TLibroCitas Libro() const { return libro_; }

    // Shows the day of the user: its slots are created first when it has none.
    void MuestraDia(const QDate& fecha, int usuario);
    QDate Fecha() const { return fecha_; }
    int Usuario() const { return usuario_; }

private:
    TLibroCitas libro_;
    QDate fecha_;
    int usuario_ = 0;
};

// The users to choose from, always from the program's own database: each
// entry "NOMBRE" padded to 15 characters, "-", and the code.
QStringList UsuariosCalendario();
// The code of an entry of that list (from character 17 on); 0 for none.
int CodigoDeUsuario(const QString& entrada);
