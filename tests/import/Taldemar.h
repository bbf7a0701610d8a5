#pragma once
// The program's demo database opened as start-up does, beside a fresh copy of
// the accounting database that the creation tool makes with its demo rows,
// named by "taldemar.ini" in the configuration folder.
#include "CreaBaseDatos.h"
#include "FIBQuery.h"
#include "ProgramaAbierto.h"
#include "TestDatabase.h"
#include "UFImporta.h"
#include "UPerfil.h"

#include <QVariantList>

namespace qdtest {

inline QString FreshTaldemarDatabase()
{
    return FreshDatabaseFrom(QStringLiteral("taldemar-demo"), [](const QString& path) {
        TOpcionesBD o;
        o.ForcedWrites = false;
        o.Contenido = TContenidoBD::Demo;
        CreaBaseTaldemar(path, o);
    });
}

// Every row of a statement, every column as a value (a missing one as a null
// QVariant), read in a transaction of its own.
inline QList<QVariantList> Filas(TFIBDatabase& db, const QString& sql)
{
    TFIBTransaction tr;
    tr.SetDefaultDatabase(&db);
    tr.StartTransaction();
    TFIBQuery q;
    q.SetDatabase(&db);
    q.SetTransaction(&tr);
    q.SetSQL(sql);
    q.ExecQuery();
    QList<QVariantList> filas;
    for (; !q.Eof(); q.Next()) {
        QVariantList fila;
        for (int i = 0; i < q.FieldCount(); ++i)
            fila << q.Fields(i)->AsVariant();
        filas << fila;
    }
    q.Close();
    tr.Commit();
    return filas;
}

class TaldemarAbierto : public ProgramaAbierto {
protected:
    TaldemarAbierto() : ProgramaAbierto(true) {}
    void SetUp() override
    {
        ProgramaAbierto::SetUp();
        contable = FreshTaldemarDatabase();
        Configura(contable);
        origen = std::make_unique<Connection>(contable);
    }
    void TearDown() override
    {
        origen.reset();
        ProgramaAbierto::TearDown();
    }
    // "BaseDeDatos" of section "Datos" of "taldemar.ini".
    void Configura(const QString& camino)
    {
        TIniFile(FicheroPerfil(QStringLiteral("taldemar.ini"))).WriteString(QStringLiteral("Datos"), QStringLiteral("BaseDeDatos"), camino);
    }
    QList<QVariantList> Contable(const QString& sql) { return Filas(origen->db, sql); }
    QList<QVariantList> Programa(const QString& sql) { return Filas(dm->DataBase, sql); }
    // A change to the accounting database, committed.
    void CambiaContable(const QString& sql)
    {
        origen->db.ExecuteImmediate(sql, origen->tr);
        origen->tr.CommitRetaining();
    }
    // The import of a mode as the start-up and the convocations run it: the
    // window shown, connected and its import run at once.
    static bool Importa(TModoImporta modo)
    {
        TFImporta importa(modo, false);
        importa.show();
        return importa.Conecta() && importa.Ejecuta();
    }

    QString contable;
    std::unique_ptr<Connection> origen;
};

} // namespace qdtest
