#include "UFFormatos.h"
#include "DbComboBoxValue.h"
#include "FIBReportSource.h"
#include "ReportDesigner.h"
#include "UAplicacion.h"
#include "UDBControles.h"
#include "UDMMain.h"
#include "UDialogos.h"
#include "UFormGest.h"
#include "UIntercambio.h"
#include "UOrdenes.h"
#include "USalida.h"
#include "UTextos.h"

#include <QFile>

namespace {

QString FicheroPrograma(const char* nombre) { return Entorno.CaminoPrograma + u'/' + QLatin1String(nombre); }

} // namespace

TDMFormatos::TDMFormatos()
{
    const TSentenciasGeneradas g = SentenciasGeneradas(
        QStringLiteral("SYS_FORMATOS"),
        {QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("FORMATO"), QStringLiteral("TIPO")},
        {QStringLiteral("CODIGO")});
    QTabla.AddField<TIntegerField>(QStringLiteral("CODIGO"))->SetDisplayLabel(QStringLiteral("Código"));
    QTabla.AddField<TFIBStringField>(QStringLiteral("NOMBRE"))->SetDisplayLabel(QStringLiteral("Nombre"));
    DefinePrincipal(QTabla, {.Name = QStringLiteral("QTabla"),
                             .TableName = QStringLiteral("SYS_FORMATOS"),
                             .SelectSQL = {QStringLiteral("SELECT * FROM SYS_FORMATOS"), QStringLiteral("ORDER BY CODIGO")},
                             .InsertSQL = g.Insert,
                             .UpdateSQL = g.Update,
                             .DeleteSQL = g.Delete,
                             .RefreshSQL = g.Refresh,
                             .Opciones = {TOpcionesTableSet::NoControlarConcurrencia}});
    QTabla.OnNewRecord = [](TFIBDataSet& ds) { ds.FieldByName(QStringLiteral("TIPO"))->SetAsInteger(1); };
    // A code left blank is numbered rather than refused by the database.
    AsignaCodigoAutomatico(QTabla, QStringLiteral("CODIGO"), QStringLiteral("SYS_FORMATOS"));
    DeclaraBusqueda({QStringLiteral("codigo"), QStringLiteral("NOMBRE"), QStringLiteral("00000")});

    for (TFIBDataSet* ds : {&QEtiqueta, &QAdministrador}) {
        ds->SetDatabase(&DMMain->DataBase);
        ds->SetTransaction(&FIBTransaction);
    }
    QEtiqueta.Name = QStringLiteral("QEtiqueta");
    QEtiqueta.SetSelectSQL({QStringLiteral("SELECT * FROM VER_PROPIETARIO_DIRE WHERE COMUNIDAD=?COMUNIDAD AND ACTIVO = 1")});
    QAdministrador.Name = QStringLiteral("QAdministrador");
    QAdministrador.SetSelectSQL({QStringLiteral("SELECT * FROM ADMINISTRADOR")});
    // The owners follow the community each time the list opens.
    QTabla.AfterOpen = [this](TFIBDataSet&) {
        QEtiqueta.Close();
        QEtiqueta.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(Entorno.Comunidad);
        QEtiqueta.Open();
    };
    datos_ = std::make_unique<qdr::ReportData>();
    fuentes_.push_back(std::make_unique<qdr::TFIBReportSource>(QEtiqueta));
    datos_->addDataSet(QStringLiteral("frDBDataSet1"), fuentes_.back().get());
    fuentes_.push_back(std::make_unique<qdr::TFIBReportSource>(QAdministrador));
    datos_->addDataSet(QStringLiteral("QAdministrador"), fuentes_.back().get());
    Abre();
}

TDMFormatos::~TDMFormatos()
{
    QTabla.AfterOpen = nullptr;
    datos_.reset();
    fuentes_.clear();
}

void TDMFormatos::GuardaFormato(const QByteArray& formato)
{
    QTabla.Edit();
    QTabla.FieldByName(QStringLiteral("FORMATO"))->SetAsBytes(formato);
    QTabla.Post();
}

QStringList TDMFormatos::LineasIntercambio()
{
    return {QTabla.FieldByName(QStringLiteral("NOMBRE"))->AsString(),
            QString::number(QTabla.FieldByName(QStringLiteral("TIPO"))->AsInteger())};
}

bool TDMFormatos::ExisteCodigo(int codigo)
{
    TFIBQuery q;
    q.SetDatabase(&DMMain->DataBase);
    q.SetTransaction(&FIBTransaction);
    q.SetSQL(QStringLiteral("select codigo from sys_formatos where codigo=?CODIGO"));
    q.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(codigo);
    q.ExecQuery();
    return !q.Eof();
}

int TDMFormatos::SiguienteCodigo()
{
    TFIBQuery q;
    q.SetDatabase(&DMMain->DataBase);
    q.SetTransaction(&FIBTransaction);
    q.SetSQL(QStringLiteral("SELECT MAX(CODIGO) FROM SYS_FORMATOS"));
    q.ExecQuery();
    return q.Fields(0)->IsNull() ? 1 : static_cast<int>(q.Fields(0)->AsInteger()) + 1;
}

void TDMFormatos::Importa(const QString& frf, const QStringList& lineas, int codigo, bool reemplaza)
{
    // A pair without its line 2 has no type: refused, as a line 2 that is
    // no number is, rather than stored as type 0.
    if (Recorta(lineas.value(1)).isEmpty())
        throw EConvertError(QStringLiteral("El fichero adjunto de formato no indica el tipo de formato en su línea 2"));
    const int tipo = TextoAEntero(lineas.value(1));
    const QByteArray formato = CargaFichero(frf);
    if (reemplaza) {
        Busca(QString::number(codigo));
        if (QTabla.IsEmpty() || QTabla.FieldByName(QStringLiteral("CODIGO"))->AsInteger() != codigo)
            throw EAviso(QStringLiteral("No se ha podido actualizar el formato, intentelo de nuevo"));
        QTabla.Edit();
    } else {
        codigo = SiguienteCodigo();
        QTabla.Insert();
    }
    try {
        QTabla.FieldByName(QStringLiteral("CODIGO"))->SetAsInteger(codigo);
        QTabla.FieldByName(QStringLiteral("NOMBRE"))->SetAsString(lineas.value(0));
        QTabla.FieldByName(QStringLiteral("TIPO"))->SetAsInteger(tipo);
        QTabla.FieldByName(QStringLiteral("FORMATO"))->SetAsBytes(formato);
        QTabla.Post();
    } catch (...) {
        // A row the database refuses leaves the list as it was.
        QTabla.Cancel();
        throw;
    }
}

void TDMFormatos::Duplica(int codigo)
{
    if (codigo == QTabla.FieldByName(QStringLiteral("CODIGO"))->AsInteger())
        throw EAviso(QStringLiteral("El formato no se puede copiar sobre sí mismo"));
    if (ExisteCodigo(codigo))
        throw EAviso(QStringLiteral("El código de formato existe"));
    const QString intermedio = FicheroPrograma("DmFormatos.tmp");
    GuardaFichero(intermedio, QTabla.FieldByName(QStringLiteral("FORMATO"))->AsBytes());
    struct Borra {
        QString fichero;
        ~Borra() { QFile::remove(fichero); }
    } borra{intermedio};
    const QString nombre = QTabla.FieldByName(QStringLiteral("NOMBRE"))->AsString();
    const qint64 tipo = QTabla.FieldByName(QStringLiteral("TIPO"))->AsInteger();
    QTabla.Insert();
    try {
        QTabla.FieldByName(QStringLiteral("CODIGO"))->SetAsInteger(codigo);
        QTabla.FieldByName(QStringLiteral("NOMBRE"))->SetAsString(nombre);
        QTabla.FieldByName(QStringLiteral("TIPO"))->SetAsInteger(tipo);
        QTabla.FieldByName(QStringLiteral("FORMATO"))->SetAsBytes(CargaFichero(intermedio));
        QTabla.Post();
    } catch (...) {
        // Nothing half made stays on the screen.
        QTabla.Cancel();
        throw;
    }
}

TFFormatos::TFFormatos() : TFBase(110), dm_(std::make_unique<TDMFormatos>())
{
    setObjectName(QStringLiteral("FFormatos"));
    setWindowTitle(QStringLiteral("Mantenimiento de formatos"));
    Conecta(*dm_);
    DBECodigo = CampoTexto(QStringLiteral("Código"), QStringLiteral("CODIGO"), 4);
    DBECodigo->setMaxLength(4);
    DBENombre = CampoTexto(QStringLiteral("Nombre"), QStringLiteral("NOMBRE"), 40);
    DBCTipo = new TDBComboBoxValue(PEdit);
    DBCTipo->setObjectName(QStringLiteral("DBCTipo"));
    DBCTipo->SetItems({QStringLiteral("ETIQUETA")});
    DBCTipo->SetValues({QStringLiteral("2")});
    DBCTipo->SetDataSource(CEMain->DataSource());
    DBCTipo->SetDataField(QStringLiteral("TIPO"));
    AnadeCampo(QStringLiteral("Tipo"), DBCTipo);
    HYMNavigator1->SetEditaControl(DBENombre);
    HYMNavigator1->SetInsertaControl(DBECodigo);
    HYTDBGrid1->SetColumnas({QStringLiteral("CODIGO"), QStringLiteral("NOMBRE")});
    HYTDBGrid1->SetCamposAOrdenar({QStringLiteral("CODIGO"), QStringLiteral("NOMBRE")});

    QAction* separador = ToolBar1->actions().value(1);
    auto boton = [&](QToolButton*& b, const char* nombre, const char* texto, const QIcon& icono) {
        b = new QToolButton;
        b->setObjectName(QLatin1String(nombre));
        b->setToolTip(QString::fromUtf8(texto));
        b->setIcon(icono);
        ToolBar1->insertWidget(separador, b);
    };
    boton(TbConfeccion, "TbConfeccion", "Confección formato", style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    boton(TbWord, "TbWord", "Confección formato etiquetas con Word", IconoSalida(TIconoSalida::Word));
    boton(TbImportar, "TbImportar", "Importar formato", style()->standardIcon(QStyle::SP_ArrowDown));
    boton(TbExportar, "TbExportar", "Exportar formato", style()->standardIcon(QStyle::SP_ArrowUp));
    boton(TbDuplicar, "TbDuplicar", "Duplicar formato", style()->standardIcon(QStyle::SP_FileDialogNewFolder));
    for (QToolButton* b : {TbConfeccion, TbWord, TbDuplicar})
        UsableEnEdicion(b);
    connect(TbConfeccion, &QToolButton::clicked, this, [this] { SinErrores([this] { Confecciona(); }); });
    connect(TbWord, &QToolButton::clicked, this, [this] { SinErrores([this] { EditaEnWord(); }); });
    connect(TbImportar, &QToolButton::clicked, this, [this] { SinErrores([this] { Importa(); }); });
    connect(TbExportar, &QToolButton::clicked, this, [this] { SinErrores([this] { Exporta(); }); });
    connect(TbDuplicar, &QToolButton::clicked, this, [this] { SinErrores([this] { Duplica(); }); });
}

TFFormatos::~TFFormatos() = default;

void TFFormatos::Confecciona()
{
    TFIBTableSet& q = dm_->QTabla;
    if (!GuardaRegistro() || q.IsEmpty())
        return;
    const QString tmp = FicheroPrograma("tmp.frf");
    QFile::remove(tmp);
    const QByteArray formato = q.FieldByName(QStringLiteral("FORMATO"))->AsBytes();
    qdr::TReportDesigner disenador;
    qint64 sello = 0;
    if (!formato.isEmpty()) {
        GuardaFichero(tmp, formato);
        disenador.CargarDeFichero(tmp);
        sello = FechaFichero(tmp);
        if (sello < 0)
            return;
    } else {
        disenador.NuevoInforme();
        disenador.SetFicheroGuardar(tmp);
    }
    disenador.SetNombre(q.FieldByName(QStringLiteral("NOMBRE"))->AsString().trimmed());
    disenador.SetDatos(&dm_->Datos());
    disenador.Ejecutar(this);
    if (QFile::exists(tmp) && FechaFichero(tmp) != sello)
        dm_->GuardaFormato(CargaFichero(tmp));
}

void TFFormatos::EditaEnWord()
{
    TFIBTableSet& q = dm_->QTabla;
    if (!GuardaRegistro() || q.IsEmpty())
        return;
    const QString tmp = FicheroPrograma("tmp.rtf");
    const QString clave = QStringLiteral("SYS_FORMATOS %1").arg(q.FieldByName(QStringLiteral("CODIGO"))->AsInteger());
    const QByteArray formato = q.FieldByName(QStringLiteral("FORMATO"))->AsBytes();
    if (!RecuperaEdicion(tmp, clave, formato)) {
        if (formato.isEmpty())
            WriteStarterDocument(QStringLiteral("tmp.rtf"));
        else
            GuardaFichero(tmp, formato);
    }
    const std::optional<QByteArray> editado = EditaEnProcesador(this, TProcesadorTextos::Word, tmp, clave);
    if (editado)
        GuardaDocumentoEditado(QStringLiteral("FORMATO"), *editado, tmp, clave);
}

void TFFormatos::Exporta()
{
    ExportaFila(this, dm_->QTabla, QStringLiteral("FORMATO"), [this] { return dm_->LineasIntercambio(); });
}

void TFFormatos::Importa()
{
    if (dm_->QTabla.State() != TDataSetState::dsBrowse)
        return;
    const std::optional<TImportacion> i =
        PideImportacion(this, QStringLiteral("Importar formato"), QStringLiteral("Fichero de Formato (*.FRF)"), QStringLiteral("FORMATO*.FRF"),
                        [this](int codigo) { return dm_->ExisteCodigo(codigo); });
    if (i)
        dm_->Importa(i->Par.Frf, i->Lineas, i->Par.Codigo, i->Reemplaza);
}

void TFFormatos::Duplica()
{
    TFIBTableSet& q = dm_->QTabla;
    if (!GuardaRegistro() || q.IsEmpty())
        return;
    const QString texto = PideDato(QStringLiteral("Formatos"), QStringLiteral("Copiar este formato al código"),
                                   QString::number(dm_->SiguienteCodigo()));
    if (texto.trimmed().isEmpty())
        return;
    dm_->Duplica(TextoAEntero(texto));
}

void RegistraOrdenesFormatos()
{
    RegistraOrden({.Id = QStringLiteral("Formatos"), .Menu = TMenuOrden::Archivos, .Posicion = 30,
                   .Titulo = QStringLiteral("Formatos"),
                   .Abre = [](QAction* orden) { AbreVentana<TFFormatos>(orden); }});
}
