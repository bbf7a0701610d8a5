#pragma once
// The copy from the accounting product's database into the program's: its
// communities with their current year and president and the five catalogues,
// or the owners, addresses and properties of one community. Rows are added or
// overwritten by their key, never deleted. The accounting database is only
// read. Errors are raised (EFIBError with the server's text), never shown.
#include "FIBTableDataSet.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <set>
#include <utility>

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
    // Then, in the same transaction, every active property and address of the
    // community that the accounting database no longer has is marked
    // inactive (ACTIVO 0): a property sold there moves to its new owner and
    // must not stay counted under the old one. A table of which the
    // accounting database has no row for the community marks nothing: it
    // does not keep that community.
    void ImportaPropietarios(qint32 comunidad);

    // What the last ImportaPropietarios marked inactive, one line each: the
    // property's name or the address, with its owner's code and name.
    QStringList FincasInactivadas, DireccionesInactivadas;

private:
    void CopiaComunidades();
    // Marks inactive the active rows of `tabla` (properties or addresses) of
    // the community whose owner and code are not in `enOrigen`; returns them
    // described by the column `descripcion`.
    QStringList InactivaAusentes(const QString& tabla, const QString& descripcion, qint32 comunidad,
                                 const std::set<std::pair<qint64, qint64>>& enOrigen);
    template <typename F>
    void EnTransaccion(F&& copia);
};
