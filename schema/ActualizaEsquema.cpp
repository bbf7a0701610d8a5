#include "ActualizaEsquema.h"
#include "CreaBaseDatos.h"
#include "FIBDatabase.h"
#include "FIBError.h"
#include "FIBQuery.h"
#include "FIBScript.h"
#include "FIBTransaction.h"

#include <QStringList>

namespace {

int Cuenta(TFIBDatabase& db, const QString& sql)
{
    TFIBTransaction tr;
    tr.SetDefaultDatabase(&db);
    tr.StartTransaction();
    TFIBQuery q;
    q.SetDatabase(&db);
    q.SetTransaction(&tr);
    q.SetSQL(sql);
    q.ExecQuery();
    const int n = q.Eof() || q.Fields(0)->IsNull() ? 0 : int(q.Fields(0)->AsInteger());
    q.Close();
    tr.Commit();
    return n;
}

bool TieneColumna(TFIBDatabase& db, const char* tabla, const char* columna)
{
    return Cuenta(db, QStringLiteral("SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = '%1' "
                                     "AND RDB$FIELD_NAME = '%2'")
                          .arg(QLatin1String(tabla), QLatin1String(columna))) > 0;
}

void Ejecuta(TFIBDatabase& db, const QString& sql)
{
    TFIBTransaction ddl;
    ddl.SetDefaultDatabase(&db);
    ddl.StartTransaction();
    db.ExecuteImmediate(sql, ddl);
    ddl.Commit();
}

// Runs one step unless another seat has just run it.
void Paso(TFIBDatabase& db, int nivel, const QString& script)
{
    try {
        ExecuteScript(db, script + QStringLiteral("\nUPDATE SYS_VERSION SET ESQUEMA = %1 WHERE CODIGO = 1;\n").arg(nivel));
    } catch (const EFIBError&) {
        if (NivelEsquemaDe(db) < nivel)
            throw;
    }
}

} // namespace

void ActualizaEstadisticas(TFIBDatabase& db, const QString& tabla)
{
    TFIBTransaction tr;
    tr.SetDefaultDatabase(&db);
    tr.StartTransaction();
    QStringList indices;
    {
        TFIBQuery q;
        q.SetDatabase(&db);
        q.SetTransaction(&tr);
        q.SetSQL(QStringLiteral("SELECT TRIM(RDB$INDEX_NAME) FROM RDB$INDICES WHERE RDB$RELATION_NAME = ?TABLA"));
        q.ParamByName(QStringLiteral("TABLA"))->SetAsString(tabla);
        for (q.ExecQuery(); !q.Eof(); q.Next())
            indices << q.Fields(0)->AsString();
        q.Close();
    }
    for (const QString& indice : indices)
        db.ExecuteImmediate(QStringLiteral("SET STATISTICS INDEX ") + indice, tr);
    tr.Commit();
}

int NivelEsquemaDe(TFIBDatabase& db)
{
    if (!TieneColumna(db, "SYS_VERSION", "ESQUEMA"))
        return 0;
    return Cuenta(db, QStringLiteral("SELECT ESQUEMA FROM SYS_VERSION WHERE CODIGO = 1"));
}

void ActualizaEsquema(TFIBDatabase& db)
{
    // Before levels were kept: the connected users' attachment.
    if (!TieneColumna(db, "SYS_REGISTRO", "CONEXION"))
        Ejecuta(db, QStringLiteral("ALTER TABLE SYS_REGISTRO ADD CONEXION INTEGER"));
    // Levels are kept in the version row: a database without one is not a
    // whole program database and is left as it is.
    if (Cuenta(db, QStringLiteral("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = 'SYS_VERSION'")) == 0)
        return;
    if (!TieneColumna(db, "SYS_VERSION", "ESQUEMA")) {
        try {
            Ejecuta(db, QStringLiteral("ALTER TABLE SYS_VERSION ADD ESQUEMA INTEGER DEFAULT 0"));
        } catch (const EFIBError&) {
            if (!TieneColumna(db, "SYS_VERSION", "ESQUEMA"))
                throw;
        }
    }
    const int nivel = NivelEsquemaDe(db);
    if (nivel < 1)
        Paso(db, 1, ScriptSQL(QStringLiteral("acuerdos")));
    if (nivel < 3) {
        Paso(db, 3, ScriptSQL(QStringLiteral("busqueda")));
        // The owners' older indexes were made on an empty table.
        ActualizaEstadisticas(db, QStringLiteral("EMP_PROPIETARIO"));
    }
    if (nivel < 5)
        Paso(db, 5, ScriptSQL(QStringLiteral("asistencia")));
    if (nivel < 6)
        Paso(db, 6, ScriptSQL(QStringLiteral("actasfirmadas")));
}
