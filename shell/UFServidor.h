#pragma once
#include "UDMMain.h"

#include <QDialog>

class QLineEdit;

// "Conectar con un servidor": the database line on the office's server, the
// server user and its password, as the server's set-up printed them. The
// connection is tried before the dialog closes: a refused password says so
// and asks for the password again, keeping the rest.
class TFServidor : public QDialog {
    Q_OBJECT
public:
    explicit TFServidor(QWidget* parent = nullptr);
    TServidorElegido Servidor() const;
    QLineEdit* EdCamino;
    QLineEdit* EdUsuario;
    QLineEdit* EdClave;

private:
    void Conectar();
};

// A seat's first start: the demo database or the office's server; nullopt
// when the user gives up.
std::optional<TPrimerArranque> PreguntaPrimerArranque();

// The password of a server user that the server refused; nullopt when the
// user gives up.
std::optional<QString> PideClaveServidor(const QString& usuario);
