#pragma once
#include <QDialog>

class QLineEdit;

// The login dialog: a user code, its name shown, the password; a user already
// connected on another seat is refused and the dialog stays open.
class TFAccesos : public QDialog {
    Q_OBJECT
public:
    explicit TFAccesos(QWidget* parent = nullptr);

    QLineEdit* EdCodigo;
    QLineEdit* EdNombre;
    QLineEdit* EdClave;

    bool Aceptado() const { return aceptado_; }
    qint16 Codigo() const { return codigo_; }
    QString Nombre() const { return nombre_; }
    // The automatic login of "usuario2.cfg": user 1 with the built-in
    // password, without showing the dialog. Returns whether it was accepted.
    bool Automatico();

protected:
    bool event(QEvent* e) override;

private:
    void CodigoCambiado(const QString& texto);
    void Aceptar();
    bool Busca(const QString& codigo);

    bool aceptado_ = false;
    qint16 recordado_ = 0;
    qint16 codigo_ = 0;
    QString nombre_;
    QString clave_;
};
