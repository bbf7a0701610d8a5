#include "UDMMain.h"
#include "UComponentesBusquedaFiltrada.h"
#include "UFCamino.h"
#include "UFormatos.h"
#include "UPerfil.h"
#include "UUtiles.h"

#include <QDir>
#include <QFile>
#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <optional>

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
    Teclas.ValoresModuloPrincipal();
    ILOrdGrid = ImagenesOrdenGrid();
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

void TDMMain::EjecutaActualizacion()
{
    const QString trabajo = QDir::currentPath();
    const QString script = BuscaFichero(trabajo, QStringLiteral("ACT.BAT"));
    if (script.isEmpty())
        return;
    if (!BuscaFichero(trabajo, QStringLiteral("QUORUMDESK.FDB")).isEmpty()) {
        Mensaje(QStringLiteral("Se va a proceder a actualizar la base de datos, pulse una tecla"), true);
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        int estado = 0;
        try {
            estado = EsperaPrograma(EjecutaPrograma(QStringLiteral("/bin/sh"), QLatin1Char('"') + script + QLatin1Char('"'), false));
        } catch (const EUtilesError& e) {
            // Not started: the script stays for the next start; the database opens as it is.
            QGuiApplication::restoreOverrideCursor();
            Mensaje(e.Message());
            return;
        }
        QGuiApplication::restoreOverrideCursor();
        if (estado != 0)
            Mensaje(QStringLiteral("La actualización de la base de datos ha terminado con error (código %1).").arg(estado));
    }
    QFile::remove(script);
}

bool TDMMain::AbreBaseDeDatos(QString camino)
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
            Mensaje(QStringLiteral("Imposible abrir base de datos\r\r") + e.Message(), true);
            TFCamino dialogo(camino);
            const bool reintentar = dialogo.exec() == QDialog::Accepted;
            camino = dialogo.Camino();
            if (!reintentar)
                return false;
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

bool TDMMain::DataModuleCreate()
{
    Entorno.CaminoPrograma = CarpetaPrograma();
    BorraFicheros(Entorno.CaminoPrograma, QStringLiteral("*.out"));
    EjecutaActualizacion();
    if (DataBase.Connected())
        DataBase.Close();
    if (BuscaFichero(CarpetaConfiguracion(), QStringLiteral("quorumdesk.ini")).isEmpty())
        TIniFile(FicheroPerfil(QStringLiteral("quorumdesk.ini")))
            .WriteString(QStringLiteral("datos"), QStringLiteral("BaseDeDatos"), Entorno.CaminoPrograma + QStringLiteral("/quorumdesk.fdb"));
    const QString camino = TIniFile(FicheroPerfil(QStringLiteral("quorumdesk.ini")))
                               .ReadString(QStringLiteral("datos"), QStringLiteral("BaseDeDatos"), QString());
    if (!BuscaFichero(Entorno.CaminoPrograma, QStringLiteral("ServidorRemoto.cfg")).isEmpty())
        DataBase.SetDBParams(Parametros(QString::fromLatin1(kPasswordRemoto)));
    if (!AbreBaseDeDatos(camino))
        return false;
    InicializarEntorno();
    try {
        LimpiaRegistro();
    } catch (const EFIBError& e) {
        Mensaje(e.Message());
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

void TDMMain::BusquedaRapida(const QString& texto, TFIBTableSet& ds, const QString& campoNumero,
                             const QString& campoTexto, const QString& flags, const QString& orden)
{
    ::BusquedaRapida(texto, ds, campoNumero, campoTexto, flags, orden,
                     [this](TFIBDataSet& d, const QString& f, bool abrir) { AsignarParametrosEntorno(d, f, abrir); });
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

void TDMMain::RegistraSalida()
{
    QGen.SetSQL(QStringList{QStringLiteral("DELETE FROM SYS_REGISTRO"), QStringLiteral("WHERE CODIGO=?CODIGO")});
    QGen.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(Entorno.Usuario);
    QGen.ExecQuery();
    TGenerica.CommitRetaining();
}

namespace {
// "2.05" as 205: versions compare as the integers made of all their digits.
std::optional<int> NumeroVersion(const QString& texto)
{
    bool ok = false;
    const int n = ReemplazaCorta(texto.trimmed(), QStringLiteral("."), QString()).toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}
} // namespace

void TDMMain::CompruebaVersion(QWidget* aviso)
{
    if (!BuscaFichero(Entorno.CaminoPrograma, QStringLiteral("CFGACT.CFG")).isEmpty())
        return;
    QGen.SetSQL(QStringLiteral("SELECT VERSION FROM SYS_VERSION WHERE CODIGO=1"));
    QGen.ExecQuery();
    const QString versionBD = QGen.Eof() ? QString() : QGen.FieldByName(QStringLiteral("VERSION"))->AsString().trimmed();
    QGen.Close();
    const auto propia = VersionFichero(QCoreApplication::applicationFilePath());
    const QString versionPrograma = propia ? TextoVersion(*propia).mid(7).trimmed() : QString();
    if (versionBD != versionPrograma && BuscaFichero(Entorno.CaminoPrograma, QStringLiteral("QUORUMDESK.FDB")).isEmpty())
        Mensaje(QStringLiteral("TERMINAL CON VERSION DE QUORUMDESK DISTINTA A SERVIDOR"));

    const QString servidor = TIniFile(FicheroPerfil(QStringLiteral("quorumdesk.ini")))
                                 .ReadString(QStringLiteral("Actualizacion"), QStringLiteral("Servidor"), QString());
    if (servidor.isEmpty())
        return; // no download server configured: as with no connection
    if (aviso) {
        aviso->show();
        aviso->repaint();
    }
    const QString historico = Entorno.CaminoPrograma + QStringLiteral("/historico7.txt");
    QFile::remove(historico);
    bool pendientes = false;
    {
        TConexionInternet conexion(QStringLiteral("ZerurOvozudir"));
        QString base = servidor;
        while (base.endsWith(QLatin1Char('/')))
            base.chop(1);
        if (conexion.Abierta() && DescargaFichero(base + QStringLiteral("/Descargas/historico7.txt"), historico, 30, conexion)) {
            QFile f(historico);
            if (f.open(QIODevice::ReadOnly)) {
                QStringList lineas = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
                while (!lineas.isEmpty() && lineas.last().trimmed().isEmpty())
                    lineas.removeLast();
                // An empty history, or one whose last line is not a version
                // (an error page), counts as no history.
                const auto ultima = lineas.isEmpty() ? std::nullopt : NumeroVersion(lineas.last().left(5));
                const auto actual = NumeroVersion(versionBD);
                pendientes = ultima && actual && *actual < *ultima;
            }
        }
    }
    QFile::remove(historico);
    if (aviso)
        aviso->hide();
    if (pendientes) {
        QMessageBox pregunta(QMessageBox::Critical, QStringLiteral("CONFIRMACIÓN"),
                             QStringLiteral(" HAY ACTUALIZACIONES PENDIENTES PARA QUORUMDESK. ¿ ACTUALIZAR AHORA ? "),
                             QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
        pregunta.exec(); // either answer ends the check; the updater has its own command
    }
}
