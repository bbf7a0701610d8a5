#include "UFTexto.h"
#include "DbComboBoxValue.h"
#include "EUtilesError.h"
#include "UDBControles.h"
#include "UDMMain.h"
#include "UDialogos.h"

#include <QFile>

TDMTexto::TDMTexto()
{
    const TSentenciasGeneradas g = SentenciasGeneradas(
        QStringLiteral("SYS_TEXTOS"),
        {QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("TEXTO"), QStringLiteral("IDIOMA")},
        {QStringLiteral("CODIGO")});
    QTabla.AddField<TIntegerField>(QStringLiteral("CODIGO"))->SetDisplayLabel(QStringLiteral("Código"));
    QTabla.AddField<TFIBStringField>(QStringLiteral("NOMBRE"))->SetDisplayLabel(QStringLiteral("Nombre"));
    DefinePrincipal(QTabla, {.Name = QStringLiteral("QTabla"),
                             .TableName = QStringLiteral("SYS_TEXTOS"),
                             .SelectSQL = {QStringLiteral("SELECT * FROM SYS_TEXTOS"), QStringLiteral("ORDER BY CODIGO")},
                             .InsertSQL = g.Insert,
                             .UpdateSQL = g.Update,
                             .DeleteSQL = g.Delete,
                             .RefreshSQL = g.Refresh,
                             .Opciones = {TOpcionesTableSet::NoControlarConcurrencia}});
    // Every new template is a letter's until the user says otherwise.
    QTabla.OnNewRecord = [](TFIBDataSet& ds) { ds.FieldByName(QStringLiteral("IDIOMA"))->SetAsInteger(1); };
    AsignaCodigoAutomatico(QTabla, QStringLiteral("CODIGO"), QStringLiteral("SYS_TEXTOS"));
    DeclaraBusqueda({QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("00000")});
    Abre();
}

TFTexto::TFTexto() : TFBase(401), dm_(std::make_unique<TDMTexto>())
{
    setObjectName(QStringLiteral("FTexto"));
    setWindowTitle(QStringLiteral("Editor de textos"));
    Conecta(*dm_);
    DBECodigo = CampoTexto(QStringLiteral("Código"), QStringLiteral("CODIGO"), 6);
    DBECodigo->SetReadOnly(true);
    DBENombre = CampoTexto(QStringLiteral("Nombre"), QStringLiteral("NOMBRE"), 40);
    DBCTipo = new TDBComboBoxValue(PEdit);
    DBCTipo->setObjectName(QStringLiteral("DBCTipo"));
    DBCTipo->SetItems({QStringLiteral("1-Convocatoria"), QStringLiteral("2-Acta")});
    DBCTipo->SetValues({QStringLiteral("1"), QStringLiteral("2")});
    DBCTipo->SetDataSource(CEMain->DataSource());
    DBCTipo->SetDataField(QStringLiteral("IDIOMA"));
    AnadeCampo(QStringLiteral("Tipo"), DBCTipo);
    HYMNavigator1->SetEditaControl(DBENombre);
    HYMNavigator1->SetInsertaControl(DBENombre);
    HYTDBGrid1->SetColumnas({QStringLiteral("CODIGO"), QStringLiteral("NOMBRE")});
    HYTDBGrid1->SetCamposAOrdenar({QStringLiteral("CODIGO"), QStringLiteral("NOMBRE")});

    // The word processors, right after the navigator.
    QAction* separador = ToolBar1->actions().value(1);
    TbWord = new QToolButton;
    TbWord->setObjectName(QStringLiteral("TbWord"));
    TbWord->setToolTip(QStringLiteral("Confección texto con Word"));
    TbWord->setIcon(IconoSalida(TIconoSalida::Word));
    ToolBar1->insertWidget(separador, TbWord);
    TbOpenOffice = new QToolButton;
    TbOpenOffice->setObjectName(QStringLiteral("TbOpenOffice"));
    TbOpenOffice->setToolTip(QStringLiteral("Confección texto con OpenOffice"));
    TbOpenOffice->setIcon(QIcon::fromTheme(QStringLiteral("libreoffice-writer"),
                                           style()->standardIcon(QStyle::SP_FileDialogContentsView)));
    ToolBar1->insertWidget(separador, TbOpenOffice);
    UsableEnEdicion(TbWord);
    UsableEnEdicion(TbOpenOffice);
    connect(TbWord, &QToolButton::clicked, this, [this] { ConfeccionaTexto(TProcesadorTextos::Word); });
    connect(TbOpenOffice, &QToolButton::clicked, this, [this] { ConfeccionaTexto(TProcesadorTextos::OpenOffice); });
}

TFTexto::~TFTexto() = default;

void TFTexto::ConfeccionaTexto(TProcesadorTextos procesador)
{
    TFIBTableSet& q = dm_->QTabla;
    if (!q.Active() || !GuardaRegistro())
        return;
    if (q.IsEmpty()) {
        Mensaje(QStringLiteral("No hay ningún texto que confeccionar: dé antes de alta uno."));
        return;
    }
    const QString tmp = Entorno.CaminoPrograma + QStringLiteral("/tmp.rtf");
    const QString clave = QStringLiteral("SYS_TEXTOS %1").arg(q.FieldByName(QStringLiteral("CODIGO"))->AsInteger());
    const QByteArray texto = q.FieldByName(QStringLiteral("TEXTO"))->AsBytes();
    if (!RecuperaEdicion(tmp, clave, texto)) {
        if (texto.isEmpty()) {
            WriteStarterDocument(QStringLiteral("tmp.rtf"), QStringLiteral("C"));
        } else {
            // The stored document goes through "tmptmp.rtf", which stays.
            const QString intermedio = Entorno.CaminoPrograma + QStringLiteral("/tmptmp.rtf");
            GuardaFichero(intermedio, texto);
            if (!QFile::copy(intermedio, tmp))
                throw EUtilesError(QStringLiteral("No se puede escribir el fichero %1").arg(tmp));
        }
    }
    const std::optional<QByteArray> editado = EditaEnProcesador(this, procesador, tmp, clave);
    if (editado && GuardaDocumentoEditado(QStringLiteral("TEXTO"), *editado, tmp, clave))
        QFile::remove(tmp);
}
