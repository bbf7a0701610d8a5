#include "CreaBaseDatos.h"
#include "ActualizaEsquema.h"
#include "DatosDemo.h"

#include "FIBDatabase.h"
#include "FIBQuery.h"
#include "FIBScript.h"
#include "FIBTransaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUuid>

#include <filesystem>
#include <system_error>

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

// "host:/path" names a database on a server; a drive letter ("C:/...") does
// not.
bool EsRemota(const QString& path)
{
    static const QRegularExpression unidad(QStringLiteral("^[A-Za-z]:[/\\\\]"));
    return path.contains(QLatin1Char(':')) && !unidad.match(path).hasMatch();
}

// A name beside path that no other creation uses.
QString NombreTemporal(const QString& path)
{
    const QFileInfo fi(path);
    return fi.absoluteDir().filePath(QStringLiteral(".%1.%2.creando")
                                         .arg(fi.fileName(), QUuid::createUuid().toString(QUuid::Id128).left(12)));
}

// Gives the complete database at temporal the final name path, replacing a
// file there only when asked to.
void Renombra(const QString& temporal, const QString& path, bool reemplaza)
{
    if (reemplaza) {
        std::error_code error;
        std::filesystem::rename(std::filesystem::path(temporal.toStdU16String()),
                                std::filesystem::path(path.toStdU16String()), error);
        if (error)
            throw EFIBError(QStringLiteral("No se puede reemplazar %1: %2").arg(path, QString::fromLocal8Bit(error.message())));
    } else if (!QFile::rename(temporal, path)) {
        throw EFIBError(QFile::exists(path) ? QStringLiteral("El fichero %1 ya existe.").arg(path)
                                            : QStringLiteral("No se puede crear %1.").arg(path));
    }
}

// Creates the file without forced writes, so that the scripts and the sample
// rows cost no disk flush per commit, runs fill on it, and turns forced writes
// on at the end when the options ask for them (an attachment that names
// force_write sets the database's mode).
//
// A local database is built under a temporary name in its folder and takes
// its final name only when complete: a creation that stops halfway, even by
// a killed process, never leaves under that name a file that the program
// would open as a good database. A server path is built in place.
template <typename F>
void Crea(const QString& path, const TOpcionesBD& o, F&& fill)
{
    const bool remota = EsRemota(path);
    if (!remota && !o.Reemplaza && QFile::exists(path))
        throw EFIBError(QStringLiteral("El fichero %1 ya existe.").arg(path));
    const QString camino = remota ? path : NombreTemporal(path);
    TFIBDatabase::CreateDatabase(camino, o.Usuario, o.Clave, false);
    try {
        {
            TFIBDatabase db;
            db.SetDBName(camino);
            db.SetDBParams(Parametros(o, false));
            db.Open();
            fill(db);
            db.Close();
        }
        {
            TFIBDatabase db;
            db.SetDBName(camino);
            db.SetDBParams(Parametros(o, o.ForcedWrites));
            db.Open();
            if (o.AlTerminar)
                o.AlTerminar(db);
            db.Close();
        }
        if (!remota)
            Renombra(camino, path, o.Reemplaza);
    } catch (...) {
        // A half-built local file goes; a server path is left to its
        // administrator.
        if (!remota)
            QFile::remove(camino);
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
        ActualizaEsquema(db);
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
        switch (opciones.Contenido) {
        case TContenidoBD::Vacia:
            break;
        case TContenidoBD::Demo:
            InsertaDemoTaldemar(db);
            break;
        case TContenidoBD::Sintetica:
            InsertaSintetico(db, opciones.Comunidades, opciones.Propietarios, opciones.Fincas);
            break;
        }
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
