#pragma once
// The copy from the accounting product's database into the program's: its
// communities with their current year and president and the five catalogues,
// or the owners, addresses and properties of one community. Rows are added or
// overwritten by their key, never deleted. The accounting database is only
// read. Errors are raised (EFIBError with the server's text), never shown.
#include "FIBTableDataSet.h"

#include <QString>
#include <functional>

enum class TModoImporta { Comunidades = 1, Propietarios = 2 };

class TDMImporta {
public:
    TDMImporta();
    TDMImporta(const TDMImporta&) = delete;
    TDMImporta& operator=(const TDMImporta&) = delete;

    THYDataBase DataBase;          // the accounting database
    THYTransaction TGenerica;      // its transaction, read only
    THYTransaction FIBTransaction; // the program's database, this module's own

    // How far the copy has gone: a phase starts with the number of its rows
    // (all of them fetched by then), then every row copied is announced.
    std::function<void(int filas)> AlEmpezarFase;
    std::function<void()> AlCopiarFila;

    // The accounting database's path: "BaseDeDatos" of section "Datos" of the
    // profile file "taldemar.ini" (empty when absent).
    static QString CaminoTaldemar();

    // Opens the accounting database (a local file or "host:/path") as SYSDBA
    // with the program's password, or the remote server's when
    // "ServidorRemoto.cfg" is in the program folder, and starts its
    // transaction. On a failure the connection stays closed.
    void Conecta(const QString& camino);
    bool Conectado() const { return DataBase.Connected(); }
    void Desconecta();

    // Every community of the accounting database, each committed as it is
    // written, then the catalogues, committed together at the end. On a
    // failure what was not committed is rolled back and the error goes on.
    void ImportaComunidades();
    // The owners, addresses and properties of `comunidad`, written under the
    // same code and committed together at the end; on a failure none stays.
    void ImportaPropietarios(qint32 comunidad);

private:
    void CopiaComunidades();
    template <typename F>
    void EnTransaccion(F&& copia);
};
