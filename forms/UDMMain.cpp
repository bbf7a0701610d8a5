#include "UDMMain.h"
#include "ActualizaEsquema.h"
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

QStringList Parametros(const QString& password)
{
    return {QStringLiteral("user_name=SYSDBA"), QStringLiteral("password=") + password};
}
} // namespace

TDMMain::TDMMain()
{
    DataBase.SetDBParams(Parametros(QString::fromLatin1(kPassword)));
    DataBase.SetDefaultTransaction(&TGenerica);
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
            const std::optional<QString> otro = dialogos.PideCamino(camino);
            if (!otro)
                return false;
            camino = *otro;
        }
    }
    TIniFile(FicheroPerfil(QStringLiteral("QuorumDesk.ini"))).WriteString(QStringLiteral("datos"), QStringLiteral("BaseDeDatos"), camino);
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
    if (BuscaFichero(CarpetaConfiguracion(), QStringLiteral("quorumdesk.ini")).isEmpty())
        TIniFile(FicheroPerfil(QStringLiteral("quorumdesk.ini")))
            .WriteString(QStringLiteral("datos"), QStringLiteral("BaseDeDatos"), Entorno.CaminoPrograma + QStringLiteral("/quorumdesk.fdb"));
    const QString camino = TIniFile(FicheroPerfil(QStringLiteral("quorumdesk.ini")))
                               .ReadString(QStringLiteral("datos"), QStringLiteral("BaseDeDatos"), QString());
    DataBase.SetDBParams(ParametrosConexion());
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

void TDMMain::RegistraEntrada(qint32 usuario)
{
    QGen.SetSQL(QStringList{QStringLiteral("INSERT INTO SYS_REGISTRO"),
                            QStringLiteral(" (CODIGO,FECHA_ENTRADA,CONEXION) VALUES (?CODIGO,\"NOW\",CURRENT_CONNECTION)")});
    QGen.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(usuario);
    QGen.ExecQuery();
    TGenerica.CommitRetaining();
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
    QGen.SetSQL(QStringList{QStringLiteral("DELETE FROM SYS_REGISTRO"), QStringLiteral("WHERE CODIGO=?CODIGO")});
    QGen.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(Entorno.Usuario);
    QGen.ExecQuery();
    TGenerica.CommitRetaining();
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
    const bool remoto = !BuscaFichero(CarpetaPrograma(), QStringLiteral("ServidorRemoto.cfg")).isEmpty();
    return Parametros(QString::fromLatin1(remoto ? TDMMain::kPasswordRemoto : TDMMain::kPassword));
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
    base.SetDBParams(Parametros(QString::fromLatin1(TDMMain::kPassword)));
}
