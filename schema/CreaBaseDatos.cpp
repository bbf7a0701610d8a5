#include "CreaBaseDatos.h"
#include "DatosDemo.h"

#include "FIBDatabase.h"
#include "FIBQuery.h"
#include "FIBScript.h"
#include "FIBTransaction.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {

QString LeeRecurso(const QString& camino)
{
    QFile f(camino);
    if (!f.open(QIODevice::ReadOnly))
        throw EFIBError(QStringLiteral("Falta el recurso %1 en el programa").arg(camino));
    return QString::fromUtf8(f.readAll());
}

// A value written into a script between single quotes.
QString Literal(QString s)
{
    s.replace(QLatin1Char('\''), QStringLiteral("''"));
    return s;
}

QStringList Parametros(const TOpcionesBD& o, bool forcedWrites)
{
    QStringList p{QStringLiteral("user_name=") + o.Usuario, QStringLiteral("password=") + o.Clave};
    if (forcedWrites)
        p << QStringLiteral("force_write=1");
    return p;
}

// Creates the file without forced writes, so that the scripts and the sample
// rows cost no disk flush per commit, runs fill on it, and turns forced writes
// on at the end when the options ask for them (an attachment that names
// force_write sets the database's mode).
template <typename F>
void Crea(const QString& path, const TOpcionesBD& o, F&& fill)
{
    TFIBDatabase::CreateDatabase(path, o.Usuario, o.Clave, false);
    try {
        {
            TFIBDatabase db;
            db.SetDBName(path);
            db.SetDBParams(Parametros(o, false));
            db.Open();
            fill(db);
            db.Close();
        }
        if (o.ForcedWrites) {
            TFIBDatabase db;
            db.SetDBName(path);
            db.SetDBParams(Parametros(o, true));
            db.Open();
            db.Close();
        }
    } catch (...) {
        // A half-built database would be opened as a good one next time: a
        // local file goes (a server path is left to its administrator).
        if (!path.contains(QLatin1Char(':')))
            QFile::remove(path);
        throw;
    }
}

// Report formats of the supplied listings compiled into the program
// (":/schema/formatos/", files named after the listing's code), loaded into
// SYS_LISTADOS.FICHERO.
void CargaFormatosSuministrados(TFIBDatabase& db)
{
    const QDir dir(QStringLiteral(":/schema/formatos"));
    const QStringList ficheros = dir.entryList(QDir::Files);
    if (ficheros.isEmpty())
        return;
    TFIBTransaction tr;
    tr.SetDefaultDatabase(&db);
    tr.StartTransaction();
    TFIBQuery q;
    q.SetDatabase(&db);
    q.SetTransaction(&tr);
    q.SetSQL(QStringLiteral("UPDATE SYS_LISTADOS SET FICHERO=?FICHERO WHERE CODIGO=?CODIGO"));
    static const QRegularExpression digitos(QStringLiteral("(\\d+)"));
    for (const QString& nombre : ficheros) {
        const QRegularExpressionMatch m = digitos.match(nombre);
        if (!m.hasMatch())
            continue;
        QFile f(dir.filePath(nombre));
        if (!f.open(QIODevice::ReadOnly))
            throw EFIBError(QStringLiteral("No se puede leer el formato %1").arg(nombre));
        q.ParamByName(QStringLiteral("FICHERO"))->SetAsBytes(f.readAll());
        q.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(m.captured(1).toLongLong());
        q.ExecQuery();
    }
    tr.Commit();
}

} // namespace

QString VersionBaseDatos(const QString& versionPrograma)
{
    const QStringList partes = versionPrograma.split(QLatin1Char('.'));
    auto parte = [&](int i) { return i < partes.size() ? partes[i].toInt() : 0; };
    return QStringLiteral("%1.%2%3").arg(parte(0)).arg(parte(1)).arg(parte(2));
}

QString ScriptSQL(const QString& nombre)
{
    return LeeRecurso(QStringLiteral(":/schema/sql/%1.sql").arg(nombre));
}

void CreaBaseDatos(const QString& path, const TOpcionesBD& opciones)
{
    Crea(path, opciones, [&](TFIBDatabase& db) {
        ExecuteScript(db, ScriptSQL(QStringLiteral("registro")));
        ExecuteScript(db, ScriptSQL(QStringLiteral("quorumdesk")));
        QString reservados = ScriptSQL(QStringLiteral("reservados"));
        reservados.replace(QStringLiteral("@VERSION@"), Literal(VersionBaseDatos()));
        reservados.replace(QStringLiteral("@CLAVE@"), Literal(QString::fromLatin1(ClaveAccesoAutomatico)));
        ExecuteScript(db, reservados);
        CargaFormatosSuministrados(db);
        switch (opciones.Contenido) {
        case TContenidoBD::Vacia:
            break;
        case TContenidoBD::Demo:
            InsertaDemoPrograma(db);
            break;
        case TContenidoBD::Sintetica:
            InsertaSintetico(db, opciones.Comunidades, opciones.Propietarios, opciones.Fincas);
            break;
        }
    });
}

void CreaBaseTaldemar(const QString& path, const TOpcionesBD& opciones)
{
    Crea(path, opciones, [&](TFIBDatabase& db) {
        ExecuteScript(db, ScriptSQL(QStringLiteral("registro")));
        ExecuteScript(db, ScriptSQL(QStringLiteral("taldemar")));
        if (opciones.Contenido == TContenidoBD::Demo)
            InsertaDemoTaldemar(db);
    });
}

void CreaBaseHalvenbook(const QString& path, const TOpcionesBD& opciones)
{
    Crea(path, opciones, [&](TFIBDatabase& db) {
        ExecuteScript(db, ScriptSQL(QStringLiteral("halvenbook")));
        if (opciones.Contenido == TContenidoBD::Demo)
            InsertaDemoHalvenbook(db);
    });
}
