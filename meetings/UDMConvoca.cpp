#include "UDMConvoca.h"
#include "UAplicacion.h"
#include "AlSalir.h"
#include "FIBError.h"
#include "UAcuerdos.h"
#include "RtfText.h"
#include "UDMMain.h"
#include "UDialogos.h"
#include "UFPeriodos.h"
#include "UFPresu.h"
#include "UFTarea.h"
#include "UPerfil.h"
#include "USalida.h"
#include "UTextos.h"
#include "WaitCursor.h"

#include <QDate>
#include <QSet>

namespace {

const QString kCodigo = QStringLiteral("CODIGO");
const QString kComunidad = QStringLiteral("COMUNIDAD");

// A new convocation's vote and tally rows are made before its row is
// written; until that row is written they can be undone together.
const QString kPuntoRetorno = QStringLiteral("CONVOCATORIA_NUEVA");

QStringList Sin(QStringList columnas, const QStringList& quitar)
{
    for (const QString& c : quitar)
        columnas.removeAll(c);
    return columnas;
}

// The date of the merge fields: "05 de marzo de 2012".
QString FechaCarta(const QDateTime& fecha)
{
    return fecha.isValid() ? FormatoFechaHora(fecha, QStringLiteral("dd \"de\" mmmm \"de\" yyyy")) : QString();
}

// A text column of the first row of an open dataset; empty without a row.
QString Texto(const TFIBDataSet& ds, const char* campo)
{
    if (!ds.Active() || ds.IsEmpty())
        return {};
    const TField* f = ds.FindField(QString::fromLatin1(campo));
    return f ? f->AsString() : QString();
}

QByteArray Escapa(const QString& texto) { return Rtf::escapeText(texto); }

const QString kGuardeConvocatoria = QStringLiteral("Guarde primero la convocatoria.");


// The value of "[Puntos]" and of the fields before it: the first occurrence
// of each agenda marker starts a paragraph. A line end right before a
// marker gives way to that paragraph, so that no empty one is left.
QString MarcaParrafos(const QString& valor)
{
    QList<qsizetype> posiciones;
    for (int n = 1; n <= 10; ++n) {
        const qsizetype p = valor.indexOf(MarcaPunto(n));
        if (p >= 0 && !posiciones.contains(p))
            posiciones << p;
    }
    std::sort(posiciones.begin(), posiciones.end());
    QString resultado;
    qsizetype desde = 0;
    for (const qsizetype p : std::as_const(posiciones)) {
        QString tramo = valor.mid(desde, p - desde);
        if (tramo.endsWith(QLatin1String("\r\n")))
            tramo.chop(2);
        else if (tramo.endsWith(QLatin1Char('\n')) || tramo.endsWith(QLatin1Char('\r')))
            tramo.chop(1);
        resultado += tramo + QLatin1Char('\n');
        desde = p;
    }
    return resultado + valor.mid(desde);
}

// Two names of the same person as a vote row keeps them (40 characters).
bool MismoNombre(const QString& a, const QString& b)
{
    return a.left(40).trimmed() == b.left(40).trimmed();
}

bool TieneCampo(const QByteArray& documento, const QString& campo)
{
    int veces = 0;
    Rtf::replaceField(documento, campo, QString(), &veces);
    return veces > 0;
}

} // namespace

QString MarcaPunto(int n) { return QString::number(n) + QStringLiteral("º.-"); }

QString TextoTipoGestion(int tipo)
{
    switch (tipo) {
    case 1: return QStringLiteral("TAREA");
    case 2: return QStringLiteral("PRESUPUESTO");
    default: return {};
    }
}

QByteArray ReplaceField(const QByteArray& documento, const QString& campo, const QString& valor)
{
    const bool puntos = TieneCampo(documento, QStringLiteral("[Puntos]"));
    return Rtf::replaceField(documento, campo, puntos ? MarcaParrafos(valor) : valor);
}

QByteArray ReplaceFieldRtf(const QByteArray& documento, const QString& campo, const QByteArray& fragmento)
{
    return Rtf::replaceFieldRtf(documento, campo, fragmento);
}

std::optional<QString> TomaPuntoAgenda(int n, QString& agenda)
{
    const qsizetype inicio = agenda.indexOf(MarcaPunto(n));
    if (inicio < 0)
        return std::nullopt;
    const qsizetype fin = agenda.indexOf(MarcaPunto(n + 1));
    const QString texto = fin < 0 ? agenda.mid(inicio) : agenda.mid(inicio, std::max<qsizetype>(0, fin - inicio));
    // Without the next marker only the last character stays, which no later
    // marker can match.
    agenda = fin < 0 ? agenda.right(1) : agenda.mid(fin);
    return texto;
}

void ExtractAgendaPoint(int n, QString& agenda, QList<QByteArray>& lineas)
{
    const std::optional<QString> texto = TomaPuntoAgenda(n, agenda);
    if (!texto)
        return;
    if (n != 1)
        lineas << QByteArrayLiteral("\\par \\page ");
    lineas << QByteArrayLiteral("\\par \\pard\\fs22 ") + Escapa(*texto);
}

QStringList TextosPuntos(QString agenda)
{
    QStringList textos;
    for (int n = 1; n <= 10; ++n) {
        const std::optional<QString> punto = TomaPuntoAgenda(n, agenda);
        textos << (punto ? punto->simplified() : QString());
    }
    return textos;
}

TDMConvoca::TDMConvoca()
{
    TFIBDatabase* db = &DMMain->DataBase;

    // Convocations. The attendance totals are the procedures' to write: a
    // save of the row never writes them back.
    const QStringList columnas{kComunidad,          kCodigo,
                               QStringLiteral("DES"),    QStringLiteral("TIPO"),
                               QStringLiteral("FECHA"),  QStringLiteral("HORA1"),
                               QStringLiteral("HORA2"),  QStringLiteral("LUGAR"),
                               QStringLiteral("FECHAT"), QStringLiteral("ORDEN"),
                               QStringLiteral("TEXTO"),  QStringLiteral("OBS"),
                               QStringLiteral("ASISTENTES"), QStringLiteral("COEFICIENTES"),
                               QStringLiteral("ACTA"),   QStringLiteral("NOTAS"),
                               QStringLiteral("ESCRITO")};
    const QStringList claves{kCodigo, kComunidad};
    const TSentenciasGeneradas g = SentenciasGeneradas(QStringLiteral("CONVOCATORIAS"), columnas, claves);
    const TSentenciasGeneradas sinTotales = SentenciasGeneradas(
        QStringLiteral("CONVOCATORIAS"), Sin(columnas, {QStringLiteral("ASISTENTES"), QStringLiteral("COEFICIENTES")}), claves);
    TIntegerField* codigo = QTabla.AddField<TIntegerField>(kCodigo);
    codigo->SetDisplayLabel(QStringLiteral("Código"));
    QTabla.AddField<TFloatField>(QStringLiteral("COEFICIENTES"))->DisplayFormat = QString::fromLatin1(MascaraCoeficiente);
    DefinePrincipal(QTabla, {.Name = QStringLiteral("QTabla"),
                             .TableName = QStringLiteral("CONVOCATORIAS"),
                             .SelectSQL = {QStringLiteral("SELECT * FROM CONVOCATORIAS WHERE COMUNIDAD=?COMUNIDAD"),
                                           QStringLiteral("ORDER BY CODIGO DESC")},
                             .InsertSQL = g.Insert,
                             .UpdateSQL = sinTotales.Update,
                             .DeleteSQL = g.Delete,
                             .RefreshSQL = g.Refresh,
                             .Opciones = {TOpcionesTableSet::NoControlarConcurrencia}});
    codigo->OnGetText = [this](TField& f, QString& texto, bool mostrar) {
        const bool alta = QTabla.State() == TDataSetState::dsInsert && (f.IsNull() || f.AsInteger() == 0);
        texto = alta ? (mostrar ? QStringLiteral("Alta") : QString()) : f.AsString();
    };
    QTabla.OnNewRecord = [this](TFIBDataSet& ds) {
        ds.FieldByName(kComunidad)->SetAsInteger(Entorno.Comunidad);
        ds.FieldByName(QStringLiteral("TIPO"))->SetAsInteger(1);
        ds.FieldByName(QStringLiteral("FECHA"))->SetAsDateTime(QDateTime(QDate::currentDate(), QTime(0, 0)));
        ds.FieldByName(QStringLiteral("ORDEN"))->SetAsString(MarcaPunto(1));
        ds.FieldByName(QStringLiteral("ASISTENTES"))->SetAsInteger(0);
        ds.FieldByName(QStringLiteral("COEFICIENTES"))->SetAsFloat(0);
        nueva_ = true;
    };
    QTabla.AfterCancel = [this](TFIBDataSet&) { nueva_ = false; };
    QTabla.BeforePost = [this](TFIBDataSet&) { QTablaBeforePost(); };
    QTabla.OnPostError = [this](TFIBDataSet& ds, const EFIBError&, TDataAction&) {
        // The row was not written: the vote rows made for it go, and the next
        // save reads the highest code again.
        if (puntoRetorno_) {
            puntoRetorno_ = false;
            Ejecuta(QStringLiteral("ROLLBACK TO SAVEPOINT ") + kPuntoRetorno);
        }
        if (codigoDado_ && ds.State() == TDataSetState::dsInsert)
            ds.FieldByName(kCodigo)->SetAsInteger(0);
        codigoDado_ = false;
    };
    QTabla.AfterPost = [this](TFIBDataSet&) {
        if (puntoRetorno_) {
            puntoRetorno_ = false;
            Ejecuta(QStringLiteral("RELEASE SAVEPOINT ") + kPuntoRetorno);
        }
        codigoDado_ = false;
        graba();
    };
    QTabla.AfterDelete = [this](TFIBDataSet&) { graba(); };

    SpGen.SetDatabase(db);
    SpGen.SetTransaction(&FIBTransaction);
    SpAsiste.SetDatabase(db);
    SpAsiste.SetTransaction(&FIBTransaction);
    SpAsiste.SetSQL(QStringLiteral("UPDATE VOTACIONES SET ASISTENCIA=?ASISTENCIA WHERE COMUNIDAD=?COMUNIDAD AND "
                                   "CONVOCATORIA=?CONVOCATORIA AND PROPIETARIO=?PROPIETARIO"));

    // Agenda rows: not edited by any screen, numbered within the convocation.
    const QStringList columnasOrden{kComunidad, kCodigo, QStringLiteral("NUMERO"), QStringLiteral("PUNTO"),
                                    QStringLiteral("DES")};
    const TSentenciasGeneradas o = SentenciasGeneradas(
        QStringLiteral("ORDEN"), columnasOrden, {QStringLiteral("NUMERO"), kCodigo, kComunidad});
    QOrden.SetDatabase(db);
    QOrden.SetTransaction(&FIBTransaction);
    QOrden.LoadDefinition({.Name = QStringLiteral("QOrden"),
                           .TableName = QStringLiteral("ORDEN"),
                           .SelectSQL = {QStringLiteral("SELECT * FROM ORDEN WHERE COMUNIDAD=?COMUNIDAD AND CODIGO=?CODIGO"),
                                         QStringLiteral("ORDER BY PUNTO")},
                           .InsertSQL = o.Insert,
                           .UpdateSQL = o.Update,
                           .DeleteSQL = o.Delete,
                           .RefreshSQL = o.Refresh,
                           .Opciones = {TOpcionesTableSet::NoControlarConcurrencia}});
    QOrden.SetDataSource(DataSource());
    QOrden.OnNewRecord = [this](TFIBDataSet& ds) {
        ds.FieldByName(kComunidad)->SetAsInteger(QTabla.FieldByName(kComunidad)->AsInteger());
        ds.FieldByName(kCodigo)->SetAsInteger(QTabla.FieldByName(kCodigo)->AsInteger());
        ds.FieldByName(QStringLiteral("NUMERO"))->SetAsInteger(0);
    };
    QOrden.BeforePost = [this](TFIBDataSet& ds) {
        TField* numero = ds.FieldByName(QStringLiteral("NUMERO"));
        if (!numero->IsNull() && numero->AsInteger() != 0)
            return;
        SpGen.SetSQL(QStringLiteral("SELECT MAX(NUMERO) NUMERO FROM ORDEN WHERE COMUNIDAD=?COMUNIDAD AND CODIGO=?CODIGO"));
        SpGen.ParamByName(kComunidad)->SetAsInteger(ds.FieldByName(kComunidad)->AsInteger());
        SpGen.ParamByName(kCodigo)->SetAsInteger(ds.FieldByName(kCodigo)->AsInteger());
        SpGen.ExecQuery();
        const qint64 mayor = SpGen.Fields(0)->IsNull() ? 0 : SpGen.Fields(0)->AsInteger();
        SpGen.Close();
        numero->SetAsInteger(mayor + 1);
    };
    QOrden.AfterPost = [this](TFIBDataSet&) { graba(); };
    QOrden.AfterDelete = [this](TFIBDataSet&) { graba(); };

    // Vote rows: made by the database; the user writes the name under which
    // the owner attends, the votes and the debt.
    const QStringList clavesVoto{QStringLiteral("PROPIETARIO"), QStringLiteral("CONVOCATORIA"), kComunidad};
    QStringList escritas{QStringLiteral("NOMBRE"), QStringLiteral("MODO")};
    for (int p = 1; p <= 10; ++p)
        escritas << QStringLiteral("P%1").arg(p);
    escritas << QStringLiteral("SALDO");
    const TSentenciasGeneradas v = SentenciasGeneradas(QStringLiteral("VOTACIONES"), clavesVoto + escritas, clavesVoto);
    for (int p = 1; p <= 10; ++p) {
        // QVotacionP1SetText: votes are stored in upper case. A vote is yes,
        // no or abstention, of an owner who attends: the tallies count
        // nothing else, so nothing else is taken.
        QVotacion.AddField<TFIBStringField>(QStringLiteral("P%1").arg(p))->OnSetText = [this](TField& f, const QString& t) {
            const QString voto = t.trimmed().toUpper();
            if (!voto.isEmpty() && voto != QLatin1String("S") && voto != QLatin1String("N") && voto != QLatin1String("A"))
                throw EAviso(QStringLiteral("«%1» no es un voto: escriba S (sí), N (no) o A (abstención), o deje la "
                                            "casilla en blanco.")
                                 .arg(t.trimmed()));
            if (!voto.isEmpty() && QVotacion.FieldByName(QStringLiteral("ASISTENCIA"))->AsInteger() != 1)
                throw EAviso(QStringLiteral("Marque primero la asistencia"));
            f.SetAsString(voto);
        };
    }
    // How the owner attends, and the name he attends under, go together: a
    // name other than his own is a representative's; attending himself, in
    // person or by telematic means, he attends under his own name.
    auto* modo = QVotacion.AddField<TIntegerField>(QStringLiteral("MODO"));
    modo->OnGetText = [this](TField& f, QString& texto, bool) {
        texto = QVotacion.FieldByName(QStringLiteral("ASISTENCIA"))->AsInteger() == 1 ? NombreModo(ModoDeValor(f.AsInteger()))
                                                                                        : QString();
    };
    modo->OnSetText = [this](TField& f, const QString& texto) { AsignaModo(f, texto); };
    // However the name is written, the way follows it.
    QVotacion.AddField<TFIBStringField>(QStringLiteral("NOMBRE"))->OnChange = [this](TField& f) {
        const QString propio = NombreRegistro();
        if (propio.isNull())
            return;
        TField* modo = QVotacion.FieldByName(QStringLiteral("MODO"));
        const TModoAsistencia actual = ModoDeValor(modo->AsInteger());
        if (!MismoNombre(f.AsString(), propio)) {
            if (actual != TModoAsistencia::Representado)
                modo->SetAsInteger(static_cast<int>(TModoAsistencia::Representado));
        } else if (actual == TModoAsistencia::Representado) {
            modo->SetAsInteger(static_cast<int>(TModoAsistencia::EnPersona));
        }
    };
    QVotacion.AddField<TFloatField>(QStringLiteral("SALDO"))->DisplayFormat = QString::fromLatin1(MascaraMoneda);
    QVotacion.AddField<TFloatField>(QStringLiteral("COEFICIENTES"))->DisplayFormat = QString::fromLatin1(MascaraCoeficiente);
    QVotacion.SetDatabase(db);
    QVotacion.SetTransaction(&FIBTransaction);
    QVotacion.LoadDefinition(
        {.Name = QStringLiteral("QVotacion"),
         .TableName = QStringLiteral("VOTACIONES"),
         .SelectSQL = {QStringLiteral("SELECT * FROM VOTACIONES WHERE COMUNIDAD=?COMUNIDAD AND CONVOCATORIA=?CODIGO"),
                       QStringLiteral("ORDER BY NOMBRE")},
         .UpdateSQL = v.Update,
         .DeleteSQL = v.Delete,
         .RefreshSQL = v.Refresh,
         .Opciones = {TOpcionesTableSet::NoControlarConcurrencia}});
    QVotacion.SetDataSource(DataSource());
    QVotacion.AfterOpen = [this](TFIBDataSet&) {
        // The grid keeps its column when the rows are read again: so does the tally.
        ShowPointTally(punto_);
        if (!QFincas.Active())
            QFincas.Open();
        if (!QPropi.Active())
            QPropi.Open();
    };
    QVotacion.AfterPost = [this](TFIBDataSet&) { graba(); };
    // borraVota: the owner has left the meeting.
    QVotacion.AfterDelete = [this](TFIBDataSet&) { RecountAttendance(); };
    DsVotacion.SetDataSet(&QVotacion);

    struct Lectura {
        TFIBDataSet& ds;
        const char* nombre;
        QStringList select;
        TDataSource* maestro;
    } lecturas[] = {
        {QVotacionP, "QVotacionP",
         {QStringLiteral("SELECT * FROM VOTACIONES_PUNTOS WHERE COMUNIDAD=?COMUNIDAD AND CONVOCATORIA=?CONVOCATORIA "
                         "AND PUNTO=?PUNTO")},
         nullptr},
        {QFincas, "QFincas",
         {QStringLiteral("SELECT CODIGO,NOMBRE,COEFICIENTES FROM EMP_FINCAS WHERE COMUNIDAD=?COMUNIDAD AND "
                         "PROPIETARIO=?PROPIETARIO ORDER BY NOMBRE")},
         &DsVotacion},
        {QPropi, "QPropi",
         {QStringLiteral("SELECT NOMBRE FROM EMP_PROPIETARIO WHERE COMUNIDAD=?COMUNIDAD AND CODIGO=?PROPIETARIO")},
         &DsVotacion},
        {QAdmin, "QAdmin", {QStringLiteral("SELECT * FROM ADMINISTRADOR")}, nullptr},
        {QComu, "QComu", {QStringLiteral("SELECT * FROM SYS_COMUNIDAD WHERE CODIGO=?COMUNIDAD")}, nullptr},
        {QAsistencia, "QAsistencia", {}, nullptr},
        {QDeudores, "QDeudores",
         {QStringLiteral("SELECT NOMBRE,SALDO FROM VOTACIONES WHERE COMUNIDAD=?COMUNIDAD AND "
                         "CONVOCATORIA=?CONVOCATORIA AND SALDO>0 AND ASISTENCIA=1 ORDER BY NOMBRE")},
         nullptr},
        {QEmail, "QEmail",
         {QStringLiteral("SELECT E_MAIL FROM EMP_PROPIETARIO WHERE COMUNIDAD=?COMUNIDAD AND TRIM(E_MAIL) <> \"\"")},
         nullptr},
    };
    for (const char* c : {"CSI", "CNO", "CABS"})
        QVotacionP.AddField<TFloatField>(QString::fromLatin1(c))->DisplayFormat = QString::fromLatin1(MascaraCoeficiente);
    QFincas.AddField<TFloatField>(QStringLiteral("COEFICIENTES"))->DisplayFormat = QString::fromLatin1(MascaraCoeficiente);
    for (Lectura& l : lecturas) {
        l.ds.Name = QString::fromLatin1(l.nombre);
        l.ds.SetDatabase(db);
        l.ds.SetTransaction(&FIBTransaction);
        if (!l.select.isEmpty())
            l.ds.SetSelectSQL(l.select);
        if (l.maestro)
            l.ds.SetDataSource(l.maestro);
    }

    // The accounting database's datasets; its connection is set up when used.
    TGenerica.SetDefaultDatabase(&DataBase);
    TGenerica.SetTRParams(THYTransactionDefinition{}.TRParams);
    DataBase.SetDefaultTransaction(&TGenerica);
    struct Contable {
        TFIBDataSet& ds;
        const char* nombre;
        QString select;
    } contables[] = {
        {QEjer, "QEjer", QStringLiteral("SELECT COMUNIDAD,EJERCICIO FROM EMP_EJERCICIOS WHERE COMUNIDAD=?COMUNIDAD ORDER BY EJERCICIO")},
        {QPeriodos, "QPeriodos",
         QStringLiteral("SELECT COMUNIDAD,EJERCICIO,PERIODO,TITULO FROM EMP_PERIODOS WHERE COMUNIDAD=?COMUNIDAD AND "
                        "EJERCICIO=?EJERCICIO ORDER BY PERIODO")},
        {QSaldo, "QSaldo",
         QStringLiteral("SELECT CODIGO,SALDOE FROM LISTADO_DEUDORES( ?COMUNIDAD,?EJERCICIO,?PERIODO) WHERE SALDOE > 0")},
    };
    for (Contable& c : contables) {
        c.ds.Name = QString::fromLatin1(c.nombre);
        c.ds.SetDatabase(&DataBase);
        c.ds.SetTransaction(&TGenerica);
        c.ds.SetSelectSQL({c.select});
    }
    QEjer.AddField<TIntegerField>(QStringLiteral("EJERCICIO"))->SetDisplayLabel(QStringLiteral("EJERCICIOS"));
    DsEjer.SetDataSet(&QEjer);
    QPeriodos.SetDataSource(&DsEjer);
    DsPeriodos.SetDataSet(&QPeriodos);
    // Each year opens on the period of the current month, or its last one.
    QPeriodos.AfterOpen = [](TFIBDataSet& ds) {
        const QString mes = NombreMes(QDate::currentDate().month()).toUpper();
        for (ds.First(); !ds.Eof(); ds.Next()) {
            if (ds.FieldByName(QStringLiteral("TITULO"))->AsString().toUpper().contains(mes))
                return;
        }
        ds.Last();
    };

    // Follow-up rows of the current convocation, numbered within it.
    const QStringList columnasDetalle{kComunidad,           kCodigo,
                                      QStringLiteral("NUMERO"),     QStringLiteral("DES"),
                                      QStringLiteral("TERMINADO"),  QStringLiteral("NUMGESTION"),
                                      QStringLiteral("TIPOGESTION")};
    const TSentenciasGeneradas d = SentenciasGeneradas(QStringLiteral("DETALLE"), columnasDetalle,
                                                       {QStringLiteral("NUMERO"), kCodigo, kComunidad});
    QDetalle.AddField<TFIBStringField>(QStringLiteral("DES"))->SetDisplayLabel(QStringLiteral("Descripción"));
    QDetalle.AddField<TIntegerField>(QStringLiteral("TERMINADO"))->SetDisplayLabel(QStringLiteral("T"));
    QDetalle.AddField<TIntegerField>(QStringLiteral("NUMGESTION"))->SetDisplayLabel(QStringLiteral("Número"));
    TIntegerField* tipoGestion = QDetalle.AddField<TIntegerField>(QStringLiteral("TIPOGESTION"));
    tipoGestion->SetDisplayLabel(QStringLiteral("Tipo"));
    tipoGestion->OnGetText = [](TField& f, QString& texto, bool mostrar) {
        if (!mostrar)
            texto = f.AsString();
        else
            texto = f.IsNull() ? QString() : TextoTipoGestion(static_cast<int>(f.AsInteger()));
    };
    tipoGestion->OnValidate = [](TField& f) {
        if (!f.IsNull() && (f.AsInteger() < 0 || f.AsInteger() > 2))
            throw EAviso(QStringLiteral("%1 no es un valor válido para el campo Tipo: va de 0 a 2.").arg(f.AsInteger()));
    };
    QDetalle.SetDatabase(db);
    QDetalle.SetTransaction(&FIBTransaction);
    QDetalle.LoadDefinition({.Name = QStringLiteral("QDetalle"),
                             .TableName = QStringLiteral("DETALLE"),
                             .SelectSQL = {QStringLiteral("SELECT * FROM DETALLE WHERE COMUNIDAD=?COMUNIDAD AND CODIGO=?CODIGO")},
                             .InsertSQL = d.Insert,
                             .UpdateSQL = d.Update,
                             .DeleteSQL = d.Delete,
                             .RefreshSQL = d.Refresh,
                             .Opciones = {TOpcionesTableSet::NoControlarConcurrencia}});
    QDetalle.SetDataSource(DataSource());
    DsDetalle.SetDataSet(&QDetalle);
    // A follow-up row belongs to a saved convocation: under one not yet
    // saved it would be kept under code 0.
    QDetalle.BeforeInsert = [this](TFIBDataSet&) {
        if (!QTabla.Active() || QTabla.IsEmpty() || QTabla.State() == TDataSetState::dsInsert)
            throw EAviso(kGuardeConvocatoria);
    };
    QDetalle.OnNewRecord = [this](TFIBDataSet& ds) {
        ds.FieldByName(kComunidad)->SetAsInteger(QTabla.FieldByName(kComunidad)->AsInteger());
        ds.FieldByName(kCodigo)->SetAsInteger(Convocatoria());
        ds.FieldByName(QStringLiteral("NUMERO"))->SetAsInteger(0);
        ds.FieldByName(QStringLiteral("TERMINADO"))->SetAsInteger(0);
        ds.FieldByName(QStringLiteral("NUMGESTION"))->SetAsInteger(0);
        ds.FieldByName(QStringLiteral("TIPOGESTION"))->SetAsInteger(0);
    };
    QDetalle.BeforePost = [this](TFIBDataSet& ds) {
        TField* numero = ds.FieldByName(QStringLiteral("NUMERO"));
        if (!numero->IsNull() && numero->AsInteger() != 0)
            return;
        SpGen.SetSQL(QStringLiteral("SELECT MAX(NUMERO) NUMERO FROM DETALLE WHERE COMUNIDAD=?COMUNIDAD AND CODIGO=?CODIGO"));
        SpGen.ParamByName(kComunidad)->SetAsInteger(Entorno.Comunidad);
        SpGen.ParamByName(kCodigo)->SetAsInteger(Convocatoria());
        SpGen.ExecQuery();
        const qint64 mayor = SpGen.Fields(0)->IsNull() ? 0 : SpGen.Fields(0)->AsInteger();
        SpGen.Close();
        numero->SetAsInteger(mayor + 1);
    };
    // A row whose save failed is numbered again at the next one.
    QDetalle.OnPostError = [](TFIBDataSet& ds, const EFIBError&, TDataAction&) {
        if (ds.State() == TDataSetState::dsInsert)
            ds.FieldByName(QStringLiteral("NUMERO"))->SetAsInteger(0);
    };
    QDetalle.AfterPost = [this](TFIBDataSet&) { TDMBase::graba(); };
    QDetalle.AfterDelete = [this](TFIBDataSet&) { TDMBase::graba(); };

    // Tasks and budgets in the community-management database. Their codes
    // are drawn when the record is written; the community and user codes are
    // the program's own, shared by both products.
    FIBHalvenbook.LoadDefinition(&DBHalvenbook);
    DBHalvenbook.SetDefaultTransaction(&FIBHalvenbook);
    struct Gestion {
        TFIBTableSet& ds;
        TDataSource& fuente;
        const char* nombre;
        const char* tabla;
        QStringList columnas;
    } gestiones[] = {
        {QTarea, DsTarea, "QTarea", "RGESTIONES",
         {kCodigo, QStringLiteral("FECHA"), QStringLiteral("FIN"), QStringLiteral("DURACION"), QStringLiteral("ORIGEN"),
          QStringLiteral("ORIGENNOMBRE"), QStringLiteral("TIPOLLAMADA"), QStringLiteral("DESTINATARIO"),
          QStringLiteral("TIPO2"), QStringLiteral("ASUNTO"), QStringLiteral("ATENDIDO"), QStringLiteral("ESTADO"),
          kComunidad, QStringLiteral("TELEFONO"), QStringLiteral("LLAMADATIPO"), QStringLiteral("LLAMADA")}},
        {QPresu, DsPresu, "QPresu", "PRESUPUESTO",
         {kCodigo, QStringLiteral("FECHA"), kComunidad, QStringLiteral("PROPUESTA"), QStringLiteral("PRESUPUESTO"),
          QStringLiteral("OBS"), QStringLiteral("SITUACION"), QStringLiteral("FLIMITE"), QStringLiteral("PROCEDE"),
          QStringLiteral("CODIGOPROCEDE"), QStringLiteral("CODIGO2PROCEDE"), QStringLiteral("LLAMADA")}},
    };
    for (Gestion& g : gestiones) {
        const QString tabla = QString::fromLatin1(g.tabla);
        const TSentenciasGeneradas h = SentenciasGeneradas(tabla, g.columnas, {kCodigo});
        g.ds.AddField<TDateTimeField>(QStringLiteral("FECHA"))->DisplayFormat = QStringLiteral("dd/mm/yyyy hh:nn:ss");
        TField* nombre = g.ds.AddField<TStringField>(QStringLiteral("COM_DES"));
        nombre->Calculated = true;
        g.ds.SetDatabase(&DBHalvenbook);
        g.ds.SetTransaction(&FIBHalvenbook);
        g.ds.LoadDefinition({.Name = QString::fromLatin1(g.nombre),
                             .TableName = tabla,
                             .SelectSQL = {QStringLiteral("SELECT * FROM %1 ORDER BY CODIGO DESC").arg(tabla)},
                             .InsertSQL = h.Insert,
                             .UpdateSQL = h.Update,
                             .RefreshSQL = h.Refresh,
                             .Opciones = {TOpcionesTableSet::NoControlarConcurrencia}});
        g.fuente.SetDataSet(&g.ds);
        // The code is the table's highest plus one, read as the record is
        // written, in that database.
        g.ds.BeforePost = [this, tabla](TFIBDataSet& ds) {
            TField* codigo = ds.FieldByName(kCodigo);
            if (!codigo->IsNull() && codigo->AsInteger() != 0)
                return;
            struct Vuelve {
                TFIBQuery& q;
                TFIBTransaction& tr;
                ~Vuelve()
                {
                    q.Close();
                    q.SetDatabase(&DMMain->DataBase);
                    q.SetTransaction(&tr);
                }
            } vuelve{SpGen, FIBTransaction};
            SpGen.SetDatabase(&DBHalvenbook);
            SpGen.SetTransaction(&FIBHalvenbook);
            SpGen.SetSQL(QStringLiteral("SELECT MAX(CODIGO) CODIGO FROM %1").arg(tabla));
            SpGen.ExecQuery();
            const qint64 mayor = SpGen.Fields(0)->IsNull() ? 0 : SpGen.Fields(0)->AsInteger();
            codigo->SetAsInteger(mayor + 1);
        };
        // Not written (another program took the code meanwhile): the next
        // try draws the code again.
        g.ds.OnPostError = [](TFIBDataSet& ds, const EFIBError&, TDataAction&) {
            if (ds.State() == TDataSetState::dsInsert)
                ds.FieldByName(kCodigo)->SetAsInteger(0);
        };
        g.ds.AfterPost = [this](TFIBDataSet& ds) {
            FIBHalvenbook.CommitRetaining();
            gestionEscrita_ = ds.FieldByName(kCodigo)->AsInteger();
        };
    }
    QTarea.AddField<TDateTimeField>(QStringLiteral("FIN"))->DisplayFormat = QStringLiteral("dd/mm/yyyy hh:nn:ss");
    for (const char* campo : {"DESTINATARIO_DES", "ATENDIDO_DES"}) {
        TField* nombre = QTarea.AddField<TStringField>(QString::fromLatin1(campo));
        nombre->Calculated = true;
    }
    QPresu.AddField<TDateTimeField>(QStringLiteral("FLIMITE"))->DisplayFormat = QStringLiteral("dd/mm/yyyy");
    // The names beside the codes, from the program's database.
    auto nombreUsuario = [this](const TFIBDataSet& ds, const char* campo) {
        const TField* f = ds.FieldByName(QString::fromLatin1(campo));
        return f->IsNull() ? QString() : usuarios_.value(f->AsInteger());
    };
    auto nombreComunidad = [this](const TFIBDataSet& ds) {
        const TField* f = ds.FieldByName(kComunidad);
        return f->IsNull() ? QString() : comunidades_.Nombre(f->AsInteger());
    };
    QTarea.OnCalcFields = [nombreUsuario, nombreComunidad](TFIBDataSet& ds) {
        ds.FieldByName(QStringLiteral("COM_DES"))->SetAsString(nombreComunidad(ds));
        ds.FieldByName(QStringLiteral("DESTINATARIO_DES"))->SetAsString(nombreUsuario(ds, "DESTINATARIO"));
        ds.FieldByName(QStringLiteral("ATENDIDO_DES"))->SetAsString(nombreUsuario(ds, "ATENDIDO"));
    };
    QPresu.OnCalcFields = [nombreComunidad](TFIBDataSet& ds) {
        ds.FieldByName(QStringLiteral("COM_DES"))->SetAsString(nombreComunidad(ds));
    };

    // The titles of the columns the workspace shows.
    auto titulo = [](TField* f, const char* texto) { f->SetDisplayLabel(QString::fromUtf8(texto)); };
    titulo(QTabla.AddField<TFIBStringField>(QStringLiteral("DES")), "Descripción");
    auto* fecha = QTabla.AddField<TDateTimeField>(QStringLiteral("FECHA"));
    fecha->DisplayFormat = QStringLiteral("dd/mm/yyyy");
    titulo(fecha, "Fecha");
    QTabla.AddField<TDateTimeField>(QStringLiteral("FECHAT"))->DisplayFormat = QStringLiteral("dd/mm/yyyy");
    titulo(QTabla.AddField<TFIBStringField>(QStringLiteral("LUGAR")), "Lugar");
    titulo(QVotacion.AddField<TIntegerField>(QStringLiteral("PROPIETARIO")), "Código");
    titulo(QVotacion.FieldByName(QStringLiteral("NOMBRE")), "Propietario/Representado");
    titulo(QVotacion.AddField<TIntegerField>(QStringLiteral("ASISTENCIA")), "As.");
    titulo(QVotacion.FieldByName(QStringLiteral("MODO")), "Asiste");
    titulo(QFincas.AddField<TIntegerField>(QStringLiteral("CODIGO")), "Código");
    titulo(QFincas.AddField<TFIBStringField>(QStringLiteral("NOMBRE")), "Nombre");
    titulo(QFincas.FieldByName(QStringLiteral("COEFICIENTES")), "Coeficiente");

    // The search bar: a number is a code, any other text a description.
    DeclaraBusqueda({kCodigo, QStringLiteral("DES"), QStringLiteral("10000")});
    DMMain->AsignarParametrosEntorno(QTabla, QStringLiteral("1"), false);
    Abre();
    QOrden.Open();
    QVotacion.Open();
    QDetalle.Open();
}

TDMConvoca::~TDMConvoca()
{
    // The accounting database is never left open; this is its last chance.
    try {
        if (DataBase.Connected())
            DataBase.Close();
    } catch (const EFIBError&) {
    }
    // Nor the community-management one.
    try {
        QTarea.Close();
        QPresu.Close();
        if (DBHalvenbook.Connected())
            DBHalvenbook.Close();
    } catch (const EFIBError&) {
    }
}

QString TDMConvoca::Fichero(const char* nombre) const
{
    return Entorno.CaminoPrograma + QLatin1Char('/') + QString::fromLatin1(nombre);
}

qint64 TDMConvoca::Convocatoria() const { return QTabla.FieldByName(kCodigo)->AsInteger(); }

void TDMConvoca::Ejecuta(const QString& sql)
{
    SpGen.SetSQL(sql);
    SpGen.ExecQuery();
    SpGen.Close();
}

void TDMConvoca::QTablaBeforePost()
{
    // The letters, the minutes and the meeting list are dated by it.
    if (QTabla.FieldByName(QStringLiteral("FECHA"))->IsNull())
        throw EAviso(QStringLiteral("Escriba la fecha de la convocatoria: el campo Fecha no puede quedar vacío."));
    TField* codigo = QTabla.FieldByName(kCodigo);
    if (codigo->IsNull() || codigo->AsInteger() == 0) {
        SpGen.SetSQL(QStringLiteral("SELECT MAX(CODIGO) CODIGO FROM CONVOCATORIAS WHERE COMUNIDAD=?COMUNIDAD"));
        SpGen.ParamByName(kComunidad)->SetAsInteger(Entorno.Comunidad);
        SpGen.ExecQuery();
        const qint64 mayor = SpGen.Fields(0)->IsNull() ? 0 : SpGen.Fields(0)->AsInteger();
        SpGen.Close();
        codigo->SetAsInteger(mayor + 1);
        codigoDado_ = true;
    }
    if (QTabla.State() != TDataSetState::dsInsert)
        return;
    if (Entorno.EnlaceContable == 1 && RefreshOwnersFromAccounting)
        RefreshOwnersFromAccounting();
    Ejecuta(QStringLiteral("SAVEPOINT ") + kPuntoRetorno);
    try {
        for (const char* procedimiento : {"votaciones_propi", "votaciones_puntos_mete"}) {
            SpGen.SetSQL(QStringLiteral("EXECUTE PROCEDURE %1(?COMUNIDAD,?CONVOCATORIA)").arg(QLatin1String(procedimiento)));
            SpGen.ParamByName(kComunidad)->SetAsInteger(Entorno.Comunidad);
            SpGen.ParamByName(QStringLiteral("CONVOCATORIA"))->SetAsInteger(codigo->AsInteger());
            SpGen.ExecQuery();
            SpGen.Close();
        }
    } catch (...) {
        Ejecuta(QStringLiteral("ROLLBACK TO SAVEPOINT ") + kPuntoRetorno);
        if (codigoDado_)
            codigo->SetAsInteger(0);
        codigoDado_ = false;
        throw;
    }
    puntoRetorno_ = true;
}

void TDMConvoca::graba()
{
    TDMBase::graba();
    if (QTabla.Active() && !QTabla.IsEmpty() && QTabla.FieldByName(QStringLiteral("ASISTENTES"))->AsInteger() == 0)
        RecountAttendance();
    const bool importa = nueva_;
    nueva_ = false;
    if (importa)
        ImportBalances();
}

void TDMConvoca::RefrescaConvocatoria()
{
    if (QTabla.State() != TDataSetState::dsBrowse || QTabla.IsEmpty())
        return;
    // The totals only: the vote rows, and a vote being typed, stay as they are.
    QTabla.RefreshKeepingDetails();
}

void TDMConvoca::ReleeVotaciones(const std::function<void()>& cambio)
{
    if (!QVotacion.Active()) {
        if (cambio)
            cambio();
        return;
    }
    QVotacion.CheckBrowseMode();
    const QVariant propietario = PropietarioActual();
    QVotacion.Close();
    if (cambio)
        cambio();
    QVotacion.Open();
    if (propietario.isValid())
        QVotacion.Locate(QStringLiteral("PROPIETARIO"), {propietario});
}

QVariant TDMConvoca::PropietarioActual() const
{
    return QVotacion.Active() && !QVotacion.IsEmpty() ? QVotacion.FieldByName(QStringLiteral("PROPIETARIO"))->AsVariant()
                                                      : QVariant();
}

void TDMConvoca::RefreshVotes()
{
    if (!QTabla.Active() || QTabla.IsEmpty() || QTabla.State() == TDataSetState::dsInsert)
        return;
    TWaitCursor espera;
    ReleeVotaciones();
    ShowPointTally(punto_);
    RefrescaConvocatoria();
}

void TDMConvoca::RecountAttendance()
{
    if (!QTabla.Active() || QTabla.IsEmpty() || QTabla.State() == TDataSetState::dsInsert)
        return;
    SpGen.SetSQL(QStringLiteral("execute procedure convocatoria_asistencia(?comunidad,?convocatoria)"));
    SpGen.ParamByName(QStringLiteral("comunidad"))->SetAsInteger(Entorno.Comunidad);
    SpGen.ParamByName(QStringLiteral("convocatoria"))->SetAsInteger(Convocatoria());
    SpGen.ExecQuery();
    SpGen.Close();
    // At once, like every change of the module: the convocation's row is
    // not left held for other seats.
    FIBTransaction.CommitRetaining();
    RefrescaConvocatoria();
}

QString TDMConvoca::NombreRegistro()
{
    TFIBQuery q;
    q.SetDatabase(&DMMain->DataBase);
    q.SetTransaction(&FIBTransaction);
    q.SetSQL(QStringLiteral("SELECT NOMBRE FROM EMP_PROPIETARIO WHERE COMUNIDAD=?COMUNIDAD AND CODIGO=?PROPIETARIO"));
    q.ParamByName(kComunidad)->SetAsInteger(QVotacion.FieldByName(kComunidad)->AsInteger());
    q.ParamByName(QStringLiteral("PROPIETARIO"))->SetAsInteger(QVotacion.FieldByName(QStringLiteral("PROPIETARIO"))->AsInteger());
    q.ExecQuery();
    return q.Eof() ? QString() : q.Fields(0)->AsString();
}

void TDMConvoca::AsignaModo(TField& campo, const QString& texto)
{
    const std::optional<TModoAsistencia> modo = ModoDeTexto(texto);
    if (!modo)
        throw EAviso(QStringLiteral("Escriba cómo asiste el propietario: En persona, Representado o Telemático."));
    if (QVotacion.FieldByName(QStringLiteral("ASISTENCIA"))->AsInteger() != 1)
        throw EAviso(QStringLiteral("Marque primero la asistencia"));
    TField* nombre = QVotacion.FieldByName(QStringLiteral("NOMBRE"));
    const QString propio = NombreRegistro();
    if (*modo == TModoAsistencia::Representado) {
        // Representation is recorded by the representative's name.
        if (!propio.isNull() && MismoNombre(nombre->AsString(), propio))
            throw EAviso(QStringLiteral("Escriba en «Propietario/Representado» el nombre del representante: "
                                        "la fila queda entonces como representada."));
    } else if (!propio.isNull() && !MismoNombre(nombre->AsString(), propio)) {
        nombre->SetAsString(propio.left(40));
    }
    campo.SetAsInteger(static_cast<int>(*modo));
}

void TDMConvoca::ToggleAttendance()
{
    if (!QVotacion.Active() || QVotacion.IsEmpty())
        return;
    QVotacion.CheckBrowseMode();
    // The state the user sees is switched, not the stored one: two seats
    // marking the same owner present both leave him present.
    const int asiste = QVotacion.FieldByName(QStringLiteral("ASISTENCIA"))->AsInteger() == 1 ? 0 : 1;
    SpAsiste.ParamByName(QStringLiteral("ASISTENCIA"))->SetAsInteger(asiste);
    SpAsiste.ParamByName(kComunidad)->SetAsInteger(Entorno.Comunidad);
    SpAsiste.ParamByName(QStringLiteral("CONVOCATORIA"))->SetAsInteger(QVotacion.FieldByName(QStringLiteral("CONVOCATORIA"))->AsInteger());
    SpAsiste.ParamByName(QStringLiteral("PROPIETARIO"))->SetAsInteger(QVotacion.FieldByName(QStringLiteral("PROPIETARIO"))->AsInteger());
    SpAsiste.ExecQuery();
    SpAsiste.Close();
    FIBTransaction.CommitRetaining();
    QVotacion.Refresh();
    // The attendants' figures follow at once.
    RecountAttendance();
}

void TDMConvoca::SetAttendanceAll(int valor)
{
    if (!QTabla.Active() || QTabla.IsEmpty() || QTabla.State() == TDataSetState::dsInsert)
        return;
    if (QVotacion.Active())
        QVotacion.CheckBrowseMode();
    SpGen.SetSQL(QStringLiteral("UPDATE VOTACIONES SET ASISTENCIA=?ASISTENCIA WHERE COMUNIDAD=?COMUNIDAD AND "
                                "CONVOCATORIA=?CONVOCATORIA"));
    SpGen.ParamByName(QStringLiteral("ASISTENCIA"))->SetAsInteger(valor);
    SpGen.ParamByName(kComunidad)->SetAsInteger(Entorno.Comunidad);
    SpGen.ParamByName(QStringLiteral("CONVOCATORIA"))->SetAsInteger(Convocatoria());
    SpGen.ExecQuery();
    SpGen.Close();
    FIBTransaction.CommitRetaining();
    {
        TWaitCursor espera;
        CalculateVotes();
    }
    ReleeVotaciones();
    RecountAttendance();
}

void TDMConvoca::CalculateVotes()
{
    if (!QTabla.Active() || QTabla.IsEmpty() || QTabla.State() == TDataSetState::dsInsert)
        return;
    for (const char* sql : {"EXECUTE procedure CONVOCATORIA_ASISTENCIA (?COMUNIDAD,?CONVOCATORIA)",
                            "EXECUTE procedure votaciones_calcula (?COMUNIDAD,?CONVOCATORIA)"}) {
        SpGen.SetSQL(QString::fromLatin1(sql));
        SpGen.ParamByName(kComunidad)->SetAsInteger(Entorno.Comunidad);
        SpGen.ParamByName(QStringLiteral("CONVOCATORIA"))->SetAsInteger(Convocatoria());
        SpGen.ExecQuery();
        SpGen.Close();
        FIBTransaction.CommitRetaining();
    }
    ShowPointTally(punto_);
    RefrescaConvocatoria();
}

void TDMConvoca::ShowPointTally(int punto)
{
    punto_ = punto;
    QVotacionP.Close();
    QVotacionP.ParamByName(kComunidad)->SetAsInteger(Entorno.Comunidad);
    QVotacionP.ParamByName(QStringLiteral("CONVOCATORIA"))
        ->SetAsInteger(QTabla.Active() && !QTabla.IsEmpty() ? Convocatoria() : 0);
    QVotacionP.ParamByName(QStringLiteral("PUNTO"))->SetAsInteger(punto);
    QVotacionP.Open();
}

QString TDMConvoca::DireccionesCorreo()
{
    DMMain->AsignarParametrosEntorno(QEmail, QStringLiteral("1"), true);
    TAlSalir cierra([this] { QEmail.Close(); });
    QStringList direcciones;
    const TField* correo = QEmail.FieldByName(QStringLiteral("E_MAIL"));
    for (QEmail.First(); !QEmail.Eof(); QEmail.Next())
        direcciones << Recorta(correo->AsString());
    return direcciones.join(QStringLiteral("; "));
}

void TDMConvoca::OrdenaVotaciones(int indice)
{
    orden_ = indice == 1 ? 1 : 0;
    // A row being typed is saved first; the same owner stays current.
    ReleeVotaciones([this] { QVotacion.EstablecerOrden(orden_ == 0 ? QStringLiteral("NOMBRE") : QStringLiteral("PROPIETARIO")); });
}

void TDMConvoca::ImportBalances()
{
    // A vote row being typed is saved before the rows are closed.
    if (QVotacion.Active())
        QVotacion.CheckBrowseMode();
    const QString camino = TIniFile(FicheroPerfil(QStringLiteral("taldemar.ini")))
                               .ReadString(QStringLiteral("Datos"), QStringLiteral("BaseDeDatos"), QString())
                               .trimmed();
    if (camino.isEmpty() || !QTabla.Active() || QTabla.IsEmpty() || QTabla.State() == TDataSetState::dsInsert)
        return;
    DataBase.SetDBParams(ParametrosConexion(QStringLiteral("taldemar.ini"), QStringLiteral("Datos"), ClaveIncorporada()));
    // Whatever happens, the accounting database is closed and the vote rows
    // are shown again.
    struct Cierre {
        TDMConvoca& dm;
        QVariant propietario;
        ~Cierre()
        {
            try {
                dm.QSaldo.Close();
                dm.QPeriodos.Close();
                dm.QEjer.Close();
                if (dm.DataBase.Connected())
                    dm.DataBase.Close(); // what was not committed there is rolled back
                if (!dm.QVotacion.Active()) {
                    dm.QVotacion.Open();
                    if (propietario.isValid())
                        dm.QVotacion.Locate(QStringLiteral("PROPIETARIO"), {propietario});
                }
            } catch (const EFIBError&) {
            }
        }
    } cierre{*this, PropietarioActual()};
    try {
        TWaitCursor espera;
        DataBase.SetDBName(camino);
        DataBase.Open();
        TGenerica.StartTransaction();
    } catch (const EFIBError&) {
        return; // not reachable: the debts stay as they are
    }
    QEjer.ParamByName(kComunidad)->SetAsInteger(Entorno.Comunidad);
    QEjer.Open();
    QEjer.Last();
    QPeriodos.Open(); // from now on it follows the year under the cursor
    if (TFPeriodos(*this).exec() != QDialog::Accepted)
        return; // no period chosen: the debts stay as they are
    if (QEjer.IsEmpty() || !QPeriodos.Active() || QPeriodos.IsEmpty())
        return; // no period: nothing to take a snapshot of
    TWaitCursor espera;
    QSaldo.ParamByName(kComunidad)->SetAsInteger(Entorno.Comunidad);
    QSaldo.ParamByName(QStringLiteral("EJERCICIO"))->SetAsInteger(QEjer.FieldByName(QStringLiteral("EJERCICIO"))->AsInteger());
    QSaldo.ParamByName(QStringLiteral("PERIODO"))->SetAsString(QPeriodos.FieldByName(QStringLiteral("PERIODO"))->AsString());
    QSaldo.Open();
    QVotacion.Close();
    const qint64 convocatoria = Convocatoria();
    // All or nothing: a failure half-way leaves the debts as they were.
    Ejecuta(QStringLiteral("SAVEPOINT SALDOS"));
    try {
        SpGen.SetSQL(QStringLiteral("UPDATE VOTACIONES SET SALDO=0 WHERE COMUNIDAD=?COMUNIDAD AND CONVOCATORIA=?CONVOCATORIA"));
        SpGen.ParamByName(kComunidad)->SetAsInteger(Entorno.Comunidad);
        SpGen.ParamByName(QStringLiteral("CONVOCATORIA"))->SetAsInteger(convocatoria);
        SpGen.ExecQuery();
        SpGen.SetSQL(QStringLiteral("UPDATE VOTACIONES SET SALDO=?SALDO WHERE COMUNIDAD=?COMUNIDAD AND "
                                    "CONVOCATORIA=?CONVOCATORIA AND PROPIETARIO=?PROPIETARIO"));
        for (QSaldo.First(); !QSaldo.Eof(); QSaldo.Next()) {
            SpGen.ParamByName(QStringLiteral("SALDO"))->SetAsFloat(QSaldo.FieldByName(QStringLiteral("SALDOE"))->AsFloat());
            SpGen.ParamByName(kComunidad)->SetAsInteger(Entorno.Comunidad);
            SpGen.ParamByName(QStringLiteral("CONVOCATORIA"))->SetAsInteger(convocatoria);
            SpGen.ParamByName(QStringLiteral("PROPIETARIO"))->SetAsInteger(QSaldo.FieldByName(kCodigo)->AsInteger());
            SpGen.ExecQuery();
        }
        Ejecuta(QStringLiteral("RELEASE SAVEPOINT SALDOS"));
    } catch (...) {
        Ejecuta(QStringLiteral("ROLLBACK TO SAVEPOINT SALDOS"));
        throw;
    }
    FIBTransaction.CommitRetaining();
    TGenerica.Commit();
}


QByteArray TDMConvoca::BuildAttendeeList()
{
    QAsistencia.Close();
    // Each row with how its owner attends, which tells the represented apart.
    QAsistencia.SetSelectSQL({QStringLiteral("SELECT J.PROPIETARIO, J.REPRESENTADO, J.COEFICIENTE_P, J.FINCA, J.COEFICIENTE, "
                                             "J.CODIGO_P, V.MODO FROM VER_JUNTAS J JOIN VOTACIONES V ON "
                                             "V.COMUNIDAD=J.COMUNIDAD AND V.CONVOCATORIA=J.CONVOCATORIA AND "
                                             "V.PROPIETARIO=J.CODIGO_P WHERE J.COMUNIDAD=?COMUNIDAD AND "
                                             "J.CONVOCATORIA=?CONVOCATORIA AND J.ASISTENCIA=1"),
                              orden_ == 0 ? QStringLiteral("ORDER BY J.PROPIETARIO,J.FINCA")
                                          : QStringLiteral("ORDER BY J.CODIGO_P,J.FINCA")});
    QAsistencia.ParamByName(kComunidad)->SetAsInteger(Entorno.Comunidad);
    QAsistencia.ParamByName(QStringLiteral("CONVOCATORIA"))->SetAsInteger(Convocatoria());
    QAsistencia.Open();
    TAlSalir cierra([this] { QAsistencia.Close(); });
    const TField* propietario = QAsistencia.FieldByName(QStringLiteral("PROPIETARIO"));
    const TField* representado = QAsistencia.FieldByName(QStringLiteral("REPRESENTADO"));
    const TField* finca = QAsistencia.FieldByName(QStringLiteral("FINCA"));
    const TField* coeficiente = QAsistencia.FieldByName(QStringLiteral("COEFICIENTE"));
    const TField* codigo = QAsistencia.FieldByName(QStringLiteral("CODIGO_P"));
    const TField* modoCampo = QAsistencia.FieldByName(QStringLiteral("MODO"));
    auto modo = [&] { return ModoDeValor(modoCampo->AsInteger()); };
    const QByteArray sinNombre = QByteArray(40, ' ') + ' ';
    auto columna = [](const QString& texto, int ancho) { return Escapa(AlineaIzquierda(texto, ancho, QStringLiteral(" "))); };
    auto coef = [](double valor) { return FormatoCoeficiente(valor).toLatin1(); };

    // The headers begin their own paragraphs with "\par": "\Par" is no RTF
    // control word, readers drop it and the header would run on.
    QByteArray l = QByteArrayLiteral("\\par Propietario                              Finca              Coeficiente");
    QString anterior;
    double suma = 0;
    double total = 0;
    int continuacion = 0;
    TAsistencia modos;
    QSet<qint64> contados;
    auto subtotal = [&] { l += "\\par " + sinNombre + "        Total coef.: " + coef(suma); };
    for (QAsistencia.First(); !QAsistencia.Eof(); QAsistencia.Next()) {
        const QString nombre = propietario->AsString();
        const double c = coeficiente->AsFloat();
        if (!contados.contains(codigo->AsInteger())) {
            contados.insert(codigo->AsInteger());
            modos.Suma(modo());
        }
        if (modo() != TModoAsistencia::Representado) {
            if (nombre != anterior) {
                if (suma != 0 && continuacion > 0)
                    subtotal();
                suma = 0;
                l += "\\par " + columna(nombre, 40) + ' ' + columna(finca->AsString(), 20) + ' ' + coef(c);
                if (modo() == TModoAsistencia::Telematico)
                    l += Escapa(QStringLiteral(" (telemático)"));
                continuacion = 0;
            } else {
                l += "\\par " + sinNombre + columna(finca->AsString(), 20) + ' ' + coef(c);
                ++continuacion;
            }
        }
        // A represented owner counts in the sums, not in this section's lines.
        anterior = nombre;
        suma += c;
        total += c;
    }
    if (suma != 0 && continuacion > 0)
        subtotal();
    if (total != 0)
        l += "\\par " + sinNombre + "Total general coef.: " + coef(total);
    l += "\\par " + QByteArray(66, ' ');
    l += "\\par Representados                            Finca              Coeficiente";
    for (QAsistencia.First(); !QAsistencia.Eof(); QAsistencia.Next()) {
        const QString nombre = propietario->AsString();
        const QString representante = representado->AsString();
        if (modo() != TModoAsistencia::Representado)
            continue;
        l += "\\par " + columna(Recorta(nombre) + QLatin1Char('/') + Recorta(representante), 40) + ' ' +
             columna(finca->AsString(), 20) + ' ' +
             AlineaDerecha(FormatoCoeficiente(coeficiente->AsFloat()), 9, QStringLiteral(" ")).toLatin1();
    }
    l += "\\par " + QByteArray(66, ' ');
    l += "\\par " + Escapa(TextoAsistencia(modos));
    return l;
}

QByteArray TDMConvoca::BuildDebtorList()
{
    DMMain->AsignarParametrosEntorno(QDeudores, QStringLiteral("1"), false);
    QDeudores.ParamByName(QStringLiteral("CONVOCATORIA"))->SetAsInteger(Convocatoria());
    QDeudores.Open();
    TAlSalir cierra([this] { QDeudores.Close(); });
    QByteArray l = QByteArrayLiteral("\\par Propietario                                   Saldo");
    const TField* nombre = QDeudores.FieldByName(QStringLiteral("NOMBRE"));
    const TField* saldo = QDeudores.FieldByName(QStringLiteral("SALDO"));
    for (QDeudores.First(); !QDeudores.Eof(); QDeudores.Next()) {
        l += "\\par " + Escapa(AlineaIzquierda(nombre->AsString(), 40, QStringLiteral(" "))) + ' ' +
             AlineaDerecha(FormatoNumero(saldo->AsFloat(), QString::fromLatin1(MascaraMoneda)), 10, QStringLiteral(" "))
                 .toLatin1();
    }
    return l;
}

void TDMConvoca::MergeDocument(const QString& tipo)
{
    TWaitCursor espera;
    TAlSalir cierra([this] {
        QComu.Close();
        QAdmin.Close();
    });
    QAdmin.Open();
    if (QTabla.State() == TDataSetState::dsBrowse)
        QTabla.Edit();
    DMMain->AsignarParametrosEntorno(QComu, QStringLiteral("1"), true);
    const QString tmp1 = Fichero("tmp1.rtf");
    TField* destino = QTabla.FieldByName(tipo == QLatin1String("CONVOCATORIA") ? QStringLiteral("TEXTO") : QStringLiteral("ACTA"));
    destino->SetAsBytes(CargaFichero(tmp1));
    QByteArray d = destino->AsBytes();
    auto columna = [this](const char* c) { return Recorta(QTabla.FieldByName(QString::fromLatin1(c))->AsString()); };
    d = ReplaceField(d, QStringLiteral("[Lugar]"), columna("LUGAR"));
    d = ReplaceField(d, QStringLiteral("[Hora1]"), columna("HORA1"));
    d = ReplaceField(d, QStringLiteral("[Hora2]"), columna("HORA2"));
    d = ReplaceField(d, QStringLiteral("[Puntos]"), columna("ORDEN"));
    // The lists cost a query each: made only for a document that shows them.
    // Until the last field is merged they wait behind a mark of their own (a
    // group every reader ignores and no escaped value can spell), so that the
    // later fields are not looked for through a list of thousands of lines.
    const QByteArray marcaAsistentes = QByteArrayLiteral("{\\*\\qdasistentes}");
    const QByteArray marcaDeudores = QByteArrayLiteral("{\\*\\qddeudores}");
    QByteArray asistentes, deudores;
    if (TieneCampo(d, QStringLiteral("[Asistentes]"))) {
        asistentes = BuildAttendeeList();
        d = ReplaceFieldRtf(d, QStringLiteral("[Asistentes]"), marcaAsistentes);
    }
    if (TieneCampo(d, QStringLiteral("[Deudores]"))) {
        deudores = BuildDebtorList();
        d = ReplaceFieldRtf(d, QStringLiteral("[Deudores]"), marcaDeudores);
    }
    QByteArray resultados;
    const QByteArray marcaResultados = QByteArrayLiteral("{\\*\\qdresultados}");
    const bool conResultados = TieneCampo(d, QStringLiteral("[Resultados]"));
    const bool conLlamada = TieneCampo(d, QStringLiteral("[Convocatoria]"));
    if (conResultados || conLlamada) {
        TAcuerdos acuerdos(DMMain->DataBase, FIBTransaction);
        acuerdos.Lee(Entorno.Comunidad, static_cast<int>(Convocatoria()));
        if (conResultados) {
            resultados = ListaResultados(acuerdos, TextosPuntos(columna("ORDEN")));
            d = ReplaceFieldRtf(d, QStringLiteral("[Resultados]"), marcaResultados);
        }
        // The hours as on screen, saved or not.
        d = ReplaceField(d, QStringLiteral("[Convocatoria]"),
                         TextoConvocatoria(acuerdos.Llamada(), columna("HORA1"), columna("HORA2")));
    }
    d = ReplaceField(d, QStringLiteral("[Administrador]"), Texto(QAdmin, "PERSONA"));
    d = ReplaceField(d, QStringLiteral("[AdministradorCif]"), Texto(QAdmin, "CIF"));
    d = ReplaceField(d, QStringLiteral("[AdministradorDomicilio]"), Texto(QAdmin, "DOMICILIO"));
    d = ReplaceField(d, QStringLiteral("[AdministradorPoblacion]"), Texto(QAdmin, "POBLACION"));
    d = ReplaceField(d, QStringLiteral("[Comunidad]"), Texto(QComu, "NOMBRE"));
    d = ReplaceField(d, QStringLiteral("[ComunidadDomicilio]"), Texto(QComu, "DOMICILIO"));
    d = ReplaceField(d, QStringLiteral("[ComunidadPoblacion]"), Texto(QComu, "POBLACION"));
    d = ReplaceField(d, QStringLiteral("[Presidente]"), Texto(QComu, "PRESIDENTE"));
    d = ReplaceField(d, QStringLiteral("[Fecha]"), FechaCarta(QDateTime::currentDateTime()));
    d = ReplaceField(d, QStringLiteral("[Fecha1]"), FechaCarta(QTabla.FieldByName(QStringLiteral("FECHA"))->AsDateTime()));
    d.replace(marcaAsistentes, asistentes);
    d.replace(marcaDeudores, deudores);
    d.replace(marcaResultados, resultados);
    destino->SetAsBytes(d);
    GuardaFichero(tmp1, d);
}

void TDMConvoca::WriteNotesDocument()
{
    TAlSalir cierra([this] {
        QComu.Close();
        QAdmin.Close();
    });
    QAdmin.Open();
    DMMain->AsignarParametrosEntorno(QComu, QStringLiteral("1"), true);
    QList<QByteArray> l{
        QByteArrayLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang3082{\\fonttbl{\\f0\\fnil\\fcharset0 MS Sans "
                          "Serif;}{\\f1\\fnil MS Sans Serif;}}"),
        "\\viewkind4\\uc1\\pard\\qc\\ul\\b\\f0\\fs28 " + Escapa(Texto(QAdmin, "EMPRESA")),
        QByteArrayLiteral("\\par \\fs24 "),
        "\\par \\pard\\ulnone COMUNIDAD DE PROPIETARIOS: " + Escapa(Texto(QComu, "NOMBRE")),
        "\\par DIRECCION: " + Escapa(Texto(QComu, "DOMICILIO")),
        "\\par POBLACION: " + Escapa(Texto(QComu, "COD_POSTAL") + QLatin1Char(' ') + Texto(QComu, "POBLACION")),
        "\\par FECHA: " + FormatoFecha(QDate::currentDate()).toLatin1(),
        QByteArrayLiteral("\\par \\pard\\qc "),
    };
    QString agenda = QTabla.FieldByName(QStringLiteral("ORDEN"))->AsString();
    for (int n = 1; n <= 10; ++n)
        ExtractAgendaPoint(n, agenda, l);
    l << QByteArrayLiteral("\\par }");
    GuardaFichero(Fichero("tmp1.rtf"), l.join("\r\n"));
}

void TDMConvoca::CreateFollowUpRows()
{
    if (!QTabla.Active() || QTabla.IsEmpty() || QTabla.State() == TDataSetState::dsInsert)
        return;
    if (QDetalle.Active())
        QDetalle.CheckBrowseMode(); // a row being typed is kept first
    SpGen.SetSQL(QStringLiteral("SELECT COUNT(*) hay FROM DETALLE WHERE COMUNIDAD=?COMUNIDAD  AND CODIGO=?CODIGO"));
    SpGen.ParamByName(kComunidad)->SetAsInteger(Entorno.Comunidad);
    SpGen.ParamByName(kCodigo)->SetAsInteger(Convocatoria());
    SpGen.ExecQuery();
    const bool hay = SpGen.Fields(0)->AsInteger() > 0;
    SpGen.Close();
    if (hay)
        return;
    QString agenda = QTabla.FieldByName(QStringLiteral("ORDEN"))->AsString();
    QStringList puntos;
    for (int n = 1; n <= 10; ++n) {
        if (const std::optional<QString> punto = TomaPuntoAgenda(n, agenda)) {
            QString des = *punto;
            des.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
            puntos << des.left(60);
        }
    }
    if (puntos.isEmpty())
        return;
    const qint64 convocatoria = Convocatoria();
    struct Reabre {
        TFIBTableSet& ds;
        ~Reabre()
        {
            try {
                ds.Open();
            } catch (const EFIBError&) {
            }
        }
    } reabre{QDetalle};
    QDetalle.Close();
    // All the rows or none.
    Ejecuta(QStringLiteral("SAVEPOINT SEGUIMIENTO"));
    try {
        SpGen.SetSQL(QStringLiteral("INSERT INTO DETALLE (COMUNIDAD,CODIGO,NUMERO,DES,TERMINADO)  VALUES "
                                    "(?COMUNIDAD,?CODIGO,0,?DES,0)"));
        for (const QString& des : std::as_const(puntos)) {
            SpGen.ParamByName(kComunidad)->SetAsInteger(Entorno.Comunidad);
            SpGen.ParamByName(kCodigo)->SetAsInteger(convocatoria);
            SpGen.ParamByName(QStringLiteral("DES"))->SetAsString(des);
            SpGen.ExecQuery();
        }
        SpGen.Close();
        Ejecuta(QStringLiteral("RELEASE SAVEPOINT SEGUIMIENTO"));
    } catch (...) {
        SpGen.Close();
        Ejecuta(QStringLiteral("ROLLBACK TO SAVEPOINT SEGUIMIENTO"));
        throw;
    }
    FIBTransaction.CommitRetaining();
}

void TDMConvoca::ToggleTaskDone()
{
    if (!QDetalle.Active() || QDetalle.IsEmpty())
        return;
    QDetalle.CheckBrowseMode();
    if (QDetalle.IsEmpty())
        return;
    SpGen.SetSQL(QStringLiteral("EXECUTE PROCEDURE DETALLE_ACTIVA(?COMUNIDAD,?CODIGO,?NUMERO)"));
    SpGen.ParamByName(kComunidad)->SetAsInteger(Entorno.Comunidad);
    SpGen.ParamByName(kCodigo)->SetAsInteger(Convocatoria());
    SpGen.ParamByName(QStringLiteral("NUMERO"))->SetAsInteger(QDetalle.FieldByName(QStringLiteral("NUMERO"))->AsInteger());
    SpGen.ExecQuery();
    SpGen.Close();
    FIBTransaction.CommitRetaining();
    QDetalle.Refresh();
}

void TDMConvoca::EstadoConexion(const QString& texto)
{
    if (EstadoHalvenbook)
        EstadoHalvenbook(texto);
}

bool TDMConvoca::ConnectCommunityManagement()
{
    const QString camino = CaminoHalvenbook();
    if (camino.isEmpty()) {
        Mensaje(QStringLiteral("Camino programa Halvenbook no valido."));
        return false;
    }
    EstadoConexion(QStringLiteral("Conectando con Halvenbook ..."));
    try {
        TWaitCursor espera;
        if (DBHalvenbook.Connected())
            DBHalvenbook.Close();
        PreparaHalvenbook(DBHalvenbook, camino);
        DBHalvenbook.Open();
        FIBHalvenbook.StartTransaction();
    } catch (const EFIBError& e) {
        try {
            if (DBHalvenbook.Connected())
                DBHalvenbook.Close();
        } catch (const EFIBError&) {
        }
        EstadoConexion(QString());
        // The server says why, below the program's own words.
        Mensaje(QStringLiteral("Imposible abrir base de datos Halvenbook\r\r") + TextoError(e), true);
        return false;
    }
    EstadoConexion(QStringLiteral("Conectado a Halvenbook"));
    return true;
}

void TDMConvoca::CreateTask() { CreaGestion(1); }

void TDMConvoca::CreateBudget() { CreaGestion(2); }

void TDMConvoca::CreaGestion(int tipo)
{
    if (!QTabla.Active() || QTabla.IsEmpty() || QTabla.State() == TDataSetState::dsInsert)
        throw EAviso(kGuardeConvocatoria);
    if (QDetalle.Active())
        QDetalle.CheckBrowseMode(); // the row's text as typed goes into the record
    const qint64 convocatoria = Convocatoria();
    const QString des = QDetalle.Active() && !QDetalle.IsEmpty()
                            ? QDetalle.FieldByName(QStringLiteral("DES"))->AsString()
                            : QString();
    const QString referencia = QStringLiteral("QUORUMDESK CODIGO Nº ") + QString::number(convocatoria);
    if (!ConnectCommunityManagement())
        return;
    TFIBTableSet& ds = tipo == 1 ? QTarea : QPresu;
    // Whatever happens, a record not accepted is dropped and the
    // community-management database is closed.
    struct Cierre {
        TDMConvoca& dm;
        TFIBTableSet& ds;
        ~Cierre()
        {
            // What was accepted was committed as it was written: a failure
            // here loses nothing, and each step is tried on its own.
            try {
                if (ds.State() == TDataSetState::dsInsert || ds.State() == TDataSetState::dsEdit)
                    ds.Cancel();
                ds.Close();
            } catch (const EFIBError&) {
            }
            try {
                if (dm.FIBHalvenbook.Active())
                    dm.FIBHalvenbook.Commit();
            } catch (const EFIBError&) {
            }
            try {
                if (dm.DBHalvenbook.Connected())
                    dm.DBHalvenbook.Close();
            } catch (const EFIBError&) {
            }
            dm.EstadoConexion(QString());
        }
    } cierre{*this, ds};

    // The names beside the codes are the program's.
    comunidades_.Lee(&DMMain->DataBase, &FIBTransaction);
    usuarios_.clear();
    SpGen.SetSQL(QStringLiteral("SELECT CODIGO,NOMBRE FROM SYS_USUARIO"));
    SpGen.ExecQuery();
    for (; !SpGen.Eof(); SpGen.Next())
        usuarios_.insert(SpGen.Fields(0)->AsInteger(), SpGen.Fields(1)->AsString());
    SpGen.Close();

    gestionEscrita_.reset();
    ds.Open();
    ds.Insert();
    // To the second: what the dialog shows is what is stored.
    QDateTime ahora = QDateTime::currentDateTime();
    ahora.setTime(QTime(ahora.time().hour(), ahora.time().minute(), ahora.time().second()));
    ds.FieldByName(QStringLiteral("FECHA"))->SetAsDateTime(ahora);
    ds.FieldByName(kComunidad)->SetAsInteger(Entorno.Comunidad);
    if (tipo == 1) {
        ds.FieldByName(QStringLiteral("FIN"))->SetAsDateTime(ahora);
        // Start and end are the same moment: no duration yet.
        ds.FieldByName(QStringLiteral("DURACION"))->SetAsString(QTime(0, 0).toString(QStringLiteral("HH:mm:ss")));
        ds.FieldByName(QStringLiteral("TIPOLLAMADA"))->SetAsInteger(0);
        ds.FieldByName(QStringLiteral("TIPO2"))->SetAsInteger(0);
        ds.FieldByName(QStringLiteral("ESTADO"))->SetAsInteger(0);
        ds.FieldByName(QStringLiteral("ATENDIDO"))->SetAsInteger(Entorno.Usuario);
        ds.FieldByName(QStringLiteral("DESTINATARIO"))->SetAsInteger(Entorno.Usuario);
        ds.FieldByName(QStringLiteral("LLAMADATIPO"))->SetAsInteger(1);
        ds.FieldByName(QStringLiteral("ASUNTO"))->SetAsString(des + QStringLiteral("\r\n") + referencia);
        ds.FieldByName(kCodigo)->SetAsInteger(0);
        TFTarea(*this).exec();
    } else {
        ds.FieldByName(QStringLiteral("SITUACION"))->SetAsInteger(0);
        ds.FieldByName(QStringLiteral("PRESUPUESTO"))->SetAsString(des);
        ds.FieldByName(QStringLiteral("OBS"))->SetAsString(referencia);
        ds.FieldByName(kCodigo)->SetAsInteger(0);
        TFPresu(*this).exec();
    }
    // The follow-up row is linked once the record is stored there: a record
    // the other database refused leaves the row as it was.
    if (!gestionEscrita_)
        return;
    try {
        EnlazaSeguimiento(*gestionEscrita_, tipo);
    } catch (const EFIBError& e) {
        throw EAviso(QStringLiteral("%1 %2 se ha creado en Halvenbook, pero la línea de seguimiento no se ha "
                                    "podido enlazar:\r\r%3")
                         .arg(tipo == 1 ? QStringLiteral("La tarea") : QStringLiteral("El presupuesto"))
                         .arg(*gestionEscrita_)
                         .arg(e.Message()));
    }
}

void TDMConvoca::EnlazaSeguimiento(qint64 numero, int tipo)
{
    if (!QDetalle.Active())
        QDetalle.Open();
    if (QDetalle.IsEmpty())
        QDetalle.Insert();
    else
        QDetalle.Edit();
    QDetalle.FieldByName(QStringLiteral("NUMGESTION"))->SetAsInteger(numero);
    QDetalle.FieldByName(QStringLiteral("TIPOGESTION"))->SetAsInteger(tipo);
    try {
        QDetalle.Post();
    } catch (...) {
        // The row stays as it was; the task or budget is kept there.
        if (QDetalle.State() != TDataSetState::dsBrowse)
            QDetalle.Cancel();
        throw;
    }
}
