#include "UCopias.h"
#include "FIBDatabase.h"
#include "FIBQuery.h"
#include "FIBService.h"
#include "FIBTableSums.h"
#include "FIBTransaction.h"
#include "UDMMain.h"
#include "UPerfil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryFile>

#include <algorithm>
#include <cstdio>
#include <map>

namespace {

const QString kFormatoMomento = QStringLiteral("yyyyMMdd-HHmmss");
const QString kNoVerificadas = QStringLiteral("no-verificadas");

QString TextoDe(const std::exception& e)
{
    return QString::fromUtf8(e.what());
}

QString Marca(const QDateTime& momento) { return momento.toString(kFormatoMomento); }

// The rows of every table, read in `tr`, with the progress of `paso`.
std::vector<TTableSum> Sumas(TFIBDatabase& db, TFIBTransaction& tr, const QString& paso, int& hecho, int total,
                             const TAvanceCopia& avance)
{
    return TableSums(db, tr, [&](const QString& tabla) {
        if (avance)
            avance(paso.arg(tabla), hecho, total);
        ++hecho;
    });
}

// The service's progress told through `avance`: each table it reports is a
// step done, named by `verbo`; `total` 0 when the steps are not counted.
TFIBServiceProgress Seguimiento(const QString& verbo, QString& paso, int& hecho, int total, const TAvanceCopia& avance)
{
    paso = verbo;
    TFIBServiceProgress p;
    p.OnTable = [&paso, &hecho, verbo](const QString& tabla) {
        paso = verbo + QLatin1Char(' ') + tabla;
        ++hecho;
    };
    p.OnIdle = [&paso, &hecho, total, avance] {
        if (avance)
            avance(paso, total > 0 ? std::min(hecho, total) : hecho, total);
    };
    return p;
}

// Why two fingerprints differ; empty when they are equal.
QString Diferencia(const std::vector<TTableSum>& base, const std::vector<TTableSum>& copia)
{
    std::map<QString, const TTableSum*> enCopia;
    for (const TTableSum& t : copia)
        enCopia[t.Table] = &t;
    for (const TTableSum& t : base) {
        const auto it = enCopia.find(t.Table);
        if (it == enCopia.end())
            return QStringLiteral("la tabla %1 no está en la copia").arg(t.Table);
        if (it->second->Rows != t.Rows)
            return QStringLiteral("la tabla %1 tiene %2 filas en la base de datos y %3 en la copia")
                .arg(t.Table).arg(t.Rows).arg(it->second->Rows);
        if (it->second->Sum != t.Sum)
            return QStringLiteral("las filas de la tabla %1 no coinciden con las de la base de datos").arg(t.Table);
        enCopia.erase(it);
    }
    if (!enCopia.empty())
        return QStringLiteral("la copia tiene la tabla %1, que no está en la base de datos").arg(enCopia.begin()->first);
    return {};
}

// A database beside `camino` (same server, same folder), named for `uso`.
QString AlLado(const QString& camino, const QString& uso)
{
    const TFIBDatabaseLocation donde = TFIBDatabaseLocation::Of(camino);
    const QFileInfo fi(donde.Path);
    const QString ruta = fi.path() + QLatin1Char('/') + fi.completeBaseName() + QLatin1Char('-') + uso +
                         QLatin1Char('-') + Marca(QDateTime::currentDateTime()) + QStringLiteral(".fdb");
    return TFIBDatabaseLocation{donde.Server, ruta}.DBName();
}

// Removes a database that a restore made (also a partial one): dropped
// through the engine when it opens, else its file when it is on this machine.
void Elimina(const QString& nombre, const QStringList& parametros)
{
    try {
        TFIBDatabase db;
        db.SetDBName(nombre);
        db.SetDBParams(parametros);
        db.Open();
        db.Drop();
        return;
    } catch (const EFIBError&) {
    }
    const TFIBDatabaseLocation donde = TFIBDatabaseLocation::Of(nombre);
    if (donde.Embedded())
        QFile::remove(donde.Path);
}

// The copies folder can be written: made when missing, then a file tried.
void CompruebaCarpeta(const QString& carpeta)
{
    if (!QDir().mkpath(carpeta))
        throw EAviso(QStringLiteral("No se puede crear la carpeta de copias «%1».").arg(carpeta));
    QTemporaryFile prueba(QDir(carpeta).filePath(QStringLiteral(".prueba-XXXXXX")));
    if (!prueba.open())
        throw EAviso(QStringLiteral("No se puede escribir en la carpeta de copias «%1»: %2").arg(carpeta, prueba.errorString()));
}

// Whether the engine that holds a database runs on this machine, so that its
// files can be renamed from here.
bool FicherosAlAlcance(const TFIBDatabaseLocation& donde)
{
    if (donde.Embedded())
        return true;
    const QString host = donde.Server.section(QLatin1Char('/'), 0, 0);
    return host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 || host.startsWith(QLatin1String("127.")) ||
           host == QLatin1String("[::1]") || host == QLatin1String("::1");
}

QString FicheroFallo() { return QDir(CarpetaConfiguracion()).filePath(QStringLiteral("copia-fallida.txt")); }

} // namespace

QString CarpetaCopias()
{
    const QString carpeta = TIniFile(FicheroPerfil(QStringLiteral("quorumdesk.ini")))
                                .ReadString(QStringLiteral("Copias"), QStringLiteral("Carpeta"), QString())
                                .trimmed();
    return carpeta.isEmpty() ? QDir(CarpetaPrograma()).filePath(QStringLiteral("copias")) : carpeta;
}

QString NombreCopia(const QDateTime& momento)
{
    return QStringLiteral("quorumdesk-%1.fbk").arg(Marca(momento));
}

QDateTime MomentoCopia(const QString& nombre)
{
    static const QRegularExpression re(QStringLiteral("^quorumdesk-(\\d{8}-\\d{6})\\.fbk$"));
    const QRegularExpressionMatch m = re.match(nombre);
    return m.hasMatch() ? QDateTime::fromString(m.captured(1), kFormatoMomento) : QDateTime();
}

QStringList CopiasSobrantes(const QStringList& nombres)
{
    std::vector<std::pair<QDateTime, QString>> copias;
    for (const QString& n : nombres) {
        const QDateTime m = MomentoCopia(n);
        if (m.isValid())
            copias.emplace_back(m, n);
    }
    std::sort(copias.begin(), copias.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    QSet<QDate> dias;
    QSet<int> semanas;
    QStringList sobran;
    for (const auto& [momento, nombre] : copias) {
        const QDate dia = momento.date();
        int anioSemana = 0;
        const int semana = dia.weekNumber(&anioSemana) + anioSemana * 100;
        bool queda = false;
        if (!dias.contains(dia) && dias.size() < 7) {
            dias.insert(dia);
            queda = true;
        }
        if (!semanas.contains(semana) && semanas.size() < 4) {
            semanas.insert(semana);
            queda = true;
        }
        if (!queda)
            sobran << nombre;
    }
    return sobran;
}

QString HazCopia(TFIBDatabase& db, const QString& carpeta, const TAvanceCopia& avance)
{
    CompruebaCarpeta(carpeta);
    QDateTime momento = QDateTime::currentDateTime();
    while (QFile::exists(QDir(carpeta).filePath(NombreCopia(momento))))
        momento = momento.addSecs(1);
    const QString fichero = QDir(carpeta).filePath(NombreCopia(momento));

    // The database is read for the comparison in a snapshot taken before the
    // backup starts: rows another seat commits meanwhile are in neither.
    TFIBTransaction foto;
    foto.SetDefaultDatabase(&db);
    foto.SetTRParams({QStringLiteral("concurrency"), QStringLiteral("nowait"), QStringLiteral("read")});
    foto.StartTransaction();
    int tablas = 0;
    {
        TFIBQuery q;
        q.SetDatabase(&db);
        q.SetTransaction(&foto);
        q.SetSQL(QStringLiteral("SELECT COUNT(*) FROM RDB$RELATIONS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 "
                                "AND RDB$VIEW_BLR IS NULL"));
        q.ExecQuery();
        tablas = static_cast<int>(q.Fields(0)->AsInteger());
        q.Close();
    }
    const int total = 4 * std::max(tablas, 1);
    int hecho = 0;
    QString paso;
    TFIBServiceProgress progreso = Seguimiento(QStringLiteral("Copiando"), paso, hecho, total, avance);
    progreso.OnBytes = [&](qint64 bytes) { paso = QStringLiteral("Copiando: %1 MB").arg(bytes / (1024 * 1024)); };
    try {
        BackupDatabase(db, fichero, progreso);
    } catch (const EFIBError& e) {
        QFile::remove(fichero);
        throw EAviso(QStringLiteral("No se ha podido hacer la copia de seguridad en «%1».\n\n%2").arg(fichero, e.Message()));
    }

    // Verification: the copy restored aside (without indexes: it is read once)
    // and every table compared.
    hecho = tablas;
    const QString aparte = AlLado(db.DBName(), QStringLiteral("verificacion"));
    QString motivo;
    try {
        progreso = Seguimiento(QStringLiteral("Verificando: restaurando"), paso, hecho, total, avance);
        try {
            TFIBDatabase destino;
            destino.SetDBName(aparte);
            destino.SetDBParams(db.DBParams());
            RestoreDatabase(fichero, destino, false, progreso);
        } catch (const EFIBError& e) {
            motivo = QStringLiteral("la copia no se puede restaurar: ") + e.Message();
        }
        if (motivo.isEmpty()) {
            hecho = 2 * tablas;
            const std::vector<TTableSum> vivas = Sumas(db, foto, QStringLiteral("Verificando: leyendo %1"), hecho, total, avance);
            TFIBDatabase copia;
            copia.SetDBName(aparte);
            copia.SetDBParams(db.DBParams());
            copia.Open();
            TFIBTransaction tr;
            tr.SetDefaultDatabase(&copia);
            tr.SetTRParams({QStringLiteral("concurrency"), QStringLiteral("nowait"), QStringLiteral("read")});
            const std::vector<TTableSum> restauradas =
                Sumas(copia, tr, QStringLiteral("Verificando: comparando %1"), hecho, total, avance);
            tr.Commit();
            copia.Drop();
            motivo = Diferencia(vivas, restauradas);
        }
    } catch (const EFIBError& e) {
        motivo = e.Message();
    }
    foto.Commit();
    Elimina(aparte, db.DBParams());
    if (!motivo.isEmpty()) {
        // Kept aside with its reason, out of the rotation.
        const QDir dir(carpeta);
        dir.mkpath(kNoVerificadas);
        const QString apartada = dir.filePath(kNoVerificadas + QLatin1Char('/') + QFileInfo(fichero).fileName());
        QFile::rename(fichero, apartada);
        QFile razon(apartada + QStringLiteral(".txt"));
        if (razon.open(QIODevice::WriteOnly | QIODevice::Truncate))
            razon.write(motivo.toUtf8() + '\n');
        throw EAviso(QStringLiteral("La copia de seguridad no se ha podido verificar: %1.\n\nSe ha apartado en «%2».")
                         .arg(motivo, apartada));
    }
    if (avance)
        avance(QStringLiteral("Copia verificada"), total, total);

    const QDir dir(carpeta);
    for (const QString& sobra : CopiasSobrantes(dir.entryList({QStringLiteral("*.fbk")}, QDir::Files)))
        QFile::remove(dir.filePath(sobra));
    return fichero;
}

bool CopiaAlSalir(TFIBDatabase& db, const QDate& hoy, const TAvanceCopia& avance)
{
    if (!db.Connected() || !TFIBDatabaseLocation::Of(db.DBName()).Embedded())
        return false;
    const QString carpeta = CarpetaCopias();
    for (const QString& n : QDir(carpeta).entryList({QStringLiteral("*.fbk")}, QDir::Files))
        if (MomentoCopia(n).date() == hoy)
            return false;
    try {
        HazCopia(db, carpeta, avance);
        QFile::remove(FicheroFallo());
        return true;
    } catch (const std::exception& e) {
        QSaveFile f(FicheroFallo());
        if (f.open(QIODevice::WriteOnly)) {
            f.write(TextoDe(e).toUtf8());
            f.commit();
        }
        return false;
    }
}

QString TomaFalloCopia()
{
    QFile f(FicheroFallo());
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QString texto = QString::fromUtf8(f.readAll());
    f.close();
    f.remove();
    return texto;
}

QStringList OtrosPuestos(TFIBDatabase& db)
{
    TFIBTransaction tr;
    tr.SetDefaultDatabase(&db);
    tr.SetTRParams({QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait"), QStringLiteral("read")});
    tr.StartTransaction();
    TFIBQuery q;
    q.SetDatabase(&db);
    q.SetTransaction(&tr);
    // The program's own rows name the user; a database of another program
    // (or one without them) is named by where its seats connect from.
    const bool registro = [&] {
        q.SetSQL(QStringLiteral("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME IN ('SYS_REGISTRO', 'SYS_USUARIO')"));
        q.ExecQuery();
        const bool hay = q.Fields(0)->AsInteger() == 2;
        q.Close();
        return hay;
    }();
    q.SetSQL(QStringList{
        QStringLiteral("SELECT A.MON$REMOTE_ADDRESS, A.MON$REMOTE_PROCESS, A.MON$USER,"),
        registro ? QStringLiteral("  (SELECT FIRST 1 U.NOMBRE FROM SYS_REGISTRO R JOIN SYS_USUARIO U ON U.CODIGO = R.CODIGO"
                                  "   WHERE R.CONEXION = A.MON$ATTACHMENT_ID)")
                 : QStringLiteral("  CAST(NULL AS VARCHAR(40))"),
        QStringLiteral("FROM MON$ATTACHMENTS A"),
        QStringLiteral("WHERE A.MON$ATTACHMENT_ID <> CURRENT_CONNECTION AND A.MON$SYSTEM_FLAG = 0")});
    q.ExecQuery();
    QStringList puestos;
    while (!q.Eof()) {
        const QString usuario = q.Fields(3)->AsString().trimmed();
        const QString direccion = q.Fields(0)->AsString().trimmed();
        const QString programa = QFileInfo(q.Fields(1)->AsString().trimmed()).fileName();
        if (!usuario.isEmpty())
            puestos << QStringLiteral("el usuario %1").arg(usuario);
        else
            puestos << QStringLiteral("%1 (%2)")
                           .arg(programa.isEmpty() ? QStringLiteral("un programa") : programa,
                                direccion.isEmpty() ? QStringLiteral("este equipo") : direccion);
        q.Next();
    }
    q.Close();
    tr.Commit();
    return puestos;
}

QString RestauraCopia(const QString& fbk, const QString& destino, TFIBDatabase* actual, const QStringList& parametros,
                      const TAvanceCopia& avance)
{
    const TFIBDatabaseLocation donde = TFIBDatabaseLocation::Of(destino);
    if (!FicherosAlAlcance(donde))
        throw EAviso(QStringLiteral("La base de datos está en el servidor %1: la copia se restaura en el propio servidor, con "
                                    "«quorumdesk --restaura ORIGEN DESTINO».")
                         .arg(donde.Server));
    const QFileInfo origen(fbk);
    if (!origen.isFile() || !origen.isReadable())
        throw EAviso(QStringLiteral("No se puede leer la copia «%1».").arg(fbk));
    const auto compruebaPuestos = [&] {
        if (!actual || !actual->Connected())
            return;
        const QStringList otros = OtrosPuestos(*actual);
        if (!otros.isEmpty())
            throw EAviso(QStringLiteral("No se puede restaurar una copia mientras otros puestos usan la base de datos: %1. "
                                        "Pídales que salgan del programa y vuelva a intentarlo.")
                             .arg(otros.join(QStringLiteral(", "))));
    };
    compruebaPuestos();

    // Restored beside the current file, with its indexes: the file that will
    // be used from now on.
    const QString nueva = AlLado(destino, QStringLiteral("restaurada"));
    TFIBDatabase restaurada;
    restaurada.SetDBName(nueva);
    restaurada.SetDBParams(parametros);
    int hecho = 0;
    QString paso;
    TFIBServiceProgress progreso = Seguimiento(QStringLiteral("Restaurando"), paso, hecho, 0, avance);
    try {
        RestoreDatabase(fbk, restaurada, true, progreso);
    } catch (const EFIBError& e) {
        Elimina(nueva, parametros);
        throw EAviso(QStringLiteral("No se ha podido restaurar la copia «%1»: el fichero está incompleto, dañado o no es "
                                    "una copia de seguridad. La base de datos actual no ha cambiado.\n\n%2")
                         .arg(fbk, e.Message()));
    }
    // Verified: the program's database, every row of every table readable.
    try {
        restaurada.Open();
        TFIBTransaction tr;
        tr.SetDefaultDatabase(&restaurada);
        tr.SetTRParams({QStringLiteral("concurrency"), QStringLiteral("nowait"), QStringLiteral("read")});
        int leidas = 0;
        const std::vector<TTableSum> tablas = Sumas(restaurada, tr, QStringLiteral("Verificando %1"), leidas, 0, avance);
        tr.Commit();
        restaurada.Close();
        const auto tiene = [&](const char* nombre) {
            return std::any_of(tablas.begin(), tablas.end(), [&](const TTableSum& t) { return t.Table == QLatin1String(nombre); });
        };
        if (!tiene("SYS_VERSION") || !tiene("SYS_USUARIO") || !tiene("SYS_REGISTRO"))
            throw EAviso(QStringLiteral("La copia «%1» no es de una base de datos de QuorumDesk. La base de datos actual no ha "
                                        "cambiado.")
                             .arg(fbk));
        compruebaPuestos();
    } catch (const EFIBError& e) {
        Elimina(nueva, parametros);
        throw EAviso(QStringLiteral("La copia restaurada no se puede leer entera. La base de datos actual no ha cambiado.\n\n%1")
                         .arg(e.Message()));
    } catch (...) {
        Elimina(nueva, parametros);
        throw;
    }

    // The switch: the current file kept under another name, then the restored one in its place.
    if (actual && actual->Connected())
        actual->Close();
    const QString ficheroActual = donde.Path;
    const QString ficheroNuevo = TFIBDatabaseLocation::Of(nueva).Path;
    QString anterior;
    if (QFile::exists(ficheroActual)) {
        const QFileInfo fi(ficheroActual);
        anterior = fi.path() + QLatin1Char('/') + fi.completeBaseName() + QStringLiteral("-anterior-") +
                   Marca(QDateTime::currentDateTime()) + QStringLiteral(".fdb");
        if (!QFile::rename(ficheroActual, anterior)) {
            Elimina(nueva, parametros);
            throw EAviso(QStringLiteral("No se ha podido apartar la base de datos actual como «%1»; sigue como estaba.").arg(anterior));
        }
    }
    if (!QFile::rename(ficheroNuevo, ficheroActual)) {
        if (!anterior.isEmpty())
            QFile::rename(anterior, ficheroActual);
        Elimina(nueva, parametros);
        throw EAviso(QStringLiteral("No se ha podido poner la copia restaurada en lugar de «%1»; la base de datos actual sigue "
                                    "como estaba.")
                         .arg(ficheroActual));
    }
    return anterior;
}

std::optional<int> OrdenCopias(const QStringList& argumentos)
{
    const qsizetype copia = argumentos.indexOf(QStringLiteral("--copia"));
    const qsizetype restaura = argumentos.indexOf(QStringLiteral("--restaura"));
    if (copia < 0 && restaura < 0)
        return std::nullopt;
    const auto dice = [](const QString& texto, FILE* donde) { std::fprintf(donde, "%s\n", texto.toLocal8Bit().constData()); };
    if ((copia >= 0 && copia + 1 >= argumentos.size()) || (restaura >= 0 && restaura + 2 >= argumentos.size())) {
        dice(QStringLiteral("Uso: quorumdesk --copia DESTINO | quorumdesk --restaura ORIGEN DESTINO"), stderr);
        return 2;
    }
    try {
        if (copia >= 0) {
            TFIBDatabase db;
            PreparaBaseConfigurada(db);
            db.Open();
            const QString fichero = HazCopia(db, argumentos[copia + 1]);
            db.Close();
            dice(QStringLiteral("Copia hecha y verificada: %1").arg(fichero), stdout);
            return 0;
        }
        const QString destino = argumentos[restaura + 2];
        const QStringList parametros = ParametrosConexion();
        TFIBDatabase actual;
        actual.SetDBName(destino);
        actual.SetDBParams(parametros);
        const TFIBDatabaseLocation donde = TFIBDatabaseLocation::Of(destino);
        if (!donde.Embedded() || QFile::exists(donde.Path)) {
            try {
                actual.Open();
            } catch (const EFIBError&) {
                // A database that does not exist yet is made from the copy.
                if (donde.Embedded() || QFile::exists(donde.Path))
                    throw;
            }
        }
        const QString anterior = RestauraCopia(argumentos[restaura + 1], destino, &actual, parametros);
        dice(QStringLiteral("Copia restaurada y verificada en %1.").arg(destino), stdout);
        if (!anterior.isEmpty())
            dice(QStringLiteral("La base de datos anterior se conserva como %1.").arg(anterior), stdout);
        return 0;
    } catch (const std::exception& e) {
        dice(TextoDe(e), stderr);
        return 1;
    }
}
