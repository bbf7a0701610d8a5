#pragma once
// The users screen: each user's name and password. A password is changed by
// typing the current one first; a new user's password is typed in "Clave
// actual". New users are numbered by the database and read back by name, so a
// name can belong to one user only.
#include "UDMBase.h"
#include "UFBase.h"

#include <memory>

class TDBEdit;

class TDMUsuario : public TDMBase {
public:
    TDMUsuario();
    TFIBTableSet QUsuario;
    TFIBQuery QCodigo;

private:
    void QUsuarioBeforePost(TFIBDataSet& ds);
    void QUsuarioAfterPost(TFIBDataSet& ds);
    bool insertando_ = false;
};

class TFUsuario : public TFBase {
    Q_OBJECT
public:
    TFUsuario();
    ~TFUsuario() override;
    TDMUsuario* DM() const { return dm_.get(); }

    TDBEdit* DBENombre;
    QLineEdit* EClaveActual;
    QLineEdit* ENuevaClave;
    QLineEdit* ERepitaClave;

private:
    void ClaveActualExit();
    void MuestraClavesNuevas(bool visibles);
    // Empties the three password fields and hides the two new ones.
    void VaciaClaves();
    std::unique_ptr<TDMUsuario> dm_;
    QMetaObject::Connection salidaClave_;
};

// The command "Usuarios" of the main window.
void RegistraOrdenesUsuarios();
