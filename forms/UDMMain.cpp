#include "UDMMain.h"
#include "ActualizaEsquema.h"
#include "CreaBaseDatos.h"
#include "UFormatos.h"
#include "UPerfil.h"
#include "UProcesos.h"
#include "USistema.h"
#include "WaitCursor.h"

#include <QDir>
#include <QFile>

TREntorno Entorno;
TDMMain* DMMain = nullptr;

namespace {
const QStringList kTRParams{QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")};

QStringList Parametros(const QString& usuario, const QString& password)
{
    return {QStringLiteral("user_name=") + usuario, QStringLiteral("password=") + password};
}

const QString kIni = QStringLiteral("quorumdesk.ini");
const QString kDatos = QStringLiteral("datos");

// The value of one connection parameter ("user_name", "password").
QString Parametro(const QStringList& parametros, const QString& nombre)
{
    for (const QString& p : parametros)
        if (p.startsWith(nombre + QLatin1Char('=')))
            return p.mid(nombre.size() + 1);
    return QString();
}
} // namespace

QString ClaveIncorporada()
{
    return QString::fromLatin1(BuscaFichero(CarpetaPrograma(), QStringLiteral("ServidorRemoto.cfg")).isEmpty()
                                   ? TDMMain::kPassword
                                   : TDMMain::kPasswordRemoto);
}

QStringList ParametrosConexion(const QString& fichero, const QString& seccion, const QString& claveIncorporada)
{
    TIniFile ini(FicheroPerfil(fichero));
    const QString usuario = ini.ReadString(seccion, QStringLiteral("Usuario"), QString()).trimmed();
    const QString clave = ini.ReadString(seccion, QStringLiteral("Clave"), QString());
    // A password written by hand into a file others may read is kept from them.
    if (!clave.isEmpty() && (QFile::permissions(ini.Fichero()) & (QFileDevice::ReadGroup | QFileDevice::ReadOther)))
        ini.HazPrivado();
    return Parametros(usuario.isEmpty() ? QStringLiteral("SYSDBA") : usuario, clave.isEmpty() ? claveIncorporada : clave);
}

void CompruebaServidor(const TServidorElegido& servidor)
{
    TFIBDatabase db;
    db.SetDBName(servidor.Camino);
    db.SetDBParams(Parametros(servidor.Usuario, servidor.Clave));
    db.Open();
    db.Close();
}

void GuardaServidor(const TServidorElegido& servidor)
{
    TIniFile ini(FicheroPerfil(kIni));
    // Private before the password is in it.
    ini.WriteString(kDatos, QStringLiteral("BaseDeDatos"), servidor.Camino);
    ini.HazPrivado();
    ini.WriteString(kDatos, QStringLiteral("Usuario"), servidor.Usuario);
    ini.WriteString(kDatos, QStringLiteral("Clave"), servidor.Clave);
}

TDMMain::TDMMain()
{
    DataBase.SetDBParams(Parametros(QStringLiteral("SYSDBA"), QString::fromLatin1(kPassword)));
    DataBase.SetDefaultTransaction(&TGenerica);
    DataBase.OnConnect = [this](TFIBDatabase&) { SigueRegistro(); };
    TGenerica.SetDefaultDatabase(&DataBase);
    TGenerica.SetTRParams(kTRParams);
    QGen.SetDatabase(&DataBase);
    QGen.SetTransaction(&TGenerica);
    struct Def {
        TFIBDataSet* ds;
        const char* name;
        QStringList select;
    } defs[] = {
        {&QGene, "QGene", {QStringLiteral("SELECT * FROM SYS_REGISTRO")}},
        {&QComunidad, "QComunidad", {QStringLiteral("SELECT * FROM SYS_COMUNIDAD WHERE CODIGO=?CODIGO")}},
        {&QPara, "QPara", {QStringLiteral("SELECT * FROM SYS_PARAMETROS")}},
        {&QCondicion, "QCondicion", {QStringLiteral("SELECT * FROM sys_listados_condiciones"), QStringLiteral("WHERE CODIGO=?CODIGO")}},
    };
    for (Def& d : defs) {
        d.ds->Name = QString::fromLatin1(d.name);
        d.ds->SetDatabase(&DataBase);
        d.ds->SetTransaction(&TGenerica);
        d.ds->SetSelectSQL(d.select);
    }
    QGene.AddField<TIntegerField>(QStringLiteral("CODIGO"));
    QGene.AddField<TDateTimeField>(QStringLiteral("FECHA_ENTRADA"));
    QGene.AddField<TDateTimeField>(QStringLiteral("FECHA_SALIDA"));
}

TDMMain::~TDMMain()
{
    // The connection closes with the data module; whatever the shared
    // transaction holds was committed retaining when it was written.
    try {
        if (TGenerica.Active())
            TGenerica.Commit();
    } catch (const EFIBError&) {
    }
}

void TDMMain::EjecutaActualizacion(const TDialogosArranque& dialogos)
{
    // Only the program folder's: a script in whatever folder the program was
    // started from is nobody's update.
    const QString trabajo = Entorno.CaminoPrograma;
    const QString script = BuscaFichero(trabajo, QStringLiteral("ACT.BAT"));
    if (script.isEmpty())
        return;
    if (!BuscaFichero(trabajo, QStringLiteral("QUORUMDESK.FDB")).isEmpty()) {
        dialogos.Aviso(QStringLiteral("Se va a proceder a actualizar la base de datos, pulse una tecla"), true);
        int estado = 0;
        try {
            TWaitCursor espera;
            estado = EsperaPrograma(
                EjecutaPrograma(QStringLiteral("/bin/sh"), QLatin1Char('"') + script + QLatin1Char('"'), false, trabajo));
        } catch (const EUtilesError& e) {
            // Not started: the script stays for the next start; the database opens as it is.
            dialogos.Aviso(e.Message(), false);
            return;
        }
        if (estado != 0)
            dialogos.Aviso(QStringLiteral("La actualización de la base de datos ha terminado con error (código %1).").arg(estado), false);
    }
    QFile::remove(script);
}

bool TDMMain::AbreBaseDeDatos(QString camino, const TDialogosArranque& dialogos)
{
    bool claveNueva = false;
    for (;;) {
        try {
            DataBase.SetDBName(camino);
            DataBase.Open();
            TGenerica.StartTransaction();
            break;
        } catch (const EFIBError& e) {
            if (DataBase.Connected())
                DataBase.Close();
            // The server's own words say why (wrong path, server down, password).
            const QString explicacion = e.Explanation();
            dialogos.Aviso(QStringLiteral("Imposible abrir base de datos\r\r") +
                               (explicacion.isEmpty() ? QString() : explicacion + QStringLiteral("\r\r")) + e.Message(),
                           true);
            // Another program holds the file: another path would not help.
            if (e.HeldByAnotherProgram())
                return false;
            // The path is right, the password is not: the password is asked
            // for, and kept for the next start once it opens.
            if (e.LoginRefused() && dialogos.PideClave) {
                const QString usuario = Parametro(DataBase.DBParams(), QStringLiteral("user_name"));
                const std::optional<QString> clave = dialogos.PideClave(usuario);
                if (!clave)
                    return false;
                DataBase.SetDBParams(Parametros(usuario, *clave));
                claveNueva = true;
                continue;
            }
            const std::optional<QString> otro = dialogos.PideCamino(camino);
            if (!otro)
                return false;
            camino = *otro;
        }
    }
    TIniFile ini(FicheroPerfil(QStringLiteral("QuorumDesk.ini")));
    ini.WriteString(kDatos, QStringLiteral("BaseDeDatos"), camino);
    if (claveNueva) {
        ini.HazPrivado();
        ini.WriteString(kDatos, QStringLiteral("Usuario"), Parametro(DataBase.DBParams(), QStringLiteral("user_name")));
        ini.WriteString(kDatos, QStringLiteral("Clave"), Parametro(DataBase.DBParams(), QStringLiteral("password")));
    }
    return true;
}

bool TDMMain::PrimerArranque(QString* camino, const TDialogosArranque& dialogos)
{
    const std::optional<TPrimerArranque> eleccion = dialogos.PrimerArranque();
    if (!eleccion)
        return false;
    if (eleccion->Servidor) {
        // Checked by the dialog already; written before the open, which
        // writes the path again once it succeeds.
        GuardaServidor(*eleccion->Servidor);
        *camino = eleccion->Servidor->Camino;
        DataBase.SetDBParams(Parametros(eleccion->Servidor->Usuario, eleccion->Servidor->Clave));
        return true;
    }
    // The demo database, and the accounting product's demo beside it for the
    // import, unless this machine names an accounting database of its own.
    TWaitCursor espera;
    TOpcionesBD demo;
    demo.Contenido = TContenidoBD::Demo;
    CreaBaseDatos(*camino, demo);
    TIniFile taldemar(FicheroPerfil(QStringLiteral("taldemar.ini")));
    if (taldemar.ReadString(QStringLiteral("Datos"), QStringLiteral("BaseDeDatos"), QString()).trimmed().isEmpty()) {
        const QString contabilidad = Entorno.CaminoPrograma + QStringLiteral("/taldemar.fdb");
        if (!QFile::exists(contabilidad))
            CreaBaseTaldemar(contabilidad, demo);
        taldemar.WriteString(QStringLiteral("Datos"), QStringLiteral("BaseDeDatos"), contabilidad);
    }
    return true;
}

void TDMMain::LimpiaRegistro()
{
    // Rows left behind by seats that ended without logging out go when this
    // seat is the only one attached.
    if (DataBase.UserNames().size() != 1)
        return;
    QGen.SetSQL(QStringLiteral("DELETE FROM SYS_REGISTRO"));
    QGen.ExecQuery();
    TGenerica.CommitRetaining();
}

bool TDMMain::DataModuleCreate(const TDialogosArranque& dialogos)
{
    Entorno.CaminoPrograma = CarpetaPrograma();
    BorraFicheros(Entorno.CaminoPrograma, QStringLiteral("*.out"));
    EjecutaActualizacion(dialogos);
    if (DataBase.Connected())
        DataBase.Close();
    const bool primera = BuscaFichero(CarpetaConfiguracion(), kIni).isEmpty();
    if (primera)
        TIniFile(FicheroPerfil(kIni))
            .WriteString(kDatos, QStringLiteral("BaseDeDatos"), Entorno.CaminoPrograma + QStringLiteral("/quorumdesk.fdb"));
    QString camino = TIniFile(FicheroPerfil(kIni)).ReadString(kDatos, QStringLiteral("BaseDeDatos"), QString());
    DataBase.SetDBParams(ParametrosConexion(kIni, kDatos, ClaveIncorporada()));
    if (primera && dialogos.PrimerArranque && !QFile::exists(camino) && !PrimerArranque(&camino, dialogos))
        return false;
    if (!AbreBaseDeDatos(camino, dialogos))
        return false;
    InicializarEntorno();
    try {
        CompletaEsquema();
        LimpiaRegistro();
    } catch (const EFIBError& e) {
        dialogos.Aviso(e.Message(), false);
    }
    return true;
}

void TDMMain::InicializarEntorno()
{
    Entorno.Ejercicio = 0;
    Entorno.Comunidad = 0;
    Entorno.CaminoPrograma = CarpetaPrograma();
    Entorno.Usuario = 1;
    Entorno.NombreComunidad.clear();
    EstableceFormatosProceso();
}

void TDMMain::AsignarParametrosEntorno(TFIBDataSet& ds, const QString& flags, bool abrir)
{
    ds.Close();
    if (flags.size() > 0 && flags[0] == QLatin1Char('1')) {
        if (TFIBParam* p = ds.ParamByName(QStringLiteral("Comunidad")))
            p->SetAsInteger(Entorno.Comunidad);
    }
    if (flags.size() > 1 && flags[1] == QLatin1Char('1')) {
        if (TFIBParam* p = ds.ParamByName(QStringLiteral("ejercicio")))
            p->SetAsInteger(Entorno.Ejercicio);
    }
    if (abrir && !ds.Active())
        ds.Open();
}

QString TDMMain::NombreUsuario(const QString& codigo, TFIBQuery& q)
{
    const QString texto = codigo.trimmed().isEmpty() ? QStringLiteral("0") : codigo.trimmed();
    bool ok = false;
    const int n = texto.toInt(&ok);
    if (!ok)
        return QString();
    TFIBTransaction* tr = q.Transaction();
    if (tr && !tr->Active())
        tr->StartTransaction();
    q.SetSQL(QStringLiteral("SELECT NOMBRE FROM SYS_USUARIO WHERE CODIGO=?CODIGO"));
    q.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(n);
    q.ExecQuery();
    const QString nombre = q.Eof() ? QString() : q.FieldByName(QStringLiteral("NOMBRE"))->AsString();
    q.Close();
    if (tr)
        tr->Commit();
    return nombre;
}

void TDMMain::CompletaEsquema()
{
    ActualizaEsquema(DataBase);
}

void TDMMain::QuitaRegistrosHuerfanos()
{
    // In a transaction of its own: the monitoring tables show the attachments
    // as they were when a transaction first reads them.
    TFIBTransaction tr;
    tr.SetDefaultDatabase(&DataBase);
    tr.SetTRParams({QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")});
    tr.StartTransaction();
    TFIBQuery q;
    q.SetDatabase(&DataBase);
    q.SetTransaction(&tr);
    q.SetSQL(QStringList{QStringLiteral("DELETE FROM SYS_REGISTRO R WHERE R.CONEXION IS NOT NULL"),
                         QStringLiteral("  AND NOT EXISTS (SELECT 1 FROM MON$ATTACHMENTS A"),
                         QStringLiteral("                  WHERE A.MON$ATTACHMENT_ID = R.CONEXION)")});
    q.ExecQuery();
    tr.Commit();
}

namespace {
// One statement in a transaction of its own, committed at once: the rows of
// the connected users must not wait on, nor depend on, the state of the
// shared transaction (after a reconnect it may not be running).
void EjecutaAparte(TFIBDatabase& db, const QStringList& sql, const std::function<void(TFIBQuery&)>& parametros,
                   qint32* conexion = nullptr)
{
    TFIBTransaction tr;
    tr.SetDefaultDatabase(&db);
    tr.SetTRParams(kTRParams);
    tr.StartTransaction();
    TFIBQuery q;
    q.SetDatabase(&db);
    q.SetTransaction(&tr);
    q.SetSQL(sql);
    parametros(q);
    q.ExecQuery();
    if (conexion) {
        q.SetSQL(QStringLiteral("SELECT CURRENT_CONNECTION FROM RDB$DATABASE"));
        q.ExecQuery();
        *conexion = static_cast<qint32>(q.Fields(0)->AsInteger());
        q.Close();
    }
    tr.Commit();
}
} // namespace

void TDMMain::RegistraEntrada(qint16 codigo)
{
    EjecutaAparte(
        DataBase,
        {QStringLiteral("INSERT INTO SYS_REGISTRO"),
         QStringLiteral(" (CODIGO,FECHA_ENTRADA,CONEXION) VALUES (?CODIGO,\"NOW\",CURRENT_CONNECTION)")},
        [codigo](TFIBQuery& q) { q.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(codigo); }, &conexion_);
    registrado_ = codigo;
}

void TDMMain::SigueRegistro()
{
    if (registrado_ == 0)
        return;
    // The row named the old attachment (or, written before a reconnect, no
    // longer exists: another seat's login removed it as left behind). It is
    // taken over only where it is this seat's; a row of another seat that
    // logged in as the same user meanwhile stays that seat's.
    const qint16 codigo = registrado_;
    const qint32 vieja = conexion_;
    EjecutaAparte(
        DataBase,
        {QStringLiteral("UPDATE SYS_REGISTRO SET CONEXION=CURRENT_CONNECTION"),
         QStringLiteral("WHERE CODIGO=?CODIGO AND (CONEXION=?VIEJA OR CONEXION IS NULL)")},
        [&](TFIBQuery& q) {
            q.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(codigo);
            q.ParamByName(QStringLiteral("VIEJA"))->SetAsInteger(vieja);
        },
        &conexion_);
    EjecutaAparte(DataBase,
                  {QStringLiteral("INSERT INTO SYS_REGISTRO (CODIGO,FECHA_ENTRADA,CONEXION)"),
                   QStringLiteral("SELECT ?CODIGO,\"NOW\",CURRENT_CONNECTION FROM RDB$DATABASE"),
                   QStringLiteral("WHERE NOT EXISTS (SELECT 1 FROM SYS_REGISTRO WHERE CODIGO=?CODIGO)")},
                  [&](TFIBQuery& q) { q.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(codigo); });
}

void TDMMain::Reabre()
{
    DataBase.Open();
    TGenerica.StartTransaction();
    CompletaEsquema();
    LimpiaRegistro();
    RegistraEntrada(Entorno.Usuario);
}

void TDMMain::RegistraSalida()
{
    const qint16 codigo = registrado_ != 0 ? registrado_ : Entorno.Usuario;
    // Only this seat's row: one that another seat wrote for the same user
    // while this one was cut off is that seat's.
    EjecutaAparte(DataBase,
                  {QStringLiteral("DELETE FROM SYS_REGISTRO"),
                   QStringLiteral("WHERE CODIGO=?CODIGO AND (CONEXION=CURRENT_CONNECTION OR CONEXION IS NULL)")},
                  [codigo](TFIBQuery& q) { q.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(codigo); });
    registrado_ = 0;
}

void TDMMain::CambiaComunidad(qint32 codigo, const QString& nombre)
{
    Entorno.Ejercicio = 0;
    Entorno.Comunidad = codigo;
    Entorno.NombreComunidad = nombre;
    emit ComunidadCambiada();
}

QStringList ParametrosConexion()
{
    return ParametrosConexion(QStringLiteral("quorumdesk.ini"), QStringLiteral("datos"), ClaveIncorporada());
}

void PreparaBaseConfigurada(TFIBDatabase& base)
{
    base.SetDBName(TIniFile(FicheroPerfil(QStringLiteral("quorumdesk.ini")))
                       .ReadString(QStringLiteral("datos"), QStringLiteral("BaseDeDatos"), QString()));
    base.SetDBParams(ParametrosConexion());
}

QString CaminoHalvenbook(const QString& defecto)
{
    return TIniFile(FicheroPerfil(QStringLiteral("halvenbook.ini")))
        .ReadString(QStringLiteral("Datos"), QStringLiteral("BaseDeDatos"), defecto)
        .trimmed();
}

void PreparaHalvenbook(TFIBDatabase& base, const QString& camino)
{
    base.SetDBName(camino);
    base.SetDBParams(ParametrosConexion(QStringLiteral("halvenbook.ini"), QStringLiteral("Datos"),
                                        QString::fromLatin1(TDMMain::kPassword)));
}
