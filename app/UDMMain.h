#pragma once
#include "FIBDataSet.h"
#include "FIBDatabase.h"
#include "FIBQuery.h"
#include "FIBTransaction.h"
#include "UHYDBGrid.h"
#include "UTeclas.h"

#include <QString>

class TFIBTableSet;

// The environment record: one instance, Entorno, from start-up to exit. Only
// start-up, login and community selection write it.
struct TREntorno {
    qint32 Ejercicio = 0;     // financial year: always 0, no selection carries one
    qint32 Comunidad = 0;     // current community; 0 is the "Comunidad general"
    QString CaminoPrograma;   // program directory, no trailing separator
    qint16 Usuario = 0;       // logged-in user
    quint8 EnlaceContable = 0; // 1 when the start-up import from the accounting product ran
    QString NombreComunidad;
};
extern TREntorno Entorno;

// The main data module: the shared connection and its default transaction,
// and the shared statements and datasets. Exists once, from start-up to exit.
class TDMMain {
public:
    // The database password of the program's connection, and the remote
    // server's that the marker file "ServidorRemoto.cfg" switches to.
    static constexpr const char* kPassword = "kelpstone";
    static constexpr const char* kPasswordRemoto = "qx7v3mtb";

    TDMMain();
    ~TDMMain();
    TDMMain(const TDMMain&) = delete;
    TDMMain& operator=(const TDMMain&) = delete;

    TFIBDatabase DataBase;
    TFIBTransaction TGenerica;
    TFIBQuery QGen;
    TFIBDataSet QGene;      // "SELECT * FROM SYS_REGISTRO": users already connected
    TFIBDataSet QComunidad; // the current community's row, for the listings
    TFIBDataSet QPara;      // installation parameters
    TFIBDataSet QCondicion; // conditions of a listing
    // The key map of every screen's key menu, and the images of the grids'
    // titles.
    TTeclas Teclas;
    TListaImagenes ILOrdGrid;

    // The database part of start-up: clean-up, the pending update script, the
    // configured path, the open loop with the path dialog. Returns false when
    // the user gave up and the program must end.
    bool DataModuleCreate();
    // Year 0, community 0, program directory, user 1, no community name, and
    // the process-wide number and date formats.
    void InicializarEntorno();
    // Closes the dataset, binds "Comunidad" (flag character 1 "1") and
    // "ejercicio" (character 2 "1") from the environment, and opens it when asked.
    void AsignarParametrosEntorno(TFIBDataSet& ds, const QString& flags, bool abrir);
    // The screens' quick search: BusquedaRapida binding the environment's
    // parameters.
    void BusquedaRapida(const QString& texto, TFIBTableSet& ds, const QString& campoNumero,
                        const QString& campoTexto, const QString& flags, const QString& orden = {});
    // The name of a user code typed as text ("" when there is no such user
    // or the text is not a code), read with the caller's statement.
    QString NombreUsuario(const QString& codigo, TFIBQuery& q);
    // The version check after login: a workstation whose program differs from
    // the database is warned; the maker's published history (the server named
    // in the INI file's "Actualizacion"/"Servidor") tells of pending updates.
    // `aviso` is shown while the server is asked.
    void CompruebaVersion(QWidget* aviso);
    // Removes the login's row of the connected users, at exit.
    void RegistraSalida();

private:
    void EjecutaActualizacion();
    bool AbreBaseDeDatos(QString camino);
    void LimpiaRegistro();
};
extern TDMMain* DMMain;
