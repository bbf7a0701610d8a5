#include "UFUsuario.h"
#include "FIBError.h"
#include "UDBControles.h"
#include "UDMMain.h"
#include "UFormGest.h"
#include "UOrdenes.h"

#include <QApplication>
#include <QFormLayout>

namespace {
const QString kCodigo = QStringLiteral("CODIGO");
const QString kNombre = QStringLiteral("NOMBRE");
const QString kClave = QStringLiteral("CLAVE");
} // namespace

TDMUsuario::TDMUsuario()
{
    const QString tabla = QStringLiteral("SYS_USUARIO");
    const TSentenciasGeneradas g = SentenciasGeneradas(tabla, {kCodigo, kNombre, kClave}, {kCodigo});
    DefinePrincipal(QUsuario, {.Name = QStringLiteral("QUsuario"),
                               .TableName = tabla,
                               .SelectSQL = {QStringLiteral("SELECT * FROM SYS_USUARIO")},
                               .InsertSQL = g.Insert,
                               .UpdateSQL = g.Update,
                               .DeleteSQL = g.Delete,
                               .RefreshSQL = g.Refresh,
                               .Opciones = {TOpcionesTableSet::NoControlarConcurrencia}});
    QUsuario.AddField<TIntegerField>(kCodigo)->SetDisplayLabel(QStringLiteral("Código"));
    QUsuario.AddField<TStringField>(kNombre)->SetDisplayLabel(QStringLiteral("Nombre"));
    QUsuario.AddField<TStringField>(kClave)->SetDisplayLabel(QStringLiteral("Clave"));
    QUsuario.BeforePost = [this](TFIBDataSet& ds) { QUsuarioBeforePost(ds); };
    QUsuario.AfterPost = [this](TFIBDataSet& ds) { QUsuarioAfterPost(ds); };
    // User 1 alone holds the administrator's rights, and the user logged in
    // is using the program: neither can go.
    QUsuario.BeforeDelete = [](TFIBDataSet& ds) {
        const qint64 codigo = ds.FieldByName(kCodigo)->AsInteger();
        if (codigo == 1)
            throw EAviso(QStringLiteral("No se puede borrar el usuario 1: es el único con los derechos de administrador."));
        if (codigo == Entorno.Usuario)
            throw EAviso(QStringLiteral("No se puede borrar el usuario con el que ha entrado en el programa."));
    };

    QCodigo.SetDatabase(&DMMain->DataBase);
    QCodigo.SetTransaction(&FIBTransaction);
    QCodigo.SetSQL(QStringLiteral("SELECT CODIGO FROM SYS_USUARIO WHERE NOMBRE=?NOMBRE"));
    DeclaraBusqueda({kCodigo, kNombre, QStringLiteral("00000")});
    Abre();
}

void TDMUsuario::QUsuarioBeforePost(TFIBDataSet& ds)
{
    insertando_ = ds.State() == TDataSetState::dsInsert;
    if (!insertando_)
        return;
    // The new row's code is found by its name once the database has numbered
    // it: a name already in use would find another user.
    const QString nombre = ds.FieldByName(kNombre)->AsString();
    QCodigo.ParamByName(kNombre)->SetAsString(nombre);
    QCodigo.ExecQuery();
    const bool usado = !QCodigo.Eof();
    QCodigo.Close();
    if (usado)
        throw EAviso(QStringLiteral("Ya existe un usuario con el nombre %1.").arg(nombre.trimmed()));
}

void TDMUsuario::QUsuarioAfterPost(TFIBDataSet&)
{
    graba();
    if (!insertando_)
        return;
    insertando_ = false;
    QCodigo.ParamByName(kNombre)->SetAsString(QUsuario.FieldByName(kNombre)->AsString());
    QCodigo.ExecQuery();
    if (QCodigo.Eof()) {
        QCodigo.Close();
        return;
    }
    const qint64 codigo = QCodigo.Fields(0)->AsInteger();
    QCodigo.Close();
    // The row was written without its code: the list is read again and shows
    // the new user with the code the database gave it.
    QUsuario.Close();
    QUsuario.Open();
    QUsuario.Locate(kCodigo, {codigo});
}

TFUsuario::TFUsuario() : TFBase(112), dm_(std::make_unique<TDMUsuario>())
{
    setObjectName(QStringLiteral("FUsuario"));
    setWindowTitle(QStringLiteral("Mantenimiento de usuarios"));
    Conecta(*dm_);
    DBENombre = CampoTexto(QStringLiteral("Nombre"), kNombre, 15);
    auto clave = [this](const QString& etiqueta, const char* nombre) {
        auto* e = new QLineEdit(PEdit);
        e->setObjectName(QLatin1String(nombre));
        MascaraClave(e);
        e->setMaxLength(8); // the column's size
        e->setMinimumWidth(e->fontMetrics().averageCharWidth() * 10 + 8);
        AnadeCampo(etiqueta, e);
        return e;
    };
    EClaveActual = clave(QStringLiteral("Clave actual"), "EClaveActual");
    ENuevaClave = clave(QStringLiteral("Nueva clave"), "ENuevaClave");
    ERepitaClave = clave(QStringLiteral("Repita clave"), "ERepitaClave");
    MuestraClavesNuevas(false);
    HYMNavigator1->SetEditaControl(EClaveActual);
    HYMNavigator1->SetInsertaControl(DBENombre);
    HYTDBGrid1->SetColumnas({kCodigo, kNombre});
    HYTDBGrid1->SetCamposAOrdenar({kCodigo, kNombre});
    salidaClave_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget* antes, QWidget* ahora) {
        if (antes == EClaveActual && ahora && ahora->window() == this)
            ClaveActualExit();
    });

    TFIBTableSet& t = dm_->QUsuario;
    // The module's own steps first (its name check, its commit), then the
    // password fields of the screen.
    t.BeforePost = [this, antes = t.BeforePost](TFIBDataSet& ds) {
        antes(ds);
        TField* clave = ds.FieldByName(kClave);
        if (ds.State() == TDataSetState::dsInsert) {
            clave->SetAsString(EClaveActual->text());
            return;
        }
        // A new password needs the current one and the same text twice; new
        // fields left empty keep the password. Two texts that differ are not
        // a change the user can see saved: the record stays to be corrected.
        const QString nueva = ENuevaClave->text();
        if (EClaveActual->text() != clave->AsString())
            return;
        if (nueva != ERepitaClave->text()) {
            ENuevaClave->setFocus();
            throw EAviso(QStringLiteral("La nueva clave y su repetición no coinciden: escríbalas de nuevo."));
        }
        if (!nueva.isEmpty())
            clave->SetAsString(nueva);
    };
    t.AfterPost = [this, antes = t.AfterPost](TFIBDataSet& ds) {
        antes(ds);
        VaciaClaves();
    };
    t.AfterDelete = [this, antes = t.AfterDelete](TFIBDataSet& ds) {
        antes(ds);
        VaciaClaves();
    };
    t.AfterCancel = [this](TFIBDataSet&) { VaciaClaves(); };
}

TFUsuario::~TFUsuario()
{
    // The base's destruction moves the focus, after this screen's part is gone.
    disconnect(salidaClave_);
}

void TFUsuario::ClaveActualExit()
{
    const TFIBTableSet& t = dm_->QUsuario;
    if (t.State() != TDataSetState::dsEdit || EClaveActual->text() != t.FieldByName(kClave)->AsString())
        return;
    MuestraClavesNuevas(true);
    ENuevaClave->setFocus();
}

void TFUsuario::MuestraClavesNuevas(bool visibles)
{
    auto* campos = static_cast<QFormLayout*>(PEdit->layout());
    campos->setRowVisible(ENuevaClave, visibles);
    campos->setRowVisible(ERepitaClave, visibles);
}

void TFUsuario::VaciaClaves()
{
    EClaveActual->clear();
    ENuevaClave->clear();
    ERepitaClave->clear();
    MuestraClavesNuevas(false);
}

void RegistraOrdenesUsuarios()
{
    RegistraOrden({.Id = QStringLiteral("Usuarios"), .Menu = TMenuOrden::Archivos, .Posicion = 50,
                   .Titulo = QStringLiteral("Usuarios"), .Abre = [](QAction* a) { AbreVentana<TFUsuario>(a); }});
}
