#include "UFPropietarios.h"
#include "UFImporta.h"
#include "FIBError.h"
#include "UAplicacion.h"
#include "UDBControles.h"
#include "UDBRichEdit.h"
#include "UDMMain.h"
#include "UDialogos.h"
#include "UFIBDBEditfind.h"
#include "UFIBEditFind.h"
#include "UFormatos.h"
#include "UPerfil.h"
#include "URecursos.h"
#include "UTextos.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QTextEdit>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The columns each screen writes. The owner's selection mark TEXTO belongs
// to the labels and mailings: it is never written here.
const QStringList kColumnasPropietario{
    QStringLiteral("COMUNIDAD"), QStringLiteral("CODIGO"),       QStringLiteral("NOMBRE"),
    QStringLiteral("TELEFONO"),  QStringLiteral("FAX"),          QStringLiteral("MOVIL"),
    QStringLiteral("E_MAIL"),    QStringLiteral("NIF"),          QStringLiteral("IDIOMA"),
    QStringLiteral("FORMA_PAGO"), QStringLiteral("BANCO"),       QStringLiteral("OFICINA"),
    QStringLiteral("DC"),        QStringLiteral("CUENTA_BANCO"), QStringLiteral("OBSERVACIONES"),
    QStringLiteral("OBS"),       QStringLiteral("AVISO1"),       QStringLiteral("AVISO2")};
const QStringList kColumnasFinca{
    QStringLiteral("COMUNIDAD"),  QStringLiteral("PROPIETARIO"),   QStringLiteral("CODIGO"),
    QStringLiteral("NOMBRE"),     QStringLiteral("DOMICILIO"),     QStringLiteral("COD_POSTAL"),
    QStringLiteral("POBLACION"),  QStringLiteral("PROVINCIA"),     QStringLiteral("TELEFONO"),
    QStringLiteral("COEFICIENTES"), QStringLiteral("REF_CATASTRAL"), QStringLiteral("M2_PARCELA"),
    QStringLiteral("M2_UTILES"),  QStringLiteral("TIPO_FINCA"),    QStringLiteral("USO_FINCA"),
    QStringLiteral("FORMA_PAGO"), QStringLiteral("CLAVE"),         QStringLiteral("OBSERVACIONES"),
    QStringLiteral("BANCO"),      QStringLiteral("OFICINA"),       QStringLiteral("DC"),
    QStringLiteral("CUENTA_BAN"), QStringLiteral("CUOTA_PTS"),     QStringLiteral("CUOTA_EUR"),
    QStringLiteral("ACTIVO"),     QStringLiteral("INQUILINO"),     QStringLiteral("REFERENCIA")};
const QStringList kColumnasDireccion{
    QStringLiteral("COMUNIDAD"),  QStringLiteral("PROPIETARIO"), QStringLiteral("CODIGO"),
    QStringLiteral("DOMICILIO"),  QStringLiteral("COD_POSTAL"),  QStringLiteral("POBLACION"),
    QStringLiteral("PROVINCIA"),  QStringLiteral("ACTIVO")};
const QStringList kDomicilio{QStringLiteral("DOMICILIO"), QStringLiteral("COD_POSTAL"), QStringLiteral("POBLACION"),
                             QStringLiteral("PROVINCIA")};

const char kSavepointFinca[] = "QD_BORRA_FINCA";

bool EnEdicion(const TFIBDataSet& ds)
{
    return ds.State() == TDataSetState::dsEdit || ds.State() == TDataSetState::dsInsert;
}

QString Texto(const TFIBDataSet& ds, const char* campo)
{
    return ds.FieldByName(QLatin1String(campo))->AsString();
}

// Sets a text only when it differs: each change reopens the lookups that
// follow the field.
void PonTexto(TFIBDataSet& ds, const QString& campo, const QString& valor)
{
    TField* f = ds.FieldByName(campo);
    if (f->AsString() != valor)
        f->SetAsString(valor);
}

// The owner's entity and branch (ancho 4) and account (ancho 10) as typed: a
// whole number from 1 up, shorter than the width, is padded with zeros on the
// left; a longer text, an empty one and a zero stay as typed. A short text that
// is not a whole number is refused (conversion error).
QString RellenaTecleado(const QString& texto, int ancho)
{
    if (texto.size() >= ancho || TextoAEntero(texto) < 1)
        return texto;
    return RellenaCeros(ancho, texto);
}

// Before an owner or a property is saved: no check digits means "**", and the
// entity, branch and account take their full width with zeros on the left.
void NormalizaBanco(TFIBDataSet& ds, const QString& cuenta)
{
    if (ds.FieldByName(QStringLiteral("DC"))->AsString().isEmpty())
        ds.FieldByName(QStringLiteral("DC"))->SetAsString(QStringLiteral("**"));
    for (const auto& [campo, ancho] : {std::pair{QStringLiteral("BANCO"), 4}, std::pair{QStringLiteral("OFICINA"), 4},
                                       std::pair{cuenta, 10}})
        PonTexto(ds, campo, RellenaCeros(ancho, ds.FieldByName(campo)->AsString()));
}

// A new record's code is shown as "Alta" until it is given at save time; the
// text to edit is then empty, so that a typed code replaces nothing.
void CodigoAlta(TField* codigo)
{
    codigo->OnGetText = [](TField& f, QString& texto, bool mostrar) {
        const bool nuevo = f.DataSet()->State() == TDataSetState::dsInsert && (f.IsNull() || f.AsInteger() == 0);
        texto = nuevo ? (mostrar ? QStringLiteral("Alta") : QString()) : f.AsString();
    };
}

// A list opened lands on its first active row, or on its last row when none is.
void PrimeraActiva(TFIBDataSet& ds)
{
    TField* activo = ds.FieldByName(QStringLiteral("ACTIVO"));
    if (ds.IsEmpty() || activo->AsInteger() == 1)
        return;
    ds.DisableControls();
    while (!ds.Eof() && activo->AsInteger() != 1)
        ds.Next();
    ds.EnableControls();
}

// Digits only, exactly `n` of them.
bool Cifras(const QString& texto, int n)
{
    if (texto.size() != n)
        return false;
    for (const QChar c : texto)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

} // namespace

QString IbanCuenta(const QString& entidad, const QString& oficina, const QString& dc, const QString& cuenta)
{
    if (!Cifras(entidad, 4) || !Cifras(oficina, 4) || !Cifras(dc, 2) || !Cifras(cuenta, 10) ||
        DigitosControlCuenta(entidad, oficina, QString(), cuenta) != dc)
        return QString();
    const QString ccc = entidad + oficina + dc + cuenta;
    // ISO 13616: the account followed by the country ("ES" is 14 28) and 00,
    // taken modulo 97, gives the check digits as 98 minus the remainder.
    int resto = 0;
    for (const QChar c : ccc + QStringLiteral("142800"))
        resto = (resto * 10 + (c.unicode() - u'0')) % 97;
    const QString iban = QStringLiteral("ES%1").arg(98 - resto, 2, 10, QLatin1Char('0')) + ccc;
    QStringList grupos;
    for (qsizetype i = 0; i < iban.size(); i += 4)
        grupos << iban.mid(i, 4);
    return grupos.join(QLatin1Char(' '));
}

// --- data module ----------------------------------------------------------------------

TDMPropietarios::TDMPropietarios()
{
    const QStringList clavePropietario{QStringLiteral("COMUNIDAD"), QStringLiteral("CODIGO")};
    const QStringList claveLinea{QStringLiteral("COMUNIDAD"), QStringLiteral("PROPIETARIO"), QStringLiteral("CODIGO")};
    const TSentenciasGeneradas gp = SentenciasGeneradas(QStringLiteral("EMP_PROPIETARIO"), kColumnasPropietario, clavePropietario);
    DefinePrincipal(QPropietario,
                    {.Name = QStringLiteral("QPropietario"),
                     .TableName = QStringLiteral("EMP_PROPIETARIO"),
                     .SelectSQL = {QStringLiteral("SELECT * FROM EMP_PROPIETARIO WHERE COMUNIDAD = ?COMUNIDAD AND CODIGO <> 0"),
                                   QStringLiteral("ORDER BY CODIGO")},
                     .InsertSQL = gp.Insert,
                     .UpdateSQL = gp.Update,
                     .DeleteSQL = gp.Delete,
                     .RefreshSQL = gp.Refresh,
                     .Opciones = {TOpcionesTableSet::NoControlarConcurrencia}});
    // The lists of the current owner, in code order.
    auto detalle = [&](TFIBTableSet& ds, TDataSource& fuente, const QString& nombre, const QString& tabla,
                       const QStringList& columnas) {
        const TSentenciasGeneradas g = SentenciasGeneradas(tabla, columnas, claveLinea);
        ds.SetDatabase(&DMMain->DataBase);
        ds.SetTransaction(&FIBTransaction);
        ds.LoadDefinition({.Name = nombre,
                           .TableName = tabla,
                           .SelectSQL = {QStringLiteral("SELECT * FROM %1 WHERE COMUNIDAD = ?COMUNIDAD AND PROPIETARIO = ?CODIGO").arg(tabla),
                                         QStringLiteral("ORDER BY CODIGO")},
                           .InsertSQL = g.Insert,
                           .UpdateSQL = g.Update,
                           .DeleteSQL = g.Delete,
                           .RefreshSQL = g.Refresh,
                           .Opciones = {TOpcionesTableSet::NoControlarConcurrencia}});
        ds.SetDataSource(DataSource());
        fuente.SetDataSet(&ds);
    };
    detalle(QFincas, DsFincas, QStringLiteral("QFincas"), QStringLiteral("EMP_FINCAS"), kColumnasFinca);
    detalle(QDire, DsDire, QStringLiteral("QDire"), QStringLiteral("EMP_DIRECCIONES"), kColumnasDireccion);

    Lookup(QIdioma, *DataSource(), DsIdioma, QStringLiteral("select * from sys_idiomas where codigo=?idioma"));
    Lookup(QFormaPagop, *DataSource(), DsFormaPagop, QStringLiteral("select * from sys_formas_pago where codigo=?forma_pago"));
    Lookup(QBancop, *DataSource(), DsBancop, QStringLiteral("select * from sys_bancos where entidad = ?banco"));
    Lookup(QFormaPago, DsFincas, DsFormaPago,
           QStringLiteral("select * from sys_formas_pago where codigo=?forma_pago  AND CODIGO <> 0"));
    Lookup(QBancof, DsFincas, DsBancof, QStringLiteral("select * from sys_bancos where entidad = ?banco"));
    Lookup(QTipoFinca, DsFincas, DsTipoFinca,
           QStringLiteral("SELECT * FROM SYS_TIPOS_FINCA WHERE CODIGO=?TIPO_FINCA AND CODIGO <> 0"));
    Lookup(QUsoFinca, DsFincas, DsUsoFinca, QStringLiteral("select * from sys_uso_fincas where codigo =?uso_finca  AND CODIGO <> 0"));
    QComunidad.SetDatabase(&DMMain->DataBase);
    QComunidad.SetTransaction(&FIBTransaction);
    QComunidad.SetSelectSQL({QStringLiteral("select domicilio,cod_postal,poblacion,provincia from sys_comunidad where codigo=?comunidad")});
    const std::pair<TFIBQuery*, const char*> consultas[] = {
        {&SpPropi, "execute procedure emp_propietario_codigo( ?comunidad )"},
        {&SpFinca, "execute procedure emp_fincas_linea(?comunidad,?propietario)"},
        {&SpDire, "execute procedure emp_direcciones_linea(?comunidad,?propietario)"},
        {&SpGen, ""},
        {&QCoeficientes, "SELECT SUM(COEFICIENTES) FROM EMP_FINCAS WHERE COMUNIDAD = ?COMUNIDAD AND "
                         "PROPIETARIO <> 0 AND ACTIVO = 1"}};
    for (const auto& [q, sql] : consultas) {
        q->SetDatabase(&DMMain->DataBase);
        q->SetTransaction(&FIBTransaction);
        if (*sql)
            q->SetSQL(QString::fromLatin1(sql));
    }

    // --- owners
    auto etiqueta = [](TField* f, const char* texto) { f->SetDisplayLabel(QString::fromUtf8(texto)); };
    TField* codigo = QPropietario.AddField<TIntegerField>(QStringLiteral("CODIGO"));
    etiqueta(codigo, "Código");
    CodigoAlta(codigo);
    etiqueta(QPropietario.AddField<TFIBStringField>(QStringLiteral("NOMBRE")), "Nombre");
    etiqueta(QPropietario.AddField<TFIBStringField>(QStringLiteral("TELEFONO")), "Teléfono");
    QPropietario.AddField<TStringField>(QStringLiteral("DC")); // "  ": nothing to check, kept as such
    auto reabre = [](TFIBDataSet& lookup) {
        return [&lookup](TField&) {
            lookup.Close();
            lookup.Open();
        };
    };
    QPropietario.AddField<TIntegerField>(QStringLiteral("IDIOMA"))->OnChange = reabre(QIdioma);
    QPropietario.AddField<TIntegerField>(QStringLiteral("FORMA_PAGO"))->OnChange = reabre(QFormaPagop);
    TField* banco = QPropietario.AddField<TFIBStringField>(QStringLiteral("BANCO"));
    banco->OnChange = reabre(QBancop);
    for (const auto& [campo, ancho] : {std::pair{banco, 4},
                                       std::pair{static_cast<TField*>(QPropietario.AddField<TFIBStringField>(QStringLiteral("OFICINA"))), 4},
                                       std::pair{static_cast<TField*>(QPropietario.AddField<TFIBStringField>(QStringLiteral("CUENTA_BANCO"))), 10}})
        campo->OnSetText = [ancho](TField& f, const QString& texto) { f.SetAsString(RellenaTecleado(texto, ancho)); };

    QPropietario.OnNewRecord = [](TFIBDataSet& ds) {
        ds.FieldByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(Entorno.Comunidad);
        ds.FieldByName(QStringLiteral("IDIOMA"))->SetAsInteger(1);
        ds.FieldByName(QStringLiteral("FORMA_PAGO"))->SetAsInteger(1);
    };
    // Whether the code of the owner being saved was given here: when the save
    // fails (another seat took it meanwhile), it goes back to 0 so that the
    // next save reads the highest code again.
    auto dado = std::make_shared<bool>(false);
    QPropietario.BeforePost = [this, dado](TFIBDataSet& ds) {
        // Letters, lists and vote rows name the owner: one without a name
        // would be a blank line in all of them.
        if (Recorta(ds.FieldByName(QStringLiteral("NOMBRE"))->AsString()).isEmpty())
            throw EAviso(QStringLiteral("Escriba el nombre del propietario: el campo Nombre no puede quedar vacío."));
        NormalizaBanco(ds, QStringLiteral("CUENTA_BANCO"));
        TField* f = ds.FieldByName(QStringLiteral("CODIGO"));
        *dado = false;
        if (ds.State() == TDataSetState::dsInsert && (f->IsNull() || f->AsInteger() == 0)) {
            f->SetAsInteger(Siguiente(SpPropi, {Entorno.Comunidad}));
            *dado = true;
        }
    };
    QPropietario.OnPostError = [dado](TFIBDataSet& ds, const EFIBError&, TDataAction&) {
        if (*dado && ds.State() == TDataSetState::dsInsert)
            ds.FieldByName(QStringLiteral("CODIGO"))->SetAsInteger(0);
        *dado = false;
    };
    QPropietario.AfterPost = [this](TFIBDataSet&) { graba(); };
    // The database deletes the owner's properties with him.
    QPropietario.AfterDelete = [this](TFIBDataSet&) {
        graba();
        CambiaCoeficientes();
    };

    // --- properties
    codigo = QFincas.AddField<TIntegerField>(QStringLiteral("CODIGO"));
    etiqueta(codigo, "Código");
    CodigoAlta(codigo);
    etiqueta(QFincas.AddField<TFIBStringField>(QStringLiteral("NOMBRE")), "Nombre");
    etiqueta(QFincas.AddField<TFIBStringField>(QStringLiteral("TELEFONO")), "Teléfono");
    etiqueta(QFincas.AddField<TIntegerField>(QStringLiteral("ACTIVO")), "Activa");
    auto* coeficiente = QFincas.AddField<TFloatField>(QStringLiteral("COEFICIENTES"));
    coeficiente->DisplayFormat = QString::fromLatin1(MascaraCoeficiente);
    coeficiente->EditFormat = QString::fromLatin1(MascaraCoeficienteEdicion);
    QFincas.AddField<TStringField>(QStringLiteral("DC"));
    QFincas.AddField<TIntegerField>(QStringLiteral("FORMA_PAGO"))->OnChange = reabre(QFormaPago);
    QFincas.AddField<TIntegerField>(QStringLiteral("TIPO_FINCA"))->OnChange = reabre(QTipoFinca);
    QFincas.AddField<TIntegerField>(QStringLiteral("USO_FINCA"))->OnChange = reabre(QUsoFinca);
    banco = QFincas.AddField<TFIBStringField>(QStringLiteral("BANCO"));
    banco->OnChange = reabre(QBancof);
    // A property's entity is always padded, whatever was typed.
    banco->OnSetText = [](TField& f, const QString& texto) { f.SetAsString(RellenaCeros(4, texto)); };

    // Without an owner a new property or address would belong to the reserved
    // owner 0, whom no list shows: it would never be seen again.
    auto conPropietario = [this](TFIBDataSet&) {
        if (QPropietario.IsEmpty())
            throw EAviso(QStringLiteral("No hay ningún propietario: añada antes el propietario."));
    };
    QFincas.BeforeInsert = conPropietario;
    QDire.BeforeInsert = conPropietario;
    QFincas.OnNewRecord = [this](TFIBDataSet& ds) {
        ds.FieldByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(Entorno.Comunidad);
        ds.FieldByName(QStringLiteral("PROPIETARIO"))->SetAsInteger(QPropietario.FieldByName(QStringLiteral("CODIGO"))->AsInteger());
        const std::pair<const char*, const char*> delPropietario[] = {
            {"FORMA_PAGO", "FORMA_PAGO"}, {"BANCO", "BANCO"}, {"OFICINA", "OFICINA"}, {"DC", "DC"}, {"CUENTA_BAN", "CUENTA_BANCO"}};
        for (const auto& [campo, origen] : delPropietario)
            ds.FieldByName(QLatin1String(campo))->SetValue(QPropietario.FieldByName(QLatin1String(origen))->Value());
        for (const char* campo : {"TIPO_FINCA", "USO_FINCA", "ACTIVO"})
            ds.FieldByName(QLatin1String(campo))->SetAsInteger(1);
        DireccionComunidad(ds);
    };
    QFincas.BeforePost = [this](TFIBDataSet& ds) {
        NormalizaBanco(ds, QStringLiteral("CUENTA_BAN"));
        if (ds.State() == TDataSetState::dsInsert)
            ds.FieldByName(QStringLiteral("CODIGO"))
                ->SetAsInteger(Siguiente(SpFinca, {ds.FieldByName(QStringLiteral("COMUNIDAD"))->AsInteger(),
                                                   ds.FieldByName(QStringLiteral("PROPIETARIO"))->AsInteger()}));
    };
    // The property's opening balance of the year goes with it. Under a
    // savepoint: when the property itself is not deleted (another seat holds
    // it or has deleted it already, or the balance's own delete fails), the
    // balance stays too, rather than going with the next save.
    auto deshaceSaldo = [this] {
        DMMain->DataBase.ExecuteImmediate(QStringLiteral("ROLLBACK TO SAVEPOINT ") + QLatin1String(kSavepointFinca),
                                          FIBTransaction);
    };
    QFincas.BeforeDelete = [this, deshaceSaldo](TFIBDataSet& ds) {
        DMMain->DataBase.ExecuteImmediate(QStringLiteral("SAVEPOINT ") + QLatin1String(kSavepointFinca), FIBTransaction);
        try {
            SpGen.SetSQL({QStringLiteral("DELETE FROM EMP_SALDOS_APER_FINCAS"), QStringLiteral("WHERE COMUNIDAD=?COMUNIDAD AND"),
                          QStringLiteral("EJERCICIO=?EJERCICIO AND"), QStringLiteral("PROPIETARIO=?PROPIETARIO AND"),
                          QStringLiteral("FINCA=?FINCA AND"), QStringLiteral("PERIODO=\"00\"")});
            SpGen.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(Entorno.Comunidad);
            SpGen.ParamByName(QStringLiteral("EJERCICIO"))->SetAsInteger(Entorno.Ejercicio);
            SpGen.ParamByName(QStringLiteral("PROPIETARIO"))->SetAsInteger(ds.FieldByName(QStringLiteral("PROPIETARIO"))->AsInteger());
            SpGen.ParamByName(QStringLiteral("FINCA"))->SetAsInteger(ds.FieldByName(QStringLiteral("CODIGO"))->AsInteger());
            SpGen.ExecQuery();
        } catch (...) {
            deshaceSaldo();
            throw;
        }
    };
    QFincas.OnDeleteError = [deshaceSaldo](TFIBDataSet&, const EFIBError&, TDataAction&) { deshaceSaldo(); };
    QFincas.AfterOpen = PrimeraActiva;
    QFincas.AfterPost = [this](TFIBDataSet&) {
        graba();
        CambiaCoeficientes();
    };
    QFincas.AfterDelete = QFincas.AfterPost;

    // --- addresses
    codigo = QDire.AddField<TIntegerField>(QStringLiteral("CODIGO"));
    etiqueta(codigo, "Código");
    CodigoAlta(codigo);
    etiqueta(QDire.AddField<TFIBStringField>(QStringLiteral("DOMICILIO")), "Domicilio");
    etiqueta(QDire.AddField<TFIBStringField>(QStringLiteral("COD_POSTAL")), "Código Postal");
    etiqueta(QDire.AddField<TIntegerField>(QStringLiteral("ACTIVO")), "Activa");
    QDire.OnNewRecord = [this](TFIBDataSet& ds) {
        ds.FieldByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(Entorno.Comunidad);
        ds.FieldByName(QStringLiteral("PROPIETARIO"))->SetAsInteger(QPropietario.FieldByName(QStringLiteral("CODIGO"))->AsInteger());
        ds.FieldByName(QStringLiteral("ACTIVO"))->SetAsInteger(1);
        DireccionComunidad(ds);
    };
    QDire.BeforePost = [this](TFIBDataSet& ds) {
        if (ds.State() == TDataSetState::dsInsert)
            ds.FieldByName(QStringLiteral("CODIGO"))
                ->SetAsInteger(Siguiente(SpDire, {ds.FieldByName(QStringLiteral("COMUNIDAD"))->AsInteger(),
                                                  ds.FieldByName(QStringLiteral("PROPIETARIO"))->AsInteger()}));
    };
    QDire.AfterOpen = PrimeraActiva;
    QDire.AfterPost = [this](TFIBDataSet&) { graba(); };
    QDire.AfterDelete = QDire.AfterPost;

    DeclaraBusqueda({QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("10000")});
    AbreListas();
}

TDMPropietarios::~TDMPropietarios() = default;

void TDMPropietarios::Lookup(TFIBDataSet& ds, TDataSource& maestro, TDataSource& fuente, const QString& sql)
{
    ds.SetDatabase(&DMMain->DataBase);
    ds.SetTransaction(&FIBTransaction);
    ds.SetSelectSQL({sql});
    ds.SetDataSource(&maestro);
    fuente.SetDataSet(&ds);
}

void TDMPropietarios::ReabreListas()
{
    QPropietario.Close();
    AbreListas();
}

void TDMPropietarios::AbreListas()
{
    if (!FIBTransaction.Active())
        FIBTransaction.StartTransaction();
    QPropietario.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(Entorno.Comunidad);
    // The lists and names of the current owner and property follow it from now on.
    for (TFIBDataSet* ds : {static_cast<TFIBDataSet*>(&QPropietario), static_cast<TFIBDataSet*>(&QFincas),
                            static_cast<TFIBDataSet*>(&QDire), &QIdioma, &QFormaPagop, &QBancop, &QFormaPago, &QBancof,
                            &QTipoFinca, &QUsoFinca})
        ds->Open();
}

// A new property or address lies in the community's building.
void TDMPropietarios::DireccionComunidad(TFIBDataSet& ds)
{
    QComunidad.Close();
    QComunidad.ParamByName(QStringLiteral("comunidad"))->SetAsInteger(Entorno.Comunidad);
    QComunidad.Open();
    if (QComunidad.IsEmpty())
        return;
    for (const QString& campo : kDomicilio)
        ds.FieldByName(campo)->SetValue(QComunidad.FieldByName(campo)->Value());
}

// The next code: the highest in use, as the procedure reads it, plus one.
int TDMPropietarios::Siguiente(TFIBQuery& sp, std::initializer_list<qint64> parametros)
{
    int i = 0;
    for (const qint64 p : parametros)
        sp.Params(i++)->SetAsInteger(p);
    sp.ExecQuery();
    const TFIBColumn* maximo = sp.Fields(0);
    const int siguiente = (maximo->IsNull() ? 0 : static_cast<int>(maximo->AsInteger())) + 1;
    sp.Close();
    return siguiente;
}

void TDMPropietarios::graba()
{
    try {
        FIBTransaction.CommitRetaining();
    } catch (const EFIBError&) {
        // What could not be made permanent is dropped; the lists open again on
        // a new transaction, on the owner that was current, and the error
        // goes on to the user.
        const bool conPropietario = QPropietario.Active() && !QPropietario.IsEmpty();
        const qint64 codigo = conPropietario ? QPropietario.FieldByName(QStringLiteral("CODIGO"))->AsInteger() : 0;
        try {
            FIBTransaction.Rollback();
        } catch (const EFIBError&) {
            // The commit's error is the one the user must read.
        }
        if (!FIBTransaction.Active()) {
            AbreListas();
            if (conPropietario)
                QPropietario.Locate(QStringLiteral("CODIGO"), {codigo});
        }
        throw;
    }
}

void TDMPropietarios::DigitosControlPropietario()
{
    if (!QPropietario.Active() || !EnEdicion(QPropietario))
        return;
    PonTexto(QPropietario, QStringLiteral("DC"),
             DigitosControlCuenta(Texto(QPropietario, "BANCO"), Texto(QPropietario, "OFICINA"), Texto(QPropietario, "DC"),
                                  Texto(QPropietario, "CUENTA_BANCO")));
}

void TDMPropietarios::DigitosControlFinca()
{
    if (!QFincas.Active() || !EnEdicion(QFincas))
        return;
    PonTexto(QFincas, QStringLiteral("DC"),
             DigitosControlCuenta(Texto(QFincas, "BANCO"), Texto(QFincas, "OFICINA"), Texto(QFincas, "DC"),
                                  Texto(QFincas, "CUENTA_BAN")));
}

double TDMPropietarios::SumaCoeficientes()
{
    QCoeficientes.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(Entorno.Comunidad);
    QCoeficientes.ExecQuery();
    const double suma = QCoeficientes.Fields(0)->IsNull() ? 0.0 : QCoeficientes.Fields(0)->AsFloat();
    QCoeficientes.Close();
    return suma;
}

QStringList TDMPropietarios::ConvocatoriasConVotos(qint64 propietario)
{
    SpGen.SetSQL(QStringLiteral(
        "SELECT C.CODIGO, C.DES, C.FECHA FROM CONVOCATORIAS C WHERE C.COMUNIDAD = ?COMUNIDAD AND EXISTS "
        "(SELECT 1 FROM VOTACIONES V WHERE V.COMUNIDAD = C.COMUNIDAD AND V.CONVOCATORIA = C.CODIGO "
        "AND V.PROPIETARIO = ?PROPIETARIO) ORDER BY C.CODIGO"));
    SpGen.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(Entorno.Comunidad);
    SpGen.ParamByName(QStringLiteral("PROPIETARIO"))->SetAsInteger(propietario);
    QStringList convocatorias;
    for (SpGen.ExecQuery(); !SpGen.Eof(); SpGen.Next()) {
        QString linea = QStringLiteral("%1 %2").arg(SpGen.Fields(0)->AsString(), SpGen.Fields(1)->AsString().trimmed());
        if (!SpGen.Fields(2)->IsNull())
            linea += QStringLiteral(" (") + FormatoFecha(SpGen.Fields(2)->AsDateTime().date()) + QLatin1Char(')');
        convocatorias << linea.trimmed();
    }
    SpGen.Close();
    return convocatorias;
}

void TDMPropietarios::CambiaCoeficientes()
{
    if (OnCoeficientes)
        OnCoeficientes();
}

// --- IBAN box ------------------------------------------------------------------------------

class TIbanCuenta::TEnlace : public TDataLink {
public:
    explicit TEnlace(TIbanCuenta* caja) : caja_(caja) {}

protected:
    void ActiveChanged() override { caja_->Muestra(); }
    void DataSetChanged() override { caja_->Muestra(); }
    void RecordChanged(TField*) override { caja_->Muestra(); }

private:
    TIbanCuenta* caja_;
};

TIbanCuenta::TIbanCuenta(TDataSource* ds, const QString& campoCuenta, QWidget* parent)
    : QLineEdit(parent), enlace_(std::make_unique<TEnlace>(this)), campoCuenta_(campoCuenta)
{
    setReadOnly(true);
    setFocusPolicy(Qt::NoFocus);
    setToolTip(QStringLiteral("IBAN de la cuenta; solo con la cuenta completa y sus dígitos de control correctos."));
    enlace_->SetDataSource(ds);
    Muestra();
}

TIbanCuenta::~TIbanCuenta() = default;

void TIbanCuenta::Muestra()
{
    const TFIBDataSet* ds = enlace_->DataSet();
    if (!ds || !ds->Active() || ds->IsEmpty()) {
        clear();
        return;
    }
    setText(IbanCuenta(Texto(*ds, "BANCO"), Texto(*ds, "OFICINA"), Texto(*ds, "DC"),
                       ds->FieldByName(campoCuenta_)->AsString()));
}

// --- screen ---------------------------------------------------------------------------------

namespace {

const QString kBorraPropietario = QStringLiteral(" ¿ Borrar el propietario ? ");

// What the import from the accounting product rewrites at every new
// convocation: said where it is typed, so that nothing is typed in vain.
const char* const kAvisoEnlace =
    "Comunidad enlazada con Taldemar: los datos de los propietarios (nombre, teléfonos, e-mail, NIF, idioma, forma de "
    "pago, cuenta, avisos y observaciones), sus fincas y sus direcciones vienen de Taldemar; la próxima importación "
    "sobrescribe lo que se cambie aquí.";

// A box as wide as `caracteres` characters, digits included (wider than the average).
void Ancho(QWidget* w, int caracteres)
{
    const QFontMetrics m = w->fontMetrics();
    w->setFixedWidth(std::max(m.averageCharWidth() * (caracteres + 2), m.horizontalAdvance(QString(caracteres, u'0'))) + 12);
}

TDBEdit* Caja(TDataSource* ds, const QString& campo, int caracteres, bool fija = false)
{
    auto* e = new TDBEdit;
    e->setObjectName(QStringLiteral("DBE") + campo);
    e->SetDataSource(ds);
    e->SetDataField(campo);
    if (fija)
        Ancho(e, caracteres);
    else
        e->setMinimumWidth(e->fontMetrics().averageCharWidth() * (caracteres + 2) + 8);
    return e;
}

TDBText* Nombre(TDataSource* ds, const QString& campo)
{
    auto* t = new TDBText;
    t->SetDataSource(ds);
    t->SetDataField(campo);
    t->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    t->setMinimumWidth(t->fontMetrics().averageCharWidth() * 24);
    return t;
}

// Controls side by side, as one row of a form.
QWidget* Fila(std::initializer_list<QWidget*> controles, bool estira = true)
{
    auto* fila = new QWidget;
    auto* h = new QHBoxLayout(fila);
    h->setContentsMargins(0, 0, 0, 0);
    for (QWidget* c : controles)
        h->addWidget(c);
    if (estira)
        h->addStretch(1);
    return fila;
}

// A lookup field beside the name its code stands for.
TFIBDBEditfind* Busqueda(TDataSource* ds, const QString& campo, const char* tabla, const char* codigo, const char* nombre,
                         const char* condicion, int caracteres)
{
    auto* e = new TDBEditFind2000;
    e->setObjectName(QStringLiteral("DBE") + campo);
    e->SetDataSource(ds);
    e->SetDataField(campo);
    e->Tabla_a_buscar = QLatin1String(tabla);
    e->CampoNum = QLatin1String(codigo);
    e->CampoStr = QLatin1String(nombre);
    e->CondicionBusqueda = QLatin1String(condicion);
    Ancho(e, caracteres);
    return e;
}

// A bank's entity may be left empty, or 0 for none; a short number stands for
// the entity padded with zeros (49 is 0049). Anything else that is no bank
// opens the search.
void EntidadLibre(TFIBDBEditfind* banco)
{
    banco->OnNoExiste = [banco] {
        const QString texto = Recorta(banco->text());
        bool numero = false;
        const int valor = texto.toInt(&numero);
        if (texto.isEmpty() || (numero && valor == 0))
            return;
        if (numero && valor > 0 && texto.size() < 4) {
            banco->setText(RellenaCeros(4, texto));
            if (banco->ExisteValor())
                return;
        }
        banco->AbrirBusqueda();
    };
}

// The code and name of a record, read only, above a page that works on it.
QWidget* Cabecera(TDataSource* ds, const QString& titulo)
{
    auto* codigo = Nombre(ds, QStringLiteral("CODIGO"));
    codigo->setMinimumWidth(codigo->fontMetrics().averageCharWidth() * 7);
    auto* nombre = Nombre(ds, QStringLiteral("NOMBRE"));
    nombre->setMinimumWidth(nombre->fontMetrics().averageCharWidth() * 42);
    return Fila({new QLabel(titulo), codigo, nombre});
}

THYTDBGrid* Rejilla(TDataSource* ds, const QStringList& columnas, const QStringList& ordenables, QWidget* ficha)
{
    auto* g = new THYTDBGrid;
    g->SetDataSource(ds);
    g->SetColumnas(columnas);
    g->SetCamposAOrdenar(ordenables);
    g->SetCamposAOrdenarImgs(Recursos().ILOrdGrid);
    g->SetCampoAOrdenarColor(QColor(255, 255, 225));
    g->SetCamposAMarcar({QStringLiteral("ACTIVO")});
    g->SetCamposChecked({QStringLiteral("1")});
    g->SetTabFicha(ficha);
    g->PermutaPaneles = true;
    g->horizontalHeader()->setStretchLastSection(true);
    return g;
}

QToolButton* BotonConsulta(const QString& nombre)
{
    auto* b = new QToolButton;
    b->setObjectName(nombre); // "TbConsulta…": usable only while editing (the navigator's lock)
    b->setText(QStringLiteral("Consulta F2"));
    b->setToolTip(QStringLiteral("Buscar el valor del campo (F2)"));
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setEnabled(false);
    return b;
}

// What is typed shows in upper case.
void Mayusculas(QLineEdit* e)
{
    QObject::connect(e, &QLineEdit::textEdited, e, [e](const QString& t) {
        const QString mayusculas = t.toUpper();
        if (mayusculas == t)
            return;
        const int cursor = e->cursorPosition();
        e->setText(mayusculas);
        e->setCursorPosition(cursor);
    });
}

} // namespace

TFPropietarios::TFPropietarios() : TFBase(102, {860, 580}), dm_(std::make_unique<TDMPropietarios>())
{
    setObjectName(QStringLiteral("FPropietarios"));
    setWindowTitle(QStringLiteral("Mantenimiento de propietarios"));
    Conecta(*dm_);
    TDataSource* ds = dm_->DataSource();
    // Read once, as the screen opens.
    const bool sinDomicilio = !BuscaFichero(Entorno.CaminoPrograma, QStringLiteral("KORVALEN.CFG")).isEmpty();

    TbConsulta = BotonConsulta(QStringLiteral("TbConsulta"));
    ToolBar1->insertWidget(ToolBar1->actions().value(1), TbConsulta);
    // The register from the accounting product; the navigator locks the
    // button while a record is edited.
    TbImporta = new QToolButton;
    TbImporta->setObjectName(QStringLiteral("TbImporta"));
    TbImporta->setToolTip(QStringLiteral("Importar/Actualizar Propietarios, Fincas desde Taldemar"));
    TbImporta->setIcon(IconoImporta());
    ToolBar1->addWidget(TbImporta);
    connect(TbImporta, &QToolButton::clicked, this, [this] {
        {
            TFImporta importa(TModoImporta::Propietarios, true, this);
            importa.exec();
        }
        // The import may have added or changed owners: the lists are read again.
        dm_->ReabreListas();
    });

    // The owner.
    DBECodigo = CampoTexto(QStringLiteral("Código"), QStringLiteral("CODIGO"), 4);
    DBECodigo->MaxLength = 4;
    Ancho(DBECodigo, 5);
    DBENombre = CampoTexto(QStringLiteral("Nombre"), QStringLiteral("NOMBRE"), 40);
    CampoTexto(QStringLiteral("Teléfono"), QStringLiteral("TELEFONO"), 15);
    CampoTexto(QStringLiteral("Fax"), QStringLiteral("FAX"), 15);
    CampoTexto(QStringLiteral("Móvil"), QStringLiteral("MOVIL"), 15);
    CampoTexto(QStringLiteral("E MAIL"), QStringLiteral("E_MAIL"), 40);
    Mayusculas(CampoTexto(QStringLiteral("NIF"), QStringLiteral("NIF"), 9));
    DBEIdioma = Busqueda(ds, QStringLiteral("IDIOMA"), "SYS_IDIOMAS", "CODIGO", "NOMBRE", "", 3);
    AnadeCampo(QStringLiteral("Idioma"), Fila({DBEIdioma, Nombre(&dm_->DsIdioma, QStringLiteral("NOMBRE"))}));
    DBEFormaPago = Busqueda(ds, QStringLiteral("FORMA_PAGO"), "SYS_FORMAS_PAGO", "CODIGO", "NOMBRE", "codigo <> 0", 3);
    AnadeCampo(QStringLiteral("Forma de pago"), Fila({DBEFormaPago, Nombre(&dm_->DsFormaPagop, QStringLiteral("NOMBRE"))}));
    DBEBanco = Busqueda(ds, QStringLiteral("BANCO"), "SYS_BANCOS", "ENTIDAD", "NOMBRE", "entidad <> \"0000\"", 4);
    EntidadLibre(DBEBanco);
    AnadeCampo(QStringLiteral("Entidad"), Fila({DBEBanco, Nombre(&dm_->DsBancop, QStringLiteral("NOMBRE"))}));
    DBEOficina = Caja(ds, QStringLiteral("OFICINA"), 4, true);
    DBEDC = Caja(ds, QStringLiteral("DC"), 2, true);
    DBECuenta = Caja(ds, QStringLiteral("CUENTA_BANCO"), 10, true);
    EIban = new TIbanCuenta(ds, QStringLiteral("CUENTA_BANCO"));
    Ancho(EIban, 30);
    AnadeCampo(QStringLiteral("Cuenta"), Fila({DBEOficina, DBEDC, DBECuenta, new QLabel(QStringLiteral("IBAN")), EIban}));
    auto* avisos = new QWidget;
    auto* v = new QVBoxLayout(avisos);
    v->setContentsMargins(0, 0, 0, 0);
    v->addWidget(Caja(ds, QStringLiteral("AVISO1"), 60));
    v->addWidget(Caja(ds, QStringLiteral("AVISO2"), 60));
    AnadeCampo(QStringLiteral("Aviso"), avisos);
    HYMNavigator1->DelMessage = kBorraPropietario;
    // An owner with vote rows is asked about by naming those convocations:
    // his rows stay in them, and a register changed by mistake would show
    // there at once.
    HYMNavigator1->BeforeAction = [this](THYMNavigator& nav, TNavigateBtn boton) {
        if (boton != TNavigateBtn::nbDelete)
            return;
        nav.DelMessage = kBorraPropietario;
        if (dm_->QPropietario.IsEmpty())
            return;
        const QStringList convocatorias =
            dm_->ConvocatoriasConVotos(dm_->QPropietario.FieldByName(QStringLiteral("CODIGO"))->AsInteger());
        if (!convocatorias.isEmpty())
            nav.DelMessage = QStringLiteral(" ¿ Borrar el propietario ? \n\nTiene filas de votación en estas "
                                            "convocatorias, que se conservan con su nombre y su coeficiente:\n") +
                             convocatorias.join(QLatin1Char('\n'));
    };
    HYMNavigator1->SetInsertaControl(DBECodigo);
    HYMNavigator1->SetEditaControl(DBENombre);

    // The owners.
    HYTDBGrid1->SetColumnas({QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("TELEFONO")});
    HYTDBGrid1->SetCamposAOrdenar({QStringLiteral("CODIGO"), QStringLiteral("NOMBRE")});
    LCoeficientes = new QLabel;
    LCoeficientes->setObjectName(QStringLiteral("LCoeficientes"));
    LCoeficientes->setContentsMargins(6, 4, 6, 4);
    static_cast<QVBoxLayout*>(TSTabla->layout())->addWidget(LCoeficientes);

    SbEstado = new QStatusBar;
    SbEstado->setObjectName(QStringLiteral("SbEstado"));
    SbEstado->setSizeGripEnabled(false);
    static_cast<QVBoxLayout*>(layout())->addWidget(SbEstado);
    // Read once, as the screen opens: the link is set at start-up.
    if (Entorno.EnlaceContable == 1) {
        auto* enlace = new QLabel(QString::fromUtf8(kAvisoEnlace));
        enlace->setObjectName(QStringLiteral("LEnlace"));
        enlace->setWordWrap(true);
        SbEstado->addWidget(enlace, 1);
    } else {
        SbEstado->hide();
    }

    CEPaginaFincas = new TControlEdit(this, QStringLiteral("CEPaginaFincas"));
    CEPaginaDire = new TControlEdit(this, QStringLiteral("CEPaginaDire"));
    PCMain->addTab(CreaFincas(sinDomicilio), QStringLiteral("Fi&ncas"));
    PCMain->addTab(CreaDirecciones(), QStringLiteral("&Direcciones"));
    PCMain->addTab(CreaObservaciones(), QStringLiteral("&Observaciones"));
    CEPaginaFincas->SetFichaEdicion(TSFincas);
    CEPaginaFincas->SetFichaExclusiva(TSFincas);
    CEPaginaDire->SetFichaEdicion(TSDirecciones);
    CEPaginaDire->SetFichaExclusiva(TSDirecciones);

    lookups_ = {DBEIdioma, DBEFormaPago, DBEBanco, DBEFormaPagoFinca, DBEBancoFinca, DBETipoFinca, DBEUsoFinca};
    connect(TbConsulta, &QToolButton::clicked, this, [this] { Consulta({DBEIdioma, DBEFormaPago, DBEBanco}); });
    connect(TbConsultaFinca, &QToolButton::clicked, this,
            [this] { Consulta({DBEFormaPagoFinca, DBEBancoFinca, DBETipoFinca, DBEUsoFinca}); });
    // Leaving a bank box recomputes the account's check digits. After the box
    // has written what it holds, and only while the focus stays on this screen.
    const QList<QWidget*> bancoPropietario{DBEBanco, DBEOficina, DBEDC, DBECuenta};
    const QList<QWidget*> bancoFinca{DBEBancoFinca, DBEOficinaFinca, DBEDCFinca, DBECuentaFinca};
    connect(qApp, &QApplication::focusChanged, this, [this, bancoPropietario, bancoFinca](QWidget* antes, QWidget* ahora) {
        if (!antes || !ahora || ahora->window() != this)
            return;
        if (bancoPropietario.contains(antes))
            SinErrores([this] { dm_->DigitosControlPropietario(); });
        else if (bancoFinca.contains(antes))
            SinErrores([this] { dm_->DigitosControlFinca(); });
    });

    // The total reads every property of the community: it is read when the
    // owners' list is shown, and again after each change while it is shown.
    dm_->OnCoeficientes = [this] {
        coeficientesAlDia_ = false;
        if (PCMain->currentWidget() == TSTabla)
            MuestraCoeficientes();
    };
    connect(PCMain, &QTabWidget::currentChanged, this, [this] {
        if (PCMain->currentWidget() == TSTabla && !coeficientesAlDia_)
            MuestraCoeficientes();
    });
    // Binding the sub-editors showed their pages: the screen opens on the owner.
    PCFincas->setCurrentWidget(TSFichaFinca);
    PCDire->setCurrentWidget(TSFichaDire);
    PCMain->setCurrentWidget(TSFicha);
}

TFPropietarios::~TFPropietarios()
{
    // The module goes before the controls: nothing may reach it from here on.
    qApp->removeEventFilter(this);
    disconnect(qApp, nullptr, this, nullptr);
    dm_->OnCoeficientes = nullptr;
}

QWidget* TFPropietarios::CreaFincas(bool sinDomicilio)
{
    TDataSource* ds = &dm_->DsFincas;
    TSFincas = new QWidget;
    TSFincas->setObjectName(QStringLiteral("TSFincas"));
    auto* v = new QVBoxLayout(TSFincas);
    v->addWidget(Cabecera(dm_->DataSource(), QStringLiteral("Propietario")));
    PCFincas = new QTabWidget;
    PCFincas->setObjectName(QStringLiteral("PCFincas"));
    v->addWidget(PCFincas, 1);
    TSFichaFinca = new QWidget;
    TSTablaFinca = new QWidget;
    TSObsFinca = new QWidget;
    PCFincas->addTab(TSFichaFinca, QStringLiteral("Fic&ha"));
    PCFincas->addTab(TSTablaFinca, QStringLiteral("Ta&bla"));
    PCFincas->addTab(TSObsFinca, QStringLiteral("&Observaciones"));

    // The property, in two columns.
    PFinca = new QWidget(TSFichaFinca);
    PFinca->setObjectName(QStringLiteral("PFinca"));
    auto* ficha = new QVBoxLayout(TSFichaFinca);
    ficha->addWidget(PFinca);
    ficha->addStretch(1);
    auto* columnas = new QHBoxLayout(PFinca);
    auto* izquierda = new QFormLayout;
    auto* derecha = new QFormLayout;
    for (QFormLayout* f : {izquierda, derecha}) {
        f->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
        f->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
        columnas->addLayout(f);
    }
    columnas->addStretch(1);
    TDBEdit* codigo = Caja(ds, QStringLiteral("CODIGO"), 5, true);
    codigo->SetReadOnly(true); // given when the property is saved
    codigo->setFocusPolicy(Qt::NoFocus);
    izquierda->addRow(QStringLiteral("Código"), codigo);
    DBENombreFinca = Caja(ds, QStringLiteral("NOMBRE"), 20);
    izquierda->addRow(QStringLiteral("Nombre"), DBENombreFinca);
    izquierda->addRow(QStringLiteral("Inquilino"), Caja(ds, QStringLiteral("INQUILINO"), 30));
    TDBEdit* referencia = Caja(ds, QStringLiteral("REFERENCIA"), 5, true);
    referencia->MaxLength = 4;
    izquierda->addRow(QStringLiteral("Referencia"), referencia);
    QList<QWidget*> domicilio;
    for (const auto& [etiqueta, campo, caracteres] :
         {std::tuple{"Domicilio", "DOMICILIO", 36}, std::tuple{"Código Postal", "COD_POSTAL", 10},
          std::tuple{"Población", "POBLACION", 30}, std::tuple{"Provincia", "PROVINCIA", 30}}) {
        domicilio << Caja(ds, QLatin1String(campo), caracteres);
        izquierda->addRow(QString::fromUtf8(etiqueta), domicilio.last());
    }
    izquierda->addRow(QStringLiteral("Teléfono"), Caja(ds, QStringLiteral("TELEFONO"), 15));
    DBCActivaFinca = new TDBCheckBox;
    DBCActivaFinca->setObjectName(QStringLiteral("DBCActivaFinca"));
    DBCActivaFinca->setText(QStringLiteral("Activa"));
    DBCActivaFinca->SetDataSource(ds);
    DBCActivaFinca->SetDataField(QStringLiteral("ACTIVO"));
    izquierda->addRow(QString(), DBCActivaFinca);
    DBECoeficiente = Caja(ds, QStringLiteral("COEFICIENTES"), 11, true);
    derecha->addRow(QStringLiteral("Coeficiente"), DBECoeficiente);
    derecha->addRow(QStringLiteral("Referencia Catastral"), Caja(ds, QStringLiteral("REF_CATASTRAL"), 10, true));
    derecha->addRow(QStringLiteral("M2 Parcela"), Caja(ds, QStringLiteral("M2_PARCELA"), 10, true));
    derecha->addRow(QStringLiteral("M2 Útiles"), Caja(ds, QStringLiteral("M2_UTILES"), 10, true));
    derecha->addRow(QStringLiteral("Clave"), Caja(ds, QStringLiteral("CLAVE"), 3, true));
    DBEFormaPagoFinca = Busqueda(ds, QStringLiteral("FORMA_PAGO"), "SYS_FORMAS_PAGO", "CODIGO", "NOMBRE", "codigo <> 0", 3);
    derecha->addRow(QStringLiteral("Forma de pago"), Fila({DBEFormaPagoFinca, Nombre(&dm_->DsFormaPago, QStringLiteral("NOMBRE"))}));
    DBEBancoFinca = Busqueda(ds, QStringLiteral("BANCO"), "SYS_BANCOS", "ENTIDAD", "NOMBRE", "entidad <> \"0000\"", 4);
    EntidadLibre(DBEBancoFinca);
    derecha->addRow(QStringLiteral("Entidad"), Fila({DBEBancoFinca, Nombre(&dm_->DsBancof, QStringLiteral("NOMBRE"))}));
    DBEOficinaFinca = Caja(ds, QStringLiteral("OFICINA"), 4, true);
    DBEDCFinca = Caja(ds, QStringLiteral("DC"), 2, true);
    DBECuentaFinca = Caja(ds, QStringLiteral("CUENTA_BAN"), 10, true);
    derecha->addRow(QStringLiteral("Cuenta"), Fila({DBEOficinaFinca, DBEDCFinca, DBECuentaFinca}));
    EIbanFinca = new TIbanCuenta(ds, QStringLiteral("CUENTA_BAN"));
    Ancho(EIbanFinca, 30);
    derecha->addRow(QStringLiteral("IBAN"), EIbanFinca);
    DBETipoFinca = Busqueda(ds, QStringLiteral("TIPO_FINCA"), "SYS_TIPOS_FINCA", "CODIGO", "NOMBRE", "codigo <> 0", 3);
    derecha->addRow(QStringLiteral("Tipo Finca"), Fila({DBETipoFinca, Nombre(&dm_->DsTipoFinca, QStringLiteral("NOMBRE"))}));
    DBEUsoFinca = Busqueda(ds, QStringLiteral("USO_FINCA"), "SYS_USO_FINCAS", "codigo", "nombre", "codigo <> 0", 3);
    derecha->addRow(QStringLiteral("Uso Finca"), Fila({DBEUsoFinca, Nombre(&dm_->DsUsoFinca, QStringLiteral("NOMBRE"))}));
    if (sinDomicilio)
        for (QWidget* w : std::as_const(domicilio))
            izquierda->setRowVisible(w, false);

    // The owner's properties.
    GridFincas = Rejilla(ds, {QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("TELEFONO"), QStringLiteral("ACTIVO")},
                         {QStringLiteral("CODIGO"), QStringLiteral("NOMBRE")}, TSFichaFinca);
    GridFincas->setObjectName(QStringLiteral("GridFincas"));
    auto* tabla = new QVBoxLayout(TSTablaFinca);
    tabla->setContentsMargins(0, 0, 0, 0);
    tabla->addWidget(GridFincas);

    // The bottom tool bar.
    auto* barra = new QToolBar;
    barra->setObjectName(QStringLiteral("ToolBarFincas"));
    v->addWidget(barra);
    TbConsultaFinca = BotonConsulta(QStringLiteral("TbConsultaFinca"));
    NavFincas = Subeditor(barra, TSFincas, TSFichaFinca, PFinca, ds, QStringLiteral("CEFincas"), CEPaginaFincas, nullptr);
    barra->addWidget(TbConsultaFinca);
    NavFincas->DelMessage = QStringLiteral(" ¿ Borrar la finca ? ");
    NavFincas->RefreshOnPost = true;
    NavFincas->SetInsertaControl(DBENombreFinca);
    NavFincas->SetEditaControl(DBENombreFinca);

    // The property's remarks.
    auto* obs = new QVBoxLayout(TSObsFinca);
    obs->addWidget(Cabecera(ds, QStringLiteral("Finca")));
    auto* barraObs = new QToolBar;
    barraObs->setObjectName(QStringLiteral("ToolBarObsFinca"));
    obs->addWidget(barraObs);
    DBRObsFinca = new TDBRichEdit;
    DBRObsFinca->setObjectName(QStringLiteral("DBRObsFinca"));
    DBRObsFinca->SetDataSource(ds);
    DBRObsFinca->SetDataField(QStringLiteral("OBSERVACIONES"));
    obs->addWidget(DBRObsFinca, 1);
    NavObsFinca = Subeditor(barraObs, TSObsFinca, TSObsFinca, DBRObsFinca, ds, QStringLiteral("CEObsFinca"), CEPaginaFincas, barra);
    return TSFincas;
}

QWidget* TFPropietarios::CreaDirecciones()
{
    TDataSource* ds = &dm_->DsDire;
    TSDirecciones = new QWidget;
    TSDirecciones->setObjectName(QStringLiteral("TSDirecciones"));
    auto* v = new QVBoxLayout(TSDirecciones);
    v->addWidget(Cabecera(dm_->DataSource(), QStringLiteral("Propietario")));
    PCDire = new QTabWidget;
    PCDire->setObjectName(QStringLiteral("PCDire"));
    v->addWidget(PCDire, 1);
    TSFichaDire = new QWidget;
    TSTablaDire = new QWidget;
    PCDire->addTab(TSFichaDire, QStringLiteral("Fic&ha"));
    PCDire->addTab(TSTablaDire, QStringLiteral("Ta&bla"));

    PDire = new QWidget(TSFichaDire);
    PDire->setObjectName(QStringLiteral("PDire"));
    auto* ficha = new QVBoxLayout(TSFichaDire);
    ficha->addWidget(PDire);
    ficha->addStretch(1);
    auto* campos = new QFormLayout(PDire);
    campos->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    campos->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    TDBEdit* codigo = Caja(ds, QStringLiteral("CODIGO"), 5, true);
    codigo->SetReadOnly(true); // given when the address is saved
    codigo->setFocusPolicy(Qt::NoFocus);
    campos->addRow(QStringLiteral("Código"), codigo);
    DBEDomicilioDire = Caja(ds, QStringLiteral("DOMICILIO"), 50);
    campos->addRow(QStringLiteral("Domicilio"), DBEDomicilioDire);
    campos->addRow(QStringLiteral("Código Postal"), Caja(ds, QStringLiteral("COD_POSTAL"), 10, true));
    campos->addRow(QStringLiteral("Población"), Caja(ds, QStringLiteral("POBLACION"), 30));
    campos->addRow(QStringLiteral("Provincia"), Caja(ds, QStringLiteral("PROVINCIA"), 30));
    auto* activa = new TDBCheckBox;
    activa->setText(QStringLiteral("Activa"));
    activa->SetDataSource(ds);
    activa->SetDataField(QStringLiteral("ACTIVO"));
    campos->addRow(QString(), activa);

    GridDire = Rejilla(ds, {QStringLiteral("CODIGO"), QStringLiteral("DOMICILIO"), QStringLiteral("COD_POSTAL"), QStringLiteral("ACTIVO")},
                       {QStringLiteral("CODIGO"), QStringLiteral("DOMICILIO")}, TSFichaDire);
    GridDire->setObjectName(QStringLiteral("GridDire"));
    auto* tabla = new QVBoxLayout(TSTablaDire);
    tabla->setContentsMargins(0, 0, 0, 0);
    tabla->addWidget(GridDire);

    auto* barra = new QToolBar;
    barra->setObjectName(QStringLiteral("ToolBarDire"));
    v->addWidget(barra);
    NavDire = Subeditor(barra, TSDirecciones, TSFichaDire, PDire, ds, QStringLiteral("CEDire"), CEPaginaDire, nullptr);
    NavDire->DelMessage = QStringLiteral(" ¿ Borra la dirección ? ");
    NavDire->RefreshOnPost = true;
    NavDire->SetInsertaControl(DBEDomicilioDire);
    NavDire->SetEditaControl(DBEDomicilioDire);
    return TSDirecciones;
}

QWidget* TFPropietarios::CreaObservaciones()
{
    TSObservaciones = new QWidget;
    TSObservaciones->setObjectName(QStringLiteral("TSObservaciones"));
    auto* v = new QVBoxLayout(TSObservaciones);
    v->addWidget(Cabecera(dm_->DataSource(), QStringLiteral("Propietario")));
    auto* barra = new QToolBar;
    barra->setObjectName(QStringLiteral("ToolBarObs"));
    v->addWidget(barra);
    DBRObs = new TDBRichEdit;
    DBRObs->setObjectName(QStringLiteral("DBRObs"));
    DBRObs->SetDataSource(dm_->DataSource());
    DBRObs->SetDataField(QStringLiteral("OBS"));
    v->addWidget(DBRObs, 1);
    NavObs = Subeditor(barra, TSObservaciones, TSObservaciones, DBRObs, dm_->DataSource(), QStringLiteral("CEObs"), nullptr, nullptr);
    return TSObservaciones;
}

// A navigator of its own for a part of the screen. While it edits, the owner
// cannot move: the screen's tool and search bars are locked, and so are the
// tabs around its page (`exterior`) and the control `complementario`.
THYMNavigator* TFPropietarios::Subeditor(QToolBar* barra, QWidget* ambito, QWidget* ficha, QWidget* panel, TDataSource* ds,
                                         const QString& nombre, TControlEdit* exterior, QWidget* complementario)
{
    auto* nav = new THYMNavigator;
    nav->setObjectName(QStringLiteral("Nav") + nombre.mid(2));
    barra->addWidget(nav);
    auto* ce = new TControlEdit(ambito, nombre);
    auto* teclas = new TPopUpTeclas(ambito);
    teclas->setObjectName(nombre + QStringLiteral("UpTeclas"));
    teclas->CreaItemsNavegacion(nombre);
    ce->SetFichaEdicion(ficha);
    ce->SetFichaExclusiva(ficha);
    ce->SetPanelEdicion(panel);
    ce->SetComplementario(complementario);
    ce->SetPopUpMenu(teclas);
    ce->SetTeclas(&Recursos().Teclas);
    ce->SetDataSource(ds);
    nav->SetDataSource(ds);
    // The remarks editors: only edit, save, cancel and re-read.
    if (auto* notas = qobject_cast<TDBRichEdit*>(panel)) {
        nav->SetVisibleButtons({TNavigateBtn::nbEdit, TNavigateBtn::nbPost, TNavigateBtn::nbCancel, TNavigateBtn::nbRefresh});
        nav->SetEditaControl(notas->editor());
    }
    nav->SetControlEdit(ce);
    nav->OnClickAfterAdjust = [this, exterior](THYMNavigator& n, TNavigateBtn) {
        const bool on = n.EnEdicion();
        ToolBar1->setEnabled(!on);
        ToolBar2->setEnabled(!on);
        if (exterior)
            exterior->ActivarEdicion(on);
    };
    return nav;
}

// "Consulta F2": the search of the lookup field being typed in.
void TFPropietarios::Consulta(std::initializer_list<QWidget*> campos)
{
    QWidget* foco = QApplication::focusWidget();
    if (std::find(campos.begin(), campos.end(), foco) != campos.end())
        TeclaBusqueda(foco, Qt::Key_F2);
}

void TFPropietarios::MuestraCoeficientes()
{
    const double suma = dm_->SumaCoeficientes();
    // Compared as shown: five decimals.
    const bool completa = FormatoNumero(suma, QString::fromLatin1(MascaraCoeficienteEdicion)) == QLatin1String("100,00000");
    QString texto = QStringLiteral("Suma de coeficientes de las fincas activas: ") +
                    FormatoCoeficiente(suma);
    if (!completa)
        texto += QStringLiteral("   ¡ No suman el 100,00000% !");
    LCoeficientes->setText(texto);
    LCoeficientes->setStyleSheet(completa ? QString() : QStringLiteral("color: #b00000; font-weight: bold;"));
    coeficientesAlDia_ = true;
}

bool TFPropietarios::SubEditando() const
{
    return NavFincas->EnEdicion() || NavObsFinca->EnEdicion() || NavDire->EnEdicion() || NavObs->EnEdicion();
}

bool TFPropietarios::eventFilter(QObject* objeto, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        auto* w = qobject_cast<QWidget*>(objeto);
        // F2 opens the search of the lookup field that has the focus.
        if (k->key() == Qt::Key_F2 && k->modifiers() == Qt::NoModifier && w && lookups_.contains(w)) {
            TeclaBusqueda(w, Qt::Key_F2);
            return true;
        }
        // The coefficient takes "." as the decimal comma.
        if (objeto == DBECoeficiente && k->text() == QLatin1String(".")) {
            QKeyEvent coma(QEvent::KeyPress, Qt::Key_Comma, k->modifiers(), QStringLiteral(","));
            QCoreApplication::sendEvent(DBECoeficiente, &coma);
            return true;
        }
        // A property not paid by bank goes from its payment method straight
        // to its type, past the bank boxes.
        if (objeto == DBEFormaPagoFinca && k->key() == Qt::Key_Tab && k->modifiers() == Qt::NoModifier &&
            EnEdicion(dm_->QFincas)) {
            bool numero = false;
            const int forma = Recorta(DBEFormaPagoFinca->text()).toInt(&numero);
            if (numero && forma != 1) {
                DBETipoFinca->setFocus(Qt::TabFocusReason);
                // The search that leaving may open can still choose method 1.
                if (dm_->QFincas.FieldByName(QStringLiteral("FORMA_PAGO"))->AsInteger() == 1)
                    DBEBancoFinca->setFocus(Qt::TabFocusReason);
                return true;
            }
        }
        // Esc while a part of the screen is being edited reaches that part.
        if (k->key() == Qt::Key_Escape && SubEditando())
            return QWidget::eventFilter(objeto, e);
    }
    return TFBase::eventFilter(objeto, e);
}

void TFPropietarios::closeEvent(QCloseEvent* e)
{
    // A property, address or remark being edited is saved, dropped, or kept
    // with the screen, as the owner is.
    for (THYMNavigator* nav : {NavFincas, NavObsFinca, NavDire}) {
        if (!PuedeCerrarse(*nav)) {
            e->ignore();
            return;
        }
    }
    TFBase::closeEvent(e);
}
