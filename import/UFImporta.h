#pragma once
// The import window: a bold status line, a progress bar and "Añadir /
// Actualizar". It connects to the accounting database the first time it is
// shown and runs the copy of its mode (communities, or the current
// community's owners and properties) when the button is pressed.
#include "UDMImporta.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QIcon>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

class TFImporta : public QDialog {
    Q_OBJECT
public:
    // `habilitar`: the button is offered once connected; otherwise the
    // caller runs the import itself (Ejecuta).
    TFImporta(TModoImporta modo, bool habilitar, QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~TFImporta() override;

    TDMImporta* DM() const { return dm_.get(); }
    QLabel* LbEstado;
    QProgressBar* PBar;
    QPushButton* BtImporta;

    // The first call connects (showing the state and, on a failure, the
    // message) and closes the window when that fails; later calls answer
    // whether it connected.
    bool Conecta();
    // What "Añadir / Actualizar" does: the import of the window's mode, then
    // the window closes. True when the import was completed; a failure is
    // told to the user, with its rows rolled back. An owners' import that
    // marked properties or addresses inactive names them as it closes.
    bool Ejecuta();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override;
    void done(int resultado) override;

private:
    void Estado(const QString& texto);
    void Fase(int filas);
    void Fila();
    void Repinta();

    TModoImporta modo_;
    bool habilitar_;
    std::unique_ptr<TDMImporta> dm_;
    bool intentado_ = false;
    bool conectado_ = false;
    bool importando_ = false;
    int filas_ = 0;
    QElapsedTimer pintado_;
};

// The closing message of an owners' import that marked properties or
// addresses inactive, naming them (at most twenty of each, the rest counted);
// empty when it marked none.
QString TextoInactivadas(const QStringList& fincas, const QStringList& direcciones);

// The glyph of the screens' buttons that open the import: the accounting
// database with an arrow coming out of it.
QIcon IconoImporta();

// The start-up step after the login: when "taldemar.ini" names an accounting
// database (a value other than "ERROR"), the communities and catalogues are
// imported at once in the window, without its button, and the accounting link
// Entorno.EnlaceContable becomes 1; it stays 0 when nothing is configured or
// the database cannot be opened (the user is told once).
void ImportaComunidadesArranque();

// The owners, addresses and properties of the current community brought up to
// date from the accounting database without questions, in the window shown on
// top of every other (a convocation does this before it is written). True
// when the import was completed.
bool RefreshOwnersFromAccounting();
