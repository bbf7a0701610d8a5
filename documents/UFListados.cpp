#include "UFListados.h"
#include "WaitCursor.h"
#include "AlSalir.h"
#include "FIBReportSource.h"
#include "ReportDesigner.h"
#include "ReportLayout.h"
#include "ReportPreview.h"
#include "ReportXml.h"
#include "UAplicacion.h"
#include "UDBControles.h"
#include "UDMMain.h"
#include "UDialogos.h"
#include "UFormGest.h"
#include "UIntercambio.h"
#include "UOrdenes.h"
#include "URecursos.h"
#include "USalida.h"
#include "UTextos.h"

#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QVBoxLayout>

namespace {

const QString kTmpFrf = QStringLiteral("tmp.frf");

QString EnPrograma(const QString& nombre) { return Entorno.CaminoPrograma + u'/' + nombre; }

bool EnEdicion(const TFIBDataSet& ds)
{
    return ds.State() == TDataSetState::dsEdit || ds.State() == TDataSetState::dsInsert;
}

// The statement of one dataset with its clauses: WHERE as a new line, or
// joined with " AND " when the statement has its own (two-dataset listings).
QStringList ConClausulas(const QString& sql, const QString& donde, const QString& orden, bool unirWhere)
{
    QStringList lineas{sql};
    if (donde != QLatin1String("WHERE ")) {
        if (unirWhere && sql.contains(QLatin1String("WHERE ")))
            lineas << QStringLiteral(" AND ") + donde.mid(5);
        else
            lineas << donde;
    }
    if (orden != QLatin1String("ORDER BY "))
        lineas << orden;
    return lineas;
}

// A listing reads: its statement, as the engine prepares it, must be one
// SELECT. Anything else (a DELETE, an UPDATE, a procedure executed) is
// refused before it runs.
void SoloConsulta(TFIBQuery& q)
{
    q.Prepare();
    if (!q.IsSelect())
        throw EAviso(QStringLiteral("Un listado solo puede leer datos: su sentencia SQL debe ser una consulta SELECT.\r"
                                    "Sentencia rechazada: %1")
                         .arg(q.SQLText().simplified()));
}

// The table a statement reads first: the name after its first FROM, to the
// first character that cannot be part of a name.
QString TablaDeSentencia(const QString& sql)
{
    static const QRegularExpression desde(QStringLiteral("\\bFROM\\s+([A-Z0-9_$]+)"),
                                          QRegularExpression::CaseInsensitiveOption);
    return desde.match(sql).captured(1).toUpper();
}

// A cell of the conditions grid chosen from a list or typed.
class TDelegadoLista : public QStyledItemDelegate {
public:
    TDelegadoLista(std::function<QStringList()> lista, QObject* padre)
        : QStyledItemDelegate(padre), lista_(std::move(lista))
    {
    }
    QWidget* createEditor(QWidget* padre, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        auto* c = new QComboBox(padre);
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        c->addItems(lista_());
        return c;
    }
    void setEditorData(QWidget* editor, const QModelIndex& i) const override
    {
        static_cast<QComboBox*>(editor)->setCurrentText(i.data(Qt::EditRole).toString());
    }
    void setModelData(QWidget* editor, QAbstractItemModel* modelo, const QModelIndex& i) const override
    {
        modelo->setData(i, static_cast<QComboBox*>(editor)->currentText(), Qt::EditRole);
    }

private:
    std::function<QStringList()> lista_;
};

} // namespace

// ---------------------------------------------------------------- module

TDMFListados::TDMFListados()
{
    const TSentenciasGeneradas g = SentenciasGeneradas(
        QStringLiteral("SYS_LISTADOS"),
        {QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("FICHERO"), QStringLiteral("SQL")},
        {QStringLiteral("CODIGO")});
    QTabla.AddField<TIntegerField>(QStringLiteral("CODIGO"))->SetDisplayLabel(QStringLiteral("Código"));
    QTabla.AddField<TFIBStringField>(QStringLiteral("NOMBRE"))->SetDisplayLabel(QStringLiteral("Descripción"));
    TField* sql = QTabla.AddField<TFIBStringField>(QStringLiteral("SQL"));
    sql->SetDisplayLabel(QStringLiteral("SQL"));
    // A statement cut to the column's length would run as another one.
    sql->OnSetText = [](TField& f, const QString& texto) {
        const int maximo = f.Size() > 0 ? f.Size() : 200;
        if (texto.size() > maximo)
            throw EAviso(QStringLiteral("La sentencia SQL no puede pasar de %1 caracteres; tiene %2.")
                             .arg(maximo)
                             .arg(texto.size()));
        f.SetAsString(texto);
    };
    DefinePrincipal(QTabla, {.Name = QStringLiteral("QTabla"),
                             .TableName = QStringLiteral("SYS_LISTADOS"),
                             .SelectSQL = {QStringLiteral("SELECT * FROM SYS_LISTADOS"), QStringLiteral("ORDER BY CODIGO")},
                             .InsertSQL = g.Insert,
                             .UpdateSQL = g.Update,
                             .DeleteSQL = g.Delete,
                             .RefreshSQL = g.Refresh,
                             .Opciones = {TOpcionesTableSet::NoControlarConcurrencia}});
    QTabla.OnNewRecord = [](TFIBDataSet& ds) {
        ds.FieldByName(QStringLiteral("SQL"))->SetAsString(QStringLiteral("SELECT * FROM VER_CITAS"));
    };
    // The user's own listings are numbered below the supplied ones.
    AsignaCodigoAutomatico(QTabla, QStringLiteral("CODIGO"), QStringLiteral("SYS_LISTADOS WHERE CODIGO < 9000"));
    DeclaraBusqueda({QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("00000")});
    // A listing's conditions go with it: a later listing given the same code
    // must not inherit them. Under a savepoint, so that they stay when the
    // listing itself cannot be deleted.
    QTabla.BeforeDelete = [this](TFIBDataSet& ds) {
        DMMain->DataBase.ExecuteImmediate(QStringLiteral("SAVEPOINT BORRA_LISTADO"), FIBTransaction);
        TFIBQuery q;
        q.SetDatabase(&DMMain->DataBase);
        q.SetTransaction(&FIBTransaction);
        q.SetSQL(QStringLiteral("DELETE FROM SYS_LISTADOS_CONDICIONES WHERE CODIGO=?CODIGO"));
        q.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(ds.FieldByName(QStringLiteral("CODIGO"))->AsInteger());
        q.ExecQuery();
    };
    QTabla.OnDeleteError = [this](TFIBDataSet&, const EFIBError&, TDataAction&) {
        DMMain->DataBase.ExecuteImmediate(QStringLiteral("ROLLBACK TO SAVEPOINT BORRA_LISTADO"), FIBTransaction);
    };

    const QStringList columnas{QStringLiteral("CODIGO"),    QStringLiteral("NUMERO"),    QStringLiteral("OPERADOR"),
                               QStringLiteral("CAMPO"),     QStringLiteral("TIPOCAMPO"), QStringLiteral("CONTENIDO"),
                               QStringLiteral("TABLA")};
    const TSentenciasGeneradas gc = SentenciasGeneradas(QStringLiteral("SYS_LISTADOS_CONDICIONES"), columnas,
                                                        {QStringLiteral("CODIGO"), QStringLiteral("NUMERO")});
    QCondiciones.SetDatabase(&DMMain->DataBase);
    QCondiciones.SetTransaction(&FIBTransaction);
    // In the order they were added: the order of the clauses they make.
    QCondiciones.LoadDefinition({.Name = QStringLiteral("QCondiciones"),
                                 .TableName = QStringLiteral("SYS_LISTADOS_CONDICIONES"),
                                 .SelectSQL = {QStringLiteral("SELECT * FROM SYS_LISTADOS_CONDICIONES WHERE CODIGO=?CODIGO"),
                                               QStringLiteral("ORDER BY NUMERO")},
                                 .InsertSQL = gc.Insert,
                                 .UpdateSQL = gc.Update,
                                 .DeleteSQL = gc.Delete,
                                 .RefreshSQL = gc.Refresh,
                                 .Opciones = {TOpcionesTableSet::NoControlarConcurrencia}});
    QCondiciones.SetDataSource(DataSource());
    DsCondiciones.SetDataSet(&QCondiciones);
    QCondiciones.AddField<TIntegerField>(QStringLiteral("CODIGO"));
    QCondiciones.AddField<TIntegerField>(QStringLiteral("NUMERO"));
    TField* operador = QCondiciones.AddField<TFIBStringField>(QStringLiteral("OPERADOR"));
    operador->SetDisplayLabel(QStringLiteral("Operador"));
    QCondiciones.AddField<TFIBStringField>(QStringLiteral("TABLA"))->SetDisplayLabel(QStringLiteral("Tabla"));
    TField* campo = QCondiciones.AddField<TFIBStringField>(QStringLiteral("CAMPO"));
    campo->SetDisplayLabel(QStringLiteral("Campo"));
    QCondiciones.AddField<TFIBStringField>(QStringLiteral("TIPOCAMPO"))->SetDisplayLabel(QStringLiteral("Tipo"));
    QCondiciones.AddField<TFIBStringField>(QStringLiteral("CONTENIDO"))->SetDisplayLabel(QStringLiteral("Contenido"));
    operador->OnSetText = [](TField& f, const QString& texto) { f.SetAsString(OperadorTecleado(texto)); };
    operador->OnChange = [](TField& f) {
        if (f.AsString().trimmed() == QLatin1String("EXPRE"))
            f.DataSet()->FieldByName(QStringLiteral("TIPOCAMPO"))->SetAsString(QStringLiteral("C"));
    };
    campo->OnChange = [this](TField& f) {
        const QString nombre = f.AsString().trimmed();
        for (const QString& t : Ofertas.Tipos)
            if (t.mid(1) == nombre) {
                f.DataSet()->FieldByName(QStringLiteral("TIPOCAMPO"))->SetAsString(t.left(1));
                return;
            }
    };
    QCondiciones.BeforeInsert = [this](TFIBDataSet&) {
        if (QTabla.IsEmpty() || EnEdicion(QTabla))
            throw EAviso(QStringLiteral("Guarde primero el listado."));
    };
    QCondiciones.OnNewRecord = [this](TFIBDataSet& ds) {
        ds.FieldByName(QStringLiteral("CODIGO"))->SetAsInteger(QTabla.FieldByName(QStringLiteral("CODIGO"))->AsInteger());
    };
    QCondiciones.BeforePost = [this](TFIBDataSet& ds) {
        CompruebaCondicion(ds.FieldByName(QStringLiteral("OPERADOR"))->AsString(),
                           ds.FieldByName(QStringLiteral("TIPOCAMPO"))->AsString(),
                           ds.FieldByName(QStringLiteral("CONTENIDO"))->AsString());
        if (ds.State() != TDataSetState::dsInsert)
            return;
        TFIBQuery q;
        q.SetDatabase(&DMMain->DataBase);
        q.SetTransaction(&FIBTransaction);
        q.SetSQL(QStringLiteral("SELECT MAX(NUMERO) NUM FROM SYS_LISTADOS_CONDICIONES WHERE CODIGO=?CODIGO"));
        q.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(ds.FieldByName(QStringLiteral("CODIGO"))->AsInteger());
        q.ExecQuery();
        ds.FieldByName(QStringLiteral("NUMERO"))->SetAsInteger(q.Fields(0)->IsNull() ? 1 : q.Fields(0)->AsInteger() + 1);
    };
    QCondiciones.AfterPost = [this](TFIBDataSet&) { graba(); };
    QCondiciones.AfterDelete = QCondiciones.AfterPost;

    // The listing's data is read in a read-only transaction of its own: no
    // statement, condition or expression of a listing can change a row.
    TLectura.SetDefaultDatabase(&DMMain->DataBase);
    TLectura.SetTRParams({QStringLiteral("read"), QStringLiteral("read_committed"), QStringLiteral("rec_version"),
                          QStringLiteral("nowait")});
    for (TFIBDataSet* ds : {&QCampos, &QDetalle, &QAdministrador, &QComunidad}) {
        ds->SetDatabase(&DMMain->DataBase);
        ds->SetTransaction(&TLectura);
    }
    QCampos.Name = QStringLiteral("QCampos");
    QDetalle.Name = QStringLiteral("QDetalle");
    DsCampos.SetDataSet(&QCampos);
    QDetalle.SetDataSource(&DsCampos);
    QAdministrador.Name = QStringLiteral("QAdministrador");
    QAdministrador.SetSelectSQL({QStringLiteral("SELECT * FROM ADMINISTRADOR")});
    QComunidad.Name = QStringLiteral("QComunidad");
    QComunidad.SetSelectSQL({QStringLiteral("SELECT * FROM SYS_COMUNIDAD WHERE CODIGO=?CODIGO")});
    Abre();
    QCondiciones.Open();
    QComunidad.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(Entorno.Comunidad);
}

TDMFListados::~TDMFListados()
{
    // The engine's views of the datasets go before the datasets.
    datos_.reset();
    fuentes_.clear();
}

QString TDMFListados::SQL() const
{
    return QTabla.Active() && !QTabla.IsEmpty() ? QTabla.FieldByName(QStringLiteral("SQL"))->AsString() : QString();
}

void TDMFListados::RefrescaOfertas(const QString& tabla)
{
    // The listing's statement is opened to read its columns: it may take a while.
    TWaitCursor espera;
    Ofertas = {};
    if (QTabla.IsEmpty())
        return;
    TAlSalir cierra([d = this] { d->CierraDatos(); });
    AbreDatos(std::nullopt);
    const QString sql = SQL().toUpper();
    const qsizetype puntoYComa = sql.indexOf(u';');
    const QString t = tabla.trimmed().toUpper();
    const qsizetype donde = t.isEmpty() ? -1 : sql.indexOf(t);
    const TFIBDataSet& ds = puntoYComa >= 0 && donde >= puntoYComa ? QDetalle : QCampos;
    for (int i = 0; i < ds.FieldCount(); ++i) {
        const TField* f = ds.Fields(i);
        QString tipo;
        switch (f->DataType()) {
        case TFieldType::ftString: tipo = QStringLiteral("C"); break;
        case TFieldType::ftSmallint:
        case TFieldType::ftInteger:
        case TFieldType::ftLargeint:
        case TFieldType::ftBoolean:
        case TFieldType::ftFloat: tipo = QStringLiteral("N"); break;
        case TFieldType::ftDateTime:
        case TFieldType::ftDate: tipo = QStringLiteral("F"); break;
        default: continue;
        }
        Ofertas.Campos << f->FieldName();
        Ofertas.Tipos << tipo + f->FieldName();
    }
    if (puntoYComa >= 0)
        Ofertas.Tablas = {TablaListado(SQL(), 1), TablaListado(SQL(), 2)};
}

QList<TCondicion> TDMFListados::Condiciones()
{
    QList<TCondicion> lista;
    if (QTabla.IsEmpty())
        return lista;
    TFIBQuery q;
    q.SetDatabase(&DMMain->DataBase);
    q.SetTransaction(&FIBTransaction);
    q.SetSQL(QStringLiteral("SELECT * FROM SYS_LISTADOS_CONDICIONES WHERE CODIGO=?CODIGO ORDER BY NUMERO"));
    q.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(QTabla.FieldByName(QStringLiteral("CODIGO"))->AsInteger());
    for (q.ExecQuery(); !q.Eof(); q.Next())
        lista << TCondicion{q.FieldByName(QStringLiteral("OPERADOR"))->AsString(),
                            q.FieldByName(QStringLiteral("CAMPO"))->AsString(),
                            q.FieldByName(QStringLiteral("TIPOCAMPO"))->AsString(),
                            q.FieldByName(QStringLiteral("CONTENIDO"))->AsString(),
                            q.FieldByName(QStringLiteral("TABLA"))->AsString()};
    return lista;
}

QStringList TDMFListados::Columnas(TFIBDataSet& ds, const QString& tabla)
{
    TFIBQuery& select = ds.SelectQuery();
    select.Prepare();
    QStringList columnas;
    for (int i = 0; i < select.FieldCount(); ++i)
        columnas << select.Fields(i)->Name();
    if (tabla.isEmpty())
        return columnas;
    TFIBQuery q;
    q.SetDatabase(&DMMain->DataBase);
    q.SetTransaction(&TLectura);
    q.SetSQL(QStringLiteral("SELECT TRIM(RDB$FIELD_NAME) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME=?TABLA"));
    q.ParamByName(QStringLiteral("TABLA"))->SetAsString(tabla);
    for (q.ExecQuery(); !q.Eof(); q.Next())
        columnas << q.Fields(0)->AsString();
    return columnas;
}

void TDMFListados::CompruebaSentencia(const QString& sql)
{
    const qsizetype puntoYComa = sql.indexOf(u';');
    TFIBQuery q;
    q.SetDatabase(&DMMain->DataBase);
    q.SetTransaction(&TLectura);
    q.SetSQL(puntoYComa < 0 ? sql : sql.left(puntoYComa));
    SoloConsulta(q);
    if (puntoYComa >= 0) {
        q.SetSQL(sql.mid(puntoYComa + 1));
        SoloConsulta(q);
    }
}

void TDMFListados::AbreDatos(const std::optional<QList<TCondicion>>& condiciones)
{
    CierraDatos();
    const QString sql = SQL();
    const qsizetype puntoYComa = sql.indexOf(u';');
    const QString maestro = puntoYComa < 0 ? sql : sql.left(puntoYComa);
    const QString detalle = puntoYComa < 0 ? QString() : sql.mid(puntoYComa + 1);
    QCampos.SetSelectSQL({maestro});
    QDetalle.SetSelectSQL({detalle});
    if (condiciones) {
        // The fields the conditions name are checked against the columns of
        // the statement as written and of its table.
        if (puntoYComa < 0) {
            CompruebaCampos(*condiciones, {}, Columnas(QCampos, TablaDeSentencia(maestro)));
            QCampos.SetSelectSQL(ConClausulas(maestro, ClausulaListado(1, *condiciones, {}),
                                              ClausulaListado(2, *condiciones, {}), false));
        } else {
            const QString primera = TablaListado(sql, 1);
            const QString segunda = TablaListado(sql, 2);
            CompruebaCampos(*condiciones, primera, Columnas(QCampos, TablaDeSentencia(maestro)));
            CompruebaCampos(*condiciones, segunda, Columnas(QDetalle, TablaDeSentencia(detalle)));
            QCampos.SetSelectSQL(ConClausulas(maestro, ClausulaListado(1, *condiciones, primera),
                                              ClausulaListado(2, *condiciones, primera), true));
            QDetalle.SetSelectSQL(ConClausulas(detalle, ClausulaListado(1, *condiciones, segunda),
                                               ClausulaListado(2, *condiciones, segunda), true));
        }
    }
    SoloConsulta(QCampos.SelectQuery());
    if (puntoYComa >= 0)
        SoloConsulta(QDetalle.SelectQuery());
    QCampos.Open();
    if (puntoYComa >= 0)
        QDetalle.Open();
    if (!QAdministrador.Active())
        QAdministrador.Open();
    if (!QComunidad.Active())
        QComunidad.Open();

    datos_ = std::make_unique<qdr::ReportData>();
    const std::pair<const char*, TFIBDataSet*> nombres[] = {{"frDBCampos", &QCampos},
                                                            {"frDBDetalle", &QDetalle},
                                                            {"QAdministrador", &QAdministrador},
                                                            {"QComunidad", &QComunidad}};
    for (const auto& [nombre, ds] : nombres) {
        fuentes_.push_back(std::make_unique<qdr::TFIBReportSource>(*ds));
        datos_->addDataSet(QLatin1String(nombre), fuentes_.back().get());
    }
    datos_->loadPicture(QStringLiteral("Imagen"), {EnPrograma(QStringLiteral("fotos/F000000.BMP")),
                                                  EnPrograma(QStringLiteral("fotos/F000000.JPG"))});
}

void TDMFListados::CierraDatos()
{
    datos_.reset();
    fuentes_.clear();
    QDetalle.Close();
    QCampos.Close();
}

std::optional<qdr::Document> TDMFListados::EjecutaListado(const QString& destino,
                                                          const std::optional<QList<TCondicion>>& condiciones)
{
    if (EnEdicion(QCondiciones))
        QCondiciones.Post();
    if (QTabla.IsEmpty())
        return std::nullopt;
    const QByteArray formato = QTabla.FieldByName(QStringLiteral("FICHERO"))->AsBytes();
    if (formato.isEmpty())
        throw EAviso(QStringLiteral("Debe primero confeccionar el listado."));
    AbreDatos(condiciones ? *condiciones : Condiciones());
    TAlSalir cierra([d = this] { d->CierraDatos(); });
    const QString tmp = EnPrograma(kTmpFrf);
    GuardaFichero(tmp, formato);
    const qdr::Report informe = qdr::loadReport(tmp);
    if (!destino.isEmpty()) {
        ExportaInforme(informe, *datos_, destino);
        return std::nullopt;
    }
    qdr::Document doc = qdr::layoutReport(informe, *datos_);
    if (doc.title.isEmpty())
        doc.title = QTabla.FieldByName(QStringLiteral("NOMBRE"))->AsString().trimmed();
    return doc;
}

void TDMFListados::GuardaCondiciones(const QList<TCondicion>& condiciones)
{
    const qint64 codigo = QTabla.FieldByName(QStringLiteral("CODIGO"))->AsInteger();
    TFIBQuery q;
    q.SetDatabase(&DMMain->DataBase);
    q.SetTransaction(&FIBTransaction);
    q.SetSQL(QStringLiteral("DELETE FROM SYS_LISTADOS_CONDICIONES WHERE CODIGO=?CODIGO"));
    q.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(codigo);
    q.ExecQuery();
    q.SetSQL(QStringLiteral("INSERT INTO SYS_LISTADOS_CONDICIONES (CODIGO, NUMERO, OPERADOR, CAMPO, TIPOCAMPO, "
                            "CONTENIDO, TABLA) VALUES (?CODIGO, ?NUMERO, ?OPERADOR, ?CAMPO, ?TIPOCAMPO, ?CONTENIDO, ?TABLA)"));
    int numero = 0;
    for (const TCondicion& c : condiciones) {
        q.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(codigo);
        q.ParamByName(QStringLiteral("NUMERO"))->SetAsInteger(++numero);
        q.ParamByName(QStringLiteral("OPERADOR"))->SetAsString(c.Operador);
        q.ParamByName(QStringLiteral("CAMPO"))->SetAsString(c.Campo);
        q.ParamByName(QStringLiteral("TIPOCAMPO"))->SetAsString(c.Tipo);
        q.ParamByName(QStringLiteral("CONTENIDO"))->SetAsString(c.Contenido);
        q.ParamByName(QStringLiteral("TABLA"))->SetAsString(c.Tabla);
        q.ExecQuery();
    }
    graba();
    QCondiciones.Close();
    QCondiciones.Open();
}

QStringList TDMFListados::LineasIntercambio()
{
    // The statement keeps its line breaks: the file writes them as bare line
    // feeds inside its line (EscribeIntercambio).
    QStringList lineas{QTabla.FieldByName(QStringLiteral("NOMBRE"))->AsString(), QStringLiteral("1"),
                       QTabla.FieldByName(QStringLiteral("SQL"))->AsString(), QStringLiteral("VACIO")};
    const QString blanco = QStringLiteral(" ");
    for (const TCondicion& c : Condiciones())
        lineas << AlineaIzquierda(c.Operador, 5, blanco) + AlineaIzquierda(c.Campo, 19, blanco) +
                      AlineaIzquierda(c.Tipo, 1, blanco) + AlineaIzquierda(c.Contenido, 40, blanco) +
                      AlineaIzquierda(c.Tabla, 30, blanco);
    return lineas;
}

bool TDMFListados::ExisteCodigo(int codigo)
{
    TFIBQuery q;
    q.SetDatabase(&DMMain->DataBase);
    q.SetTransaction(&FIBTransaction);
    q.SetSQL(QStringLiteral("select codigo from sys_listados where codigo=?CODIGO"));
    q.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(codigo);
    q.ExecQuery();
    return !q.Eof();
}

void TDMFListados::Importa(const QString& frf, const QStringList& lineas, int codigo, bool reemplaza)
{
    // Every condition is checked before anything is written: a refused one
    // leaves no listing half imported.
    QList<TCondicion> condiciones;
    for (qsizetype i = 4; i < lineas.size(); ++i) {
        const QString& l = lineas[i];
        if (l.trimmed().isEmpty())
            continue;
        const TCondicion c{l.mid(0, 5).trimmed(), l.mid(5, 19).trimmed(), l.mid(24, 1).trimmed(),
                           l.mid(25, 40).trimmed(), l.mid(65, 30).trimmed()};
        CompruebaCondicion(c.Operador, c.Tipo, c.Contenido);
        condiciones << c;
    }
    CompruebaSentencia(lineas.value(2));
    const QByteArray formato = CargaFichero(frf);
    if (reemplaza) {
        Busca(QString::number(codigo));
        if (QTabla.IsEmpty() || QTabla.FieldByName(QStringLiteral("CODIGO"))->AsInteger() != codigo)
            throw EAviso(QStringLiteral("No se ha podido actualizar el formato, intentelo de nuevo"));
        QTabla.Edit();
    } else {
        TFIBQuery q;
        q.SetDatabase(&DMMain->DataBase);
        q.SetTransaction(&FIBTransaction);
        q.SetSQL(QStringLiteral("SELECT MAX(CODIGO) FROM SYS_LISTADOS"));
        q.ExecQuery();
        codigo = q.Fields(0)->IsNull() ? 1 : static_cast<int>(q.Fields(0)->AsInteger()) + 1;
        QTabla.Insert();
    }
    try {
        QTabla.FieldByName(QStringLiteral("CODIGO"))->SetAsInteger(codigo);
        QTabla.FieldByName(QStringLiteral("NOMBRE"))->SetAsString(lineas.value(0));
        QTabla.FieldByName(QStringLiteral("SQL"))->SetText(lineas.value(2));
        QTabla.FieldByName(QStringLiteral("FICHERO"))->SetAsBytes(formato);
        QTabla.Post();
    } catch (...) {
        // A row the database refuses leaves the list as it was.
        QTabla.Cancel();
        throw;
    }
    // The imported conditions go after those the listing has.
    for (const TCondicion& c : condiciones) {
        QCondiciones.Append();
        QCondiciones.FieldByName(QStringLiteral("OPERADOR"))->SetAsString(c.Operador);
        QCondiciones.FieldByName(QStringLiteral("CAMPO"))->SetAsString(c.Campo);
        QCondiciones.FieldByName(QStringLiteral("TIPOCAMPO"))->SetAsString(c.Tipo);
        QCondiciones.FieldByName(QStringLiteral("CONTENIDO"))->SetAsString(c.Contenido);
        QCondiciones.FieldByName(QStringLiteral("TABLA"))->SetAsString(c.Tabla);
        QCondiciones.Post();
    }
}

void TDMFListados::GuardaFormato(const QByteArray& formato)
{
    QTabla.Edit();
    QTabla.FieldByName(QStringLiteral("FICHERO"))->SetAsBytes(formato);
    QTabla.Post();
}

// ---------------------------------------------------------------- screen

TFListados::TFListados() : TFBase(502), dm_(std::make_unique<TDMFListados>())
{
    setObjectName(QStringLiteral("FListados"));
    setWindowTitle(QStringLiteral("Creación de listados"));
    Conecta(*dm_);
    DBECodigo = CampoTexto(QStringLiteral("Código"), QStringLiteral("CODIGO"), 4);
    DBECodigo->setMaxLength(4);
    DBENombre = CampoTexto(QStringLiteral("Descripción"), QStringLiteral("NOMBRE"), 40);
    DBMSql = new TDBMemo(PEdit);
    DBMSql->setObjectName(QStringLiteral("DBMSql"));
    DBMSql->SetDataSource(CEMain->DataSource());
    DBMSql->SetDataField(QStringLiteral("SQL"));
    DBMSql->setMinimumSize(420, 90);
    AnadeCampo(QStringLiteral("SQL"), DBMSql);
    HYMNavigator1->SetEditaControl(DBENombre);
    HYMNavigator1->SetInsertaControl(DBECodigo);
    HYTDBGrid1->SetColumnas({QStringLiteral("CODIGO"), QStringLiteral("NOMBRE")});
    HYTDBGrid1->SetCamposAOrdenar({QStringLiteral("CODIGO"), QStringLiteral("NOMBRE")});

    // The tools, right after the navigator.
    QAction* separador = ToolBar1->actions().value(1);
    auto boton = [&](QToolButton*& b, const char* nombre, const char* texto, QStyle::StandardPixmap icono) {
        b = new QToolButton;
        b->setObjectName(QLatin1String(nombre));
        b->setToolTip(QString::fromUtf8(texto));
        b->setIcon(style()->standardIcon(icono));
        ToolBar1->insertWidget(separador, b);
    };
    boton(TbConfeccion, "TbConfeccion", "Confección listado", QStyle::SP_FileDialogDetailedView);
    boton(TbImportar, "TbImportar", "Importar listado", QStyle::SP_ArrowDown);
    boton(TbExportar, "TbExportar", "Exportar listado", QStyle::SP_ArrowUp);
    UsableEnEdicion(TbConfeccion);
    connect(TbConfeccion, &QToolButton::clicked, this, [this] { SinErrores([this] { Confecciona(); }); });
    connect(TbImportar, &QToolButton::clicked, this, [this] { SinErrores([this] { Importa(); }); });
    connect(TbExportar, &QToolButton::clicked, this, [this] { SinErrores([this] { Exporta(); }); });

    // The conditions page.
    TSCondiciones = new QWidget;
    TSCondiciones->setObjectName(QStringLiteral("TSCondiciones"));
    PCMain->addTab(TSCondiciones, QStringLiteral("&Condiciones listado"));
    auto* v = new QVBoxLayout(TSCondiciones);
    auto* cabecera = new QHBoxLayout;
    DBTCodigo = new TDBText;
    DBTCodigo->setObjectName(QStringLiteral("DBTCodigo"));
    DBTCodigo->SetDataSource(dm_->DataSource());
    DBTCodigo->SetDataField(QStringLiteral("CODIGO"));
    DBTNombre = new TDBText;
    DBTNombre->setObjectName(QStringLiteral("DBTNombre"));
    DBTNombre->SetDataSource(dm_->DataSource());
    DBTNombre->SetDataField(QStringLiteral("NOMBRE"));
    cabecera->addWidget(new QLabel(QStringLiteral("Listado")));
    cabecera->addWidget(DBTCodigo);
    cabecera->addWidget(DBTNombre, 1);
    v->addLayout(cabecera);
    auto* barra = new QToolBar;
    barra->setObjectName(QStringLiteral("ToolBarCondiciones"));
    NavCondiciones = new THYMNavigator;
    NavCondiciones->setObjectName(QStringLiteral("NavCondiciones"));
    NavCondiciones->SetDataSource(&dm_->DsCondiciones);
    NavCondiciones->DelCaption = QStringLiteral("Información");
    NavCondiciones->DelMessage = QStringLiteral(" ¿ Borrar condición ? ");
    barra->addWidget(NavCondiciones);
    v->addWidget(barra);
    GridCondiciones = new THYTDBGrid;
    GridCondiciones->setObjectName(QStringLiteral("GridCondiciones"));
    GridCondiciones->SetDataSource(&dm_->DsCondiciones);
    GridCondiciones->SetColumnas({QStringLiteral("OPERADOR"), QStringLiteral("TABLA"), QStringLiteral("CAMPO"),
                                  QStringLiteral("TIPOCAMPO"), QStringLiteral("CONTENIDO")});
    GridCondiciones->SetEditables(
        {QStringLiteral("OPERADOR"), QStringLiteral("TABLA"), QStringLiteral("CAMPO"), QStringLiteral("CONTENIDO")});
    GridCondiciones->setItemDelegateForColumn(0, new TDelegadoLista([] { return OperadoresCondicion(); }, GridCondiciones));
    GridCondiciones->setItemDelegateForColumn(1, new TDelegadoLista([this] { return dm_->Ofertas.Tablas; }, GridCondiciones));
    GridCondiciones->setItemDelegateForColumn(2, new TDelegadoLista([this] { return dm_->Ofertas.Campos; }, GridCondiciones));
    GridCondiciones->horizontalHeader()->setStretchLastSection(true);
    v->addWidget(GridCondiciones, 1);
    auto* pie = new QHBoxLayout;
    pie->addStretch(1);
    BtObtencion = new QPushButton(QStringLiteral("Obtención listado F7"));
    BtObtencion->setObjectName(QStringLiteral("BtObtencion"));
    BtObtencion->setAutoDefault(false);
    pie->addWidget(BtObtencion);
    v->addLayout(pie);
    connect(BtObtencion, &QPushButton::clicked, this, [this] { SinErrores([this] { EjecutaListado(); }); });
    auto* f7 = new QShortcut(QKeySequence(Qt::Key_F7), this);
    connect(f7, &QShortcut::activated, this, [this] { SinErrores([this] { EjecutaListado(); }); });

    // While a condition is being edited its listing cannot move under it.
    dm_->DsCondiciones.OnStateChange = [this](TDataSource&) {
        const bool editando = EnEdicion(dm_->QCondiciones);
        ToolBar1->setEnabled(!editando);
        ToolBar2->setEnabled(!editando);
        PCMain->tabBar()->setEnabled(!editando);
    };
    NavCondiciones->OnClickAfterAdjust = [this](THYMNavigator&, TNavigateBtn) {
        GridCondiciones->setEnabled(true);
        GridCondiciones->setFocus();
    };
    connect(PCMain, &QTabWidget::currentChanged, this, [this] {
        if (PCMain->currentWidget() != TSCondiciones)
            return;
        SinErrores([this] { RefrescaOfertas(); });
        GridCondiciones->setFocus();
    });
    connect(GridCondiciones->selectionModel(), &QItemSelectionModel::currentColumnChanged, this,
            [this] { SinErrores([this] { RefrescaOfertas(); }); });
    // Another listing: what its conditions can name.
    auto anterior = dm_->QTabla.AfterScroll;
    dm_->QTabla.AfterScroll = [this, anterior](TFIBDataSet& ds) {
        if (anterior)
            anterior(ds);
        if (PCMain->currentWidget() == TSCondiciones)
            SinErrores([this] { RefrescaOfertas(); });
    };
    // The lists are read when the conditions page is entered: a listing whose
    // statement fails must not keep the screen from opening to mend it.
    GridCondiciones->setColumnHidden(1, !dm_->DosConjuntos());
}

TFListados::~TFListados()
{
    dm_->QTabla.AfterScroll = nullptr;
    dm_->DsCondiciones.OnStateChange = nullptr;
}

void TFListados::RefrescaOfertas()
{
    TFIBDataSet& c = dm_->QCondiciones;
    const QString tabla = c.Active() && !c.IsEmpty() ? c.FieldByName(QStringLiteral("TABLA"))->AsString() : QString();
    GridCondiciones->setColumnHidden(1, !dm_->DosConjuntos());
    dm_->RefrescaOfertas(tabla);
}

void TFListados::EjecutaListado(const QString& destino)
{
    // What is typed in a cell counts (F7 does not leave the cell), and the
    // condition is saved through its navigator, which then leaves its edit
    // mode as well.
    GridCondiciones->GuardaEscrito();
    if (EnEdicion(dm_->QCondiciones))
        NavCondiciones->EjecutarBoton(TNavigateBtn::nbPost);
    const std::optional<qdr::Document> doc = dm_->EjecutaListado(destino);
    if (doc)
        qdr::showPreview(*doc, this);
}

void TFListados::Confecciona()
{
    TFIBTableSet& q = dm_->QTabla;
    if (!GuardaRegistro() || q.IsEmpty())
        return;
    const QString tmp = EnPrograma(kTmpFrf);
    const QByteArray formato = q.FieldByName(QStringLiteral("FICHERO"))->AsBytes();
    const qint64 codigo = q.FieldByName(QStringLiteral("CODIGO"))->AsInteger();
    dm_->AbreDatos(std::nullopt);
    TAlSalir cierra([d = dm_.get()] { d->CierraDatos(); });
    QFile::remove(tmp);
    qdr::TReportDesigner disenador;
    qint64 sello = 0;
    if (!formato.isEmpty() || codigo < 9000) {
        if (!formato.isEmpty()) {
            GuardaFichero(tmp, formato);
        } else {
            // The starting format: the program folder's, or the one the
            // program carries when the folder has none.
            const QString propio = EnPrograma(QStringLiteral("listado.frf"));
            QFile::copy(QFile::exists(propio) ? propio : QStringLiteral(":/documents/listado.frf"), tmp);
            QFile::setPermissions(tmp, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        }
        sello = FechaFichero(tmp);
        if (sello < 0)
            return;
        disenador.CargarDeFichero(tmp);
    } else {
        disenador.NuevoInforme();
        disenador.SetFicheroGuardar(tmp);
    }
    qdr::TReportDesigner::SetNuevoInformeHabilitado(false);
    disenador.SetNombre(q.FieldByName(QStringLiteral("NOMBRE"))->AsString().trimmed());
    disenador.SetDatos(&dm_->Datos());
    disenador.Ejecutar(this);
    if (QFile::exists(tmp) && FechaFichero(tmp) != sello)
        dm_->GuardaFormato(CargaFichero(tmp));
}

void TFListados::Exporta()
{
    ExportaFila(this, dm_->QTabla, QStringLiteral("FICHERO"), [this] { return dm_->LineasIntercambio(); });
}

void TFListados::Importa()
{
    if (EnEdicion(dm_->QTabla))
        return;
    const std::optional<TImportacion> i =
        PideImportacion(this, QStringLiteral("Importar Listado"), QStringLiteral("Fichero de Listado (*.FRF)"), QStringLiteral("LISTADO*.FRF"),
                        [this](int codigo) { return dm_->ExisteCodigo(codigo); });
    if (i)
        dm_->Importa(i->Par.Frf, i->Lineas, i->Par.Codigo, i->Reemplaza);
}

void RegistraOrdenesListados()
{
    // Opened from the main window, not from the command: no "Ventanas" entry.
    RegistraOrden({.Id = QStringLiteral("CreacionListados"), .Menu = TMenuOrden::Varios, .Posicion = 10,
                   .Titulo = QStringLiteral("Creación de listados"),
                   .Abre = [](QAction*) { AbreVentana<TFListados>(nullptr); }});
}
